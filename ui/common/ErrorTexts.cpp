#include "common/ErrorTexts.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr riaa::Pattern kSmallError{4, 0, true, false};
}  // namespace

QString SignedText(double value, const std::string& rendered) {
    const bool showsZero = std::none_of(rendered.begin(), rendered.end(), [](char c) { return c >= '1' && c <= '9'; });
    QString text = QString::fromStdString(rendered);
    if (value > 0 && !showsZero) text.prepend(QLatin1Char('+'));
    return text;
}

QString FormatErrorDb(double db, const riaa::NumberLocale& locale) {
    if (std::fabs(db) >= 1) return SignedText(db, riaa::FormatDecibels(db, locale));
    return SignedText(db, riaa::RenderNumber(db, kSmallError, locale) + " dB");
}
