#include "jpeg.h"

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE and size_t first
#include <cstdlib>
#include <jpeglib.h>
#include <jerror.h>

// libjpeg reports errors through a callback that must not return.  Each
// function below that calls into libjpeg arms a jump target first and keeps
// only plain locals, so jumping back out skips no destructors; the QImage the
// pixels land in belongs to the caller.

namespace platform {
namespace {

// A stream whose scans never end would keep the decoder busy for ever.
constexpr int kMaxScans = 1000;

struct ErrorState {
    jpeg_error_mgr mgr;       // must come first: libjpeg sees only this part
    jpeg_progress_mgr progress;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

ErrorState *stateOf(j_common_ptr info) { return reinterpret_cast<ErrorState *>(info->err); }

[[noreturn]] void failWithMessage(j_common_ptr info)
{
    ErrorState *state = stateOf(info);
    (*info->err->format_message)(info, state->message);
    std::longjmp(state->jump, 1);
}

// Level -1 is a warning.  Most mean damaged data, where libjpeg would carry
// on and paint grey; a picture with holes in it is no better than none, so
// stop.  A few only concern labels that do not change the pixels.
void onMessage(j_common_ptr info, int level)
{
    if (level >= 0)
        return;
    switch (info->err->msg_code) {
    case JWRN_JFIF_MAJOR:
    case JWRN_ADOBE_XFORM:
    case JWRN_EXTRANEOUS_DATA:
    case JWRN_BOGUS_ICC:
        return;
    default:
        failWithMessage(info);
    }
}

void onProgress(j_common_ptr info)
{
    if (info->is_decompressor) {
        auto *d = reinterpret_cast<j_decompress_ptr>(info);
        if (d->input_scan_number > kMaxScans) {
            std::snprintf(stateOf(info)->message, JMSG_LENGTH_MAX, "too many scans");
            std::longjmp(stateOf(info)->jump, 1);
        }
    }
}

void initState(ErrorState &state)
{
    jpeg_std_error(&state.mgr);
    state.mgr.error_exit = failWithMessage;
    state.mgr.emit_message = onMessage;
    state.progress = {};
    state.progress.progress_monitor = onProgress;
    state.message[0] = '\0';
}

struct Header {
    int width = 0;
    int height = 0;
    int components = 0; // per output pixel: 1 grey, 3 RGB, 4 CMYK
    bool invertedCmyk = false;
};

// Reads the markers up to the first scan and picks the output colour space.
bool readHeader(jpeg_decompress_struct *info, ErrorState *state, const unsigned char *data,
                unsigned long size, Header *header)
{
    if (setjmp(state->jump))
        return false;
    jpeg_create_decompress(info);
    info->progress = &state->progress;
    jpeg_mem_src(info, data, size);
    jpeg_read_header(info, TRUE);
    switch (info->jpeg_color_space) {
    case JCS_GRAYSCALE: info->out_color_space = JCS_GRAYSCALE; break;
    case JCS_CMYK:
    case JCS_YCCK: info->out_color_space = JCS_CMYK; break;
    default: info->out_color_space = JCS_RGB; break;
    }
    jpeg_calc_output_dimensions(info);
    header->width = int(info->output_width);
    header->height = int(info->output_height);
    header->components = info->out_color_components;
    header->invertedCmyk = info->saw_Adobe_marker;
    return true;
}

bool readPixels(jpeg_decompress_struct *info, ErrorState *state, unsigned char *bits,
                qsizetype bytesPerLine, int height)
{
    if (setjmp(state->jump))
        return false;
    jpeg_start_decompress(info);
    if (int(info->output_height) != height) {
        std::snprintf(state->message, JMSG_LENGTH_MAX, "unexpected output size");
        return false;
    }
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = bits + qsizetype(info->output_scanline) * bytesPerLine;
        jpeg_read_scanlines(info, &row, 1);
    }
    jpeg_finish_decompress(info);
    return true;
}

bool writeAll(jpeg_compress_struct *info, ErrorState *state, const QImage *pixels, int quality,
              unsigned char **buffer, unsigned long *size)
{
    if (setjmp(state->jump))
        return false;
    jpeg_create_compress(info);
    jpeg_mem_dest(info, buffer, size);
    const bool grey = pixels->format() == QImage::Format_Grayscale8;
    info->image_width = JDIMENSION(pixels->width());
    info->image_height = JDIMENSION(pixels->height());
    info->input_components = grey ? 1 : 3;
    info->in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(info);
    jpeg_set_quality(info, quality, TRUE);
    info->optimize_coding = TRUE;
    jpeg_start_compress(info, TRUE);
    while (info->next_scanline < info->image_height) {
        // libjpeg does not write through the row, the cast only fits its API
        JSAMPROW row = const_cast<unsigned char *>(pixels->constScanLine(int(info->next_scanline)));
        jpeg_write_scanlines(info, &row, 1);
    }
    jpeg_finish_compress(info);
    return true;
}

QImage fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return QImage();
}

// Adobe writes CMYK inverted (0 = full ink); others write it plainly.
void cmykToRgb(QImage &image, bool inverted)
{
    for (int y = 0; y < image.height(); ++y) {
        uchar *p = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x, p += 4) {
            int c = p[0], m = p[1], ye = p[2], k = p[3];
            if (!inverted) {
                c = 255 - c; m = 255 - m; ye = 255 - ye; k = 255 - k;
            }
            p[0] = uchar(c * k / 255);
            p[1] = uchar(m * k / 255);
            p[2] = uchar(ye * k / 255);
            p[3] = 255;
        }
    }
}

} // namespace

QImage decodeJpeg(const QByteArray &bytes, QString *error)
{
    if (error)
        error->clear();
    if (bytes.isEmpty())
        return fail(error, QStringLiteral("empty JPEG data"));

    jpeg_decompress_struct info;
    ErrorState state;
    initState(state);
    info.err = &state.mgr;
    info.mem = nullptr; // lets jpeg_destroy_decompress cope if creating it failed

    Header header;
    if (!readHeader(&info, &state, reinterpret_cast<const unsigned char *>(bytes.constData()),
                    (unsigned long)bytes.size(), &header)) {
        jpeg_destroy_decompress(&info);
        return fail(error, QStringLiteral("bad JPEG header: ") + QString::fromLocal8Bit(state.message));
    }
    if (header.width <= 0 || header.height <= 0 || header.width > kJpegMaxSide
        || header.height > kJpegMaxSide || qint64(header.width) * header.height > kJpegMaxPixels) {
        jpeg_destroy_decompress(&info);
        return fail(error, QStringLiteral("JPEG size %1 x %2 not accepted").arg(header.width).arg(header.height));
    }

    QImage::Format format = QImage::Format_RGB888;
    if (header.components == 1)
        format = QImage::Format_Grayscale8;
    else if (header.components == 4)
        format = QImage::Format_RGBX8888;
    else if (header.components != 3) {
        jpeg_destroy_decompress(&info);
        return fail(error, QStringLiteral("unsupported JPEG colour layout"));
    }
    QImage image(header.width, header.height, format);
    if (image.isNull()) {
        jpeg_destroy_decompress(&info);
        return fail(error, QStringLiteral("out of memory for a %1 x %2 picture").arg(header.width).arg(header.height));
    }
    const bool ok = readPixels(&info, &state, image.bits(), image.bytesPerLine(), header.height);
    jpeg_destroy_decompress(&info);
    if (!ok)
        return fail(error, QStringLiteral("damaged JPEG data: ") + QString::fromLocal8Bit(state.message));

    if (header.components == 4)
        cmykToRgb(image, header.invertedCmyk);
    if (image.format() != QImage::Format_RGB888)
        image.convertTo(QImage::Format_RGB888);
    return image;
}

bool encodeJpeg(const QImage &image, QByteArray &out, int quality, QString *error)
{
    if (error)
        error->clear();
    if (image.isNull()) {
        if (error)
            *error = QStringLiteral("no picture to encode");
        return false;
    }
    const QImage pixels = image.format() == QImage::Format_Grayscale8
        ? image
        : image.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct info;
    ErrorState state;
    initState(state);
    info.err = &state.mgr;
    info.mem = nullptr;
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    const bool ok = writeAll(&info, &state, &pixels, qBound(1, quality, 100), &buffer, &size);
    jpeg_destroy_compress(&info);
    if (ok)
        out = QByteArray(reinterpret_cast<const char *>(buffer), qsizetype(size));
    else if (error)
        *error = QString::fromLocal8Bit(state.message);
    std::free(buffer);
    return ok;
}

} // namespace platform
