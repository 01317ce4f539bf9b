// Decoding of JPEG pictures with libjpeg, failing safely on damaged data.
#pragma once

#include <QByteArray>
#include <QImage>

// The picture in `data` as a colour image (grey pictures come back as colour too). Empty, damaged, truncated
// or unreadable data, and pictures larger than MaxJpegSide on a side, give a null image.
QImage DecodeJpeg(const QByteArray& data);

inline constexpr int MaxJpegSide = 8192;
