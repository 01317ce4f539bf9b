#include "KAQ2_RIAA.h"

TRiaaForm::TRiaaForm(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Mirelund"));
    resize(634, 392);
}
