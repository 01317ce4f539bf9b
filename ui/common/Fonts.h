// Fonts by family and pixel height, with the Liberation faces standing in for the Windows ones.
#pragma once

#include <QFont>
#include <QString>

// The family of every page's text, mapped to Liberation Sans.
inline const QString kArial = QStringLiteral("Arial");

// Maps "MS Sans Serif" and "Arial" to Liberation Sans and "Times New Roman" to Liberation Serif.
void InstallFontSubstitutions();

// A font at a pixel height, so that the layout never follows the system's text size.
QFont PixelFont(const QString& family, int pixelSize, bool bold = false);
