#include "common/ErrorTexts.h"

#include <cmath>

QString FormatErrorDb(double db, const riaa::NumberLocale& locale) {
    return QString::fromStdString(riaa::FormatSignedErrorDecibels(db, locale));
}

QString SignedErrorText(double db, const riaa::NumberLocale& locale) {
    if (std::fabs(db) < kExactErrorDb) return QStringLiteral("exact");
    return FormatErrorDb(db, locale);
}

QString MagnitudeText(double db, const riaa::NumberLocale& locale) {
    if (std::fabs(db) < kExactErrorDb) return QStringLiteral("exact");
    return QString::fromStdString(riaa::FormatErrorDecibels(std::fabs(db), locale));
}
