#include "windows/Splash.h"

#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <cmath>

#include "common/AutoSizeLabel.h"
#include "common/Controls.h"
#include "common/Fonts.h"
#include "windows/ClassicColours.h"
#include "windows/Custcolp.h"
#include "windows/JpegDecoder.h"
#include "windows/Resources.h"

namespace {

using classic_colours::kGrey;
using classic_colours::kNavy;
using classic_colours::kRed;
using classic_colours::kSilver;

// The product name's ground; not one of the classic sixteen.
const QColor ProductGreen(51, 153, 102);

// The wordmark "FINE AMP INSIGHT": the large row carries the initials F and I and the word AMP, the small
// row the rest, and the blanks place each small run right after its large initial. The counts were chosen
// by measuring Liberation Serif bold (Times New Roman's metric twin) without kerning with QFontMetricsF,
// see tools/measure_wordmark.cpp: a blank is 9.25 px at 37 px and 6.25 px at 25 px; with six blanks the
// large I ends at x = 304.97, and with nineteen the small NSIGHT begins at x = 304.19; the large F ends at
// 141.59 where the small INE begins at 141. AMP (197.1 to 281.3) stands in the gap (185.4 to 304.2).
const QString LargeRowText = QStringLiteral("F      AMP I");
const QString SmallRowText = QStringLiteral("INE                   NSIGHT");

const QString CopyrightNotice = QStringLiteral("Copyright \u00A9 2026 Mirelund");
const QString RightsNotice = QStringLiteral("Provided as is, without warranty.");

QFont wordmarkFont(int pixelSize) {
    QFont font = PixelFont(QStringLiteral("Times New Roman"), pixelSize, true);
    font.setKerning(false);
    return font;
}

void setTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

WordmarkLabel* makeWordmark(QWidget* parent, const char* name, const QString& text, int pixelSize,
                            const QColor& color, const QRect& geometry) {
    auto* label = new WordmarkLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(wordmarkFont(pixelSize));
    label->setText(text);
    setTextColor(label, color);
    label->setGeometry(geometry);
    return label;
}

QPixmap splashPicture() {
    InitMirelundResources();
    QFile file(QStringLiteral(":/splash.jpg"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QPixmap::fromImage(DecodeJpeg(file.readAll()));
}

}  // namespace

WordmarkLabel::WordmarkLabel(QWidget* parent) : QLabel(parent) { setTextFormat(Qt::PlainText); }

int WordmarkLabel::baseline() const { return int(std::ceil(QFontMetricsF(font()).ascent())); }

void WordmarkLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QPoint(0, baseline()), text());
}

TSplashForm::TSplashForm(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("SplashForm"));
    setWindowTitle(QStringLiteral("SplashForm"));
    setFixedSize(ClientWidth, ClientHeight);
    setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    CustomColorPanel1 = new TCustomColorPanel(this);
    CustomColorPanel1->setObjectName(QStringLiteral("CustomColorPanel1"));
    CustomColorPanel1->setGeometry(0, 0, ClientWidth, ClientHeight);
    CustomColorPanel1->setBevelOuter(TCustomColorPanel::BevelKind::Raised);
    CustomColorPanel1->setBevelInner(TCustomColorPanel::BevelKind::Raised);
    CustomColorPanel1->setBevelWidth(2);
    CustomColorPanel1->setBorderWidth(0);
    CustomColorPanel1->setColor(Qt::white);
    CustomColorPanel1->setHighLightColor(kSilver);
    CustomColorPanel1->setShadowColor(kGrey);

    // Created in painting order: each later child lies over the earlier ones.
    QWidget* panel = CustomColorPanel1;
    Label1 = makeWordmark(panel, "Label1", LargeRowText, 37, kSilver, QRect(120, 28, 188, 42));

    Label2 = MakePlainLabel(panel, "Label2", QStringLiteral("Version 1"), PixelFont(QStringLiteral("Arial"), 13, true));
    setTextColor(Label2, kRed);
    Label2->setGeometry(355, 124, 59, 16);

    const QFont noticeFont = PixelFont(QStringLiteral("Arial"), 11);
    Label3 = MakePlainLabel(panel, "Label3", CopyrightNotice, noticeFont);
    FitLabelToText(Label3);
    Label3->move(111, 153);

    Label4 = MakePlainLabel(panel, "Label4", RightsNotice, noticeFont);
    Label4->setAlignment(Qt::AlignRight | Qt::AlignTop);
    FitLabelToTextAtRight(Label4, RightsNoticeRight, 153);

    Label5 = makeWordmark(panel, "Label5", LargeRowText, 37, kNavy, QRect(119, 27, 188, 42));

    Label7 = MakePlainLabel(panel, "Label7", QStringLiteral("Mirelund"), PixelFont(QStringLiteral("Arial"), 24, true));
    Label7->setAlignment(Qt::AlignCenter);
    QPalette onGreen = Label7->palette();
    onGreen.setColor(QPalette::WindowText, Qt::white);
    onGreen.setColor(QPalette::Window, ProductGreen);
    Label7->setPalette(onGreen);
    Label7->setAutoFillBackground(true);
    Label7->setGeometry(109, 81, 314, 40);

    Image1 = new QLabel(panel);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setScaledContents(true);
    Image1->setPixmap(splashPicture());
    Image1->setGeometry(5, 12, 95, 176);

    Shape1 = new QWidget(panel);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setPalette(white);
    Shape1->setAutoFillBackground(true);
    Shape1->setGeometry(97, 12, 9, 178);

    Label6 = makeWordmark(panel, "Label6", SmallRowText, 25, kSilver, QRect(142, 38, 274, 29));
    Label8 = makeWordmark(panel, "Label8", SmallRowText, 25, kNavy, QRect(141, 37, 274, 29));

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->geometry().center() - rect().center());
    }
}

void TSplashForm::setRightsNotice(const QString& text) {
    Label4->setText(text);
    FitLabelToTextAtRight(Label4, RightsNoticeRight, Label4->y());
}
