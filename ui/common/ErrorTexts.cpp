#include "common/ErrorTexts.h"

QString FormatErrorDb(double db, const riaa::NumberLocale& locale) {
    return QString::fromStdString(riaa::FormatSignedErrorDecibels(db, locale));
}
