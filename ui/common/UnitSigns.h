// The signs of the units as the pages show them beside a value, the ohm sign the engine's own.
#pragma once

#include <QString>

#include "engine/Formats.h"

inline const QString kOhms = QString::fromUtf8(riaa::kOhmSign.data(), static_cast<qsizetype>(riaa::kOhmSign.size()));
inline const QString kMicrofarads = QStringLiteral("\u00B5F");
