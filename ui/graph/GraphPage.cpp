#include "graph/GraphPage.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

#include "common/Controls.h"
#include "common/ErrorReport.h"
#include "common/Fonts.h"
#include "common/Hints.h"
#include "common/ReadoutAccessible.h"
#include "graph/ButtonGlyphs.h"
#include "graph/GraphImage.h"
#include "graph/ResponseGraph.h"
#include "engine/RiaaResponse.h"

namespace {


// The fixed choice of frequencies in hertz: whole numbers, so no locale conversion applies.
const char* const kFrequencies[] = {
    "0",     "10",    "20",    "30",    "40",    "50",    "60",    "70",    "80",    "90",
    "100",   "125",   "150",   "175",   "200",   "250",   "300",   "400",   "500",   "600",
    "700",   "800",   "900",   "1000",  "1100",  "1200",  "1300",  "1400",  "1500",  "1600",
    "1700",  "1800",  "1900",  "2000",  "3000",  "4000",  "5000",  "6000",  "7000",  "8000",
    "9000",  "10000", "11000", "12000", "13000", "14000", "15000", "16000", "17000", "18000",
    "19000", "20000", "30000", "40000", "50000", "60000", "70000", "80000", "90000", "100000"};

QFont PageFont() { return PixelFont(kArial, 12); }

// A group caption that sits over the top edge of its frame, hiding the line behind it.
QLabel* MakeGroupCaption(QWidget* parent, const char* name, const QString& text) {
    QLabel* label = MakePlainLabel(parent, name, text, PixelFont(kArial, 11, true));
    label->setBackgroundRole(QPalette::Button);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    return label;
}

QLabel* MakeLevelLabel(QWidget* parent, const char* name, const QString& text) {
    return MakePlainLabel(parent, name, text, PixelFont(kArial, 11));
}

QPushButton* MakeCurveButton(QWidget* parent, const char* name, const QString& caption, QColor colour,
                             const QString& hint) {
    auto* button = Named(new QPushButton(caption, parent), name);
    button->setCheckable(true);
    // Like a speed button a click leaves the keyboard focus in the frequency box; Tab still
    // reaches it, so that the curves can be drawn without a mouse.
    button->setFocusPolicy(Qt::TabFocus);
    QPalette palette = button->palette();
    palette.setColor(QPalette::ButtonText, colour);
    button->setPalette(palette);
    SetHint(button, hint);
    SetShowHint(button, true);
    button->setAccessibleName(caption.trimmed());
    button->setAccessibleDescription(SplitHint(hint).longPart.trimmed());
    return button;
}

}  // namespace

GraphPage::GraphPage(const riaa::NumberLocale& locale, QWidget* parent) : QWidget(parent), locale_(locale) {
    setObjectName(QStringLiteral("GraphPage"));
    setFont(PageFont());

    // Created back to front: each caption lies over its frame, the graph over its box.
    buildFrequencyReadout();
    buildCurves();
    placeControls();
    resize(kDesignWidth, kDesignHeight);
    applyAnchors();
    FormResize();
}

void GraphPage::buildFrequencyReadout() {
    Bevel4 = Named(new QFrame(this), "Bevel4");
    Bevel4->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel5 = Named(new QFrame(this), "Bevel5");
    Bevel5->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1 = Named(new QFrame(this), "Bevel1");
    Bevel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    Label9 = MakeGroupCaption(this, "Label9", QStringLiteral(" Attenuation @ Frequency"));
    Label7 = MakePlainLabel(this, "Label7", QStringLiteral("Frequency"), PageFont());
    QPalette black = Label7->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    Label7->setPalette(black);

    CmbBxRiaa = Named(new QComboBox(this), "CmbBxRiaa");
    CmbBxRiaa->setEditable(true);
    CmbBxRiaa->setFont(PixelFont(kArial, 12, true));
    // The list is fixed: what the user types is never added to it, nor completed from it.
    CmbBxRiaa->setInsertPolicy(QComboBox::NoInsert);
    CmbBxRiaa->setCompleter(nullptr);
    for (const char* frequency : kFrequencies) CmbBxRiaa->addItem(QString::fromLatin1(frequency));
    CmbBxRiaa->setCurrentIndex(CmbBxRiaa->findText(QStringLiteral("1000")));
    SetHint(CmbBxRiaa, QStringLiteral("Enter frequency| Enter frequency or chose from dropdown list"));
    SetShowHint(CmbBxRiaa, true);
    // Qt on X11 names an editable box by its text and tells a screen reader its caption through
    // the label's buddy; other systems read the accessible name.
    Label7->setBuddy(CmbBxRiaa);
    // The edit field inside the box takes the typing, so a screen reader meets it on its own too.
    for (QWidget* part : {static_cast<QWidget*>(CmbBxRiaa), static_cast<QWidget*>(CmbBxRiaa->lineEdit())}) {
        part->setAccessibleName(Label7->text());
        part->setAccessibleDescription(SplitHint(HintOf(CmbBxRiaa)).longPart.trimmed());
    }

    LMDLabelAtten = MakePlainLabel(this, "LMDLabelAtten", QStringLiteral("0 dB"), PageFont());
    LMDLabelAtten->setAlignment(Qt::AlignCenter);
    LMDLabelAtten->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    LMDLabelAtten->setAutoFillBackground(true);
    QPalette display = LMDLabelAtten->palette();
    display.setColor(QPalette::Window, Qt::black);
    display.setColor(QPalette::WindowText, QColor(0, 255, 255));
    LMDLabelAtten->setPalette(display);
    MakeAccessibleReadout(LMDLabelAtten, QStringLiteral("Attenuation at frequency"),
                          QStringLiteral("Level of the preamp's inverse RIAA curve at the frequency entered"));

    // Typing and picking only: the program's own changes of the text raise no readout.
    connect(CmbBxRiaa->lineEdit(), &QLineEdit::textEdited, this, [this] { CmbBxRiaaChange(); });
    connect(CmbBxRiaa, &QComboBox::activated, this, [this] { CmbBxRiaaChange(); });

}

void GraphPage::buildCurves() {
    Label19 = MakeGroupCaption(this, "Label19", QStringLiteral("Draw Equilazation  Curves"));

    SpdBtnInvRIAAEq = MakeCurveButton(this, "SpdBtnInvRIAAEq", QStringLiteral("Preamp's Inv. RIAA Eq"),
                                      QColor(255, 0, 0),
                                      QStringLiteral("Press down to see the preamp's inverse RIAA equalazation curve"));
    SpdBtnInvRIAAEq->setIcon(GlyphIcon(AmplifierGlyphBitmap()));
    SpdBtnPlayBack = MakeCurveButton(this, "SpdBtnPlayBack", QStringLiteral("Playback"), QColor(0, 0, 255),
                                     QStringLiteral("Press down to see the playback frequency response"));
    SpdBtnRIAAEq = MakeCurveButton(this, "SpdBtnRIAAEq", QStringLiteral("Record's RIAA Eq "), QColor(0, 128, 0),
                                   QStringLiteral("Press down to see the record's RIAA equalazation curve"));
    SpdBtnRIAAEq->setIcon(GlyphIcon(RecordGlyphBitmap()));
    for (QPushButton* button : {SpdBtnInvRIAAEq, SpdBtnPlayBack, SpdBtnRIAAEq}) {
        button->setIconSize(QSize(16, 16));
        connect(button, &QPushButton::clicked, this, [this] { SpdBtnInvRIAAEqClick(); });
    }

    Image1 = Named(new GraphImage(this), "Image1");
    SetShowHint(Image1, false);
    MakeAccessibleReadout(Image1, QStringLiteral("RIAA graph"),
                          QStringLiteral("Level and frequency under the mouse pointer"));
    connect(Image1, &GraphImage::pointerMoved, this, [this](int x, int y) { Image1MouseMove(x, y); });

    Label10 = MakePlainLabel(this, "Label10", QStringLiteral("10Hz"), PageFont());
    Label16 = MakePlainLabel(this, "Label16", QStringLiteral("100Hz"), PageFont());
    Label17 = MakePlainLabel(this, "Label17", QStringLiteral("1kHz"), PageFont());
    Label18 = MakePlainLabel(this, "Label18", QStringLiteral("10kHz"), PageFont());
    Label11 = MakeLevelLabel(this, "Label11", QStringLiteral("+20"));
    Label12 = MakeLevelLabel(this, "Label12", QStringLiteral("+10"));
    Label14 = MakeLevelLabel(this, "Label14", QStringLiteral("0"));
    Label15 = MakeLevelLabel(this, "Label15", QStringLiteral("-10"));
    Label13 = MakeLevelLabel(this, "Label13", QStringLiteral("-20"));

}

void GraphPage::placeControls() {
    place(Bevel4, {10, 16, 223, 49}, Left | Top);
    place(Bevel5, {240, 16, 371, 49}, Left | Top);
    place(Bevel1, {10, 75, 602, 275}, Left | Top);
    place(Label9, {18, 10, 142, 14}, Left | Top);
    place(Label7, {21, 37, 57, 15}, Left | Top);
    place(CmbBxRiaa, {84, 34, 65, 23}, Left | Top);
    place(LMDLabelAtten, {154, 34, 72, 23}, Left | Top);
    place(Label19, {252, 10, 142, 14}, Left | Top);
    place(SpdBtnInvRIAAEq, {249, 35, 157, 23}, Left | Top);
    place(SpdBtnPlayBack, {407, 35, 62, 23}, Left | Top);
    place(SpdBtnRIAAEq, {471, 35, 128, 23}, Left | Top);
    place(Image1, {11, 76, 600, 273}, Left | Top | Right | Bottom);
    place(Label10, {6, 354, 28, 15}, Left | Bottom);
    place(Label16, {175, 354, 35, 15}, Bottom);
    place(Label17, {361, 354, 27, 15}, Bottom);
    place(Label18, {540, 354, 34, 15}, Bottom);
    place(Label11, {613, 69, 18, 14}, Top | Right);
    place(Label12, {613, 131, 18, 14}, Right);
    place(Label14, {619, 203, 6, 14}, Top | Right | Bottom);
    place(Label15, {613, 276, 16, 14}, Right);
    place(Label13, {613, 341, 16, 14}, Right);

    // The frequency box first, as the page opens there, then the buttons from left to right.
    setTabOrder(CmbBxRiaa, SpdBtnInvRIAAEq);
    setTabOrder(SpdBtnInvRIAAEq, SpdBtnPlayBack);
    setTabOrder(SpdBtnPlayBack, SpdBtnRIAAEq);

}

GraphPage::~GraphPage() {
    // The controls outlive this part of the page by a moment and may still signal as they go
    // (a combo box with its list open does): none of that may reach the handlers any more.
    for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
}

void GraphPage::place(QWidget* control, QRect design, int anchors) {
    control->setGeometry(design);
    anchored_.push_back({control, design, anchors});
}

void GraphPage::applyAnchors() {
    const int growX = width() - kDesignWidth;
    const int growY = height() - kDesignHeight;
    // One axis of one control: its new start and length from the design and the page's growth.
    const auto along = [](int start, int length, bool nearEdge, bool farEdge, int grow, int pageLength,
                          int designPageLength, int& newStart, int& newLength) {
        newStart = start;
        newLength = length;
        if (nearEdge && farEdge) {
            newLength = std::max(0, length + grow);
        } else if (farEdge) {
            newStart = start + grow;
        } else if (!nearEdge) {
            const double centre = (start + length / 2.0) * pageLength / designPageLength;
            newStart = static_cast<int>(std::lround(centre - length / 2.0));
        }
    };
    for (const AnchoredControl& entry : anchored_) {
        int left = 0;
        int top = 0;
        int width = 0;
        int height = 0;
        along(entry.design.left(), entry.design.width(), entry.anchors & Left, entry.anchors & Right, growX,
              this->width(), kDesignWidth, left, width);
        along(entry.design.top(), entry.design.height(), entry.anchors & Top, entry.anchors & Bottom, growY,
              this->height(), kDesignHeight, top, height);
        // A stretched label never gets lower than its line of text, or the text would be cut.
        if (qobject_cast<QLabel*>(entry.control)) height = std::max(height, entry.design.height());
        entry.control->setGeometry(left, top, width, height);
    }
}

void GraphPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    applyAnchors();
    FormResize();
}

void GraphPage::SpdBtnInvRIAAEqClick() {
    const CurveSelection curves{SpdBtnInvRIAAEq->isChecked(), SpdBtnPlayBack->isChecked(),
                                SpdBtnRIAAEq->isChecked()};
    // Drawn at the screen's own resolution; the picture still spans the surface's logical pixels,
    // in which the pointer readout keeps reckoning.
    Image1->setPicture(
        drawResponseGraph(Image1->width(), Image1->height(), curves, Image1->devicePixelRatioF()));
}

void GraphPage::Image1MouseMove(int x, int y) {
    const QString readout = PointerReadout(x, y, Image1->width(), Image1->height(), locale_);
    // An image without area has no readout; the hint keeps the last one.
    if (!readout.isEmpty()) SetHint(Image1, readout);
}

void GraphPage::CmbBxRiaaChange() {
    RunGuarded(this, [this] {
        const double frequency = riaa::ParseNumber(CmbBxRiaa->currentText().toStdString(), locale_);
        const double level = riaa::InverseCurveLevel(frequency);
        LMDLabelAtten->setText(QString::fromStdString(riaa::FormatDecibels(level, locale_)));
    });
}

void GraphPage::FormResize() {
    const LevelLabelTops tops = PlaceLevelLabels(Image1->y(), Image1->height());
    Label12->move(Label12->x(), tops.plus10);
    Label14->move(Label14->x(), tops.zero);
    Label15->move(Label15->x(), tops.minus10);
    Label13->move(Label13->x(), tops.minus20);
}
