// The glyphs of the curve buttons, drawn here pixel by pixel: an amplifier and a record.
#pragma once

#include <QIcon>
#include <QImage>

// Olive marks the glyph bitmaps' transparent pixels.
inline constexpr QRgb kGlyphTransparent = qRgb(128, 128, 0);

// Each bitmap is 32 x 16: the normal image on the left, the disabled image on the right,
// olive where the button face shows through.
QImage AmplifierGlyphBitmap();
QImage RecordGlyphBitmap();

// The button icon of such a bitmap: olive made transparent, the right half as the disabled look.
QIcon GlyphIcon(const QImage& bitmap);
