#include "common/AppStyle.h"

#include <QApplication>
#include <QProxyStyle>
#include <QStyleFactory>

namespace {

class HintTimingStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ToolTip_WakeUpDelay) return 500;
        // Alt alone takes the keyboard to the menu bar, whose commands switch the pages: the pages are
        // reachable without a pointer although the commands carry no accelerator letters.
        if (hint == SH_MenuBar_AltKeyNavigation) return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

void InstallApplicationStyle() {
    QApplication::setStyle(new HintTimingStyle(QStyleFactory::create(QStringLiteral("Fusion"))));
}
