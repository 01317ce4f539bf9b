#include "common/Hints.h"

#include <QVariant>
#include <QWidget>

namespace {
constexpr const char* kHintProperty = "mirelundHint";
constexpr const char* kShowHintProperty = "mirelundShowHint";
}  // namespace

HintParts SplitHint(const QString& hint) {
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    if (bar < 0) return {hint, hint};
    return {hint.left(bar), hint.mid(bar + 1)};
}

void SetHint(QWidget* control, const QString& hint) { control->setProperty(kHintProperty, hint); }

QString HintOf(const QWidget* control) { return control->property(kHintProperty).toString(); }

void SetShowHint(QWidget* control, bool show) { control->setProperty(kShowHintProperty, show); }

bool ShowsHint(const QWidget* control) { return control->property(kShowHintProperty).toBool(); }
