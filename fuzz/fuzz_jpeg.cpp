// JPEG bytes: decode; the answer is a picture within the limits or an error,
// never both and never neither.
#include "platform/core/jpeg.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QString error;
    const QImage image = platform::decodeJpeg(bytes, &error);
    if (image.isNull() == error.isEmpty())
        std::abort();
    if (!image.isNull()
        && (image.format() != QImage::Format_RGB888 || image.width() > platform::kJpegMaxSide
            || image.height() > platform::kJpegMaxSide))
        std::abort();
    return 0;
}
