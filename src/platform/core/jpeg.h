#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace platform {

// Largest picture decodeJpeg accepts, per side and in total.
constexpr int kJpegMaxSide = 16384;
constexpr qint64 kJpegMaxPixels = qint64(8192) * 8192;

// Decodes a baseline or progressive JPEG (colour, grey or CMYK) into an
// RGB888 image.  Damaged, truncated or oversized input gives a null image
// and, when `error` is given, a reason; it never ends the process.
QImage decodeJpeg(const QByteArray &bytes, QString *error = nullptr);

// Encodes `image` with quality 1..100: a Grayscale8 image as a grey JPEG,
// any other format as colour (alpha is dropped).
bool encodeJpeg(const QImage &image, QByteArray &out, int quality, QString *error = nullptr);

} // namespace platform
