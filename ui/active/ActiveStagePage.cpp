#include "active/ActiveStagePage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "engine/ReplayCurves.h"
#include "active/FormSchematicView.h"
#include "active/FormSchematics.h"
#include "active/StageSchematicView.h"
#include "common/Bevel.h"
#include "common/Controls.h"
#include "common/Fonts.h"
#include "common/PageControls.h"
#include "common/UnitSigns.h"
#include "session/DesignSession.h"

namespace {

using riaa::DesignKind;
using riaa::ElementKind;
using riaa::HighFrequencyZero;
using riaa::NetworkForm;

const QColor kMessageText(176, 0, 0);

// ---- Where everything sits, at the page's design size ---------------------------------------------------------

const QRect kStageFrame(11, 10, 300, 194);
const QPoint kStageTitle(17, 4);
const QRect kNonInvertingButton(20, 27, 102, 19);
const QRect kInvertingButton(126, 27, 78, 19);
const QRect kTwoStagesButton(208, 27, 94, 19);
const QPoint kFormCaption(20, 52);
constexpr int kFormButtonLeft = 110;
constexpr int kFormButtonPitch = 38;
constexpr int kFormButtonTop = 50;
const QSize kFormButtonSize(36, 19);
const QRect kSchematicBox(20, 72, 282, 122);
const QRect kWholeStageButton(222, 75, 77, 19);
// The whole stage at its own scale: its widest drawing, the two-stage one, fits.
const QSize kWholeStageSize(720, 300);

const QRect kPartsFrame(11, 212, 300, 154);
const QPoint kPartsTitle(17, 206);
constexpr int kResultTop = 228;
constexpr int kResultPitch = 24;
constexpr std::array<int, 2> kResultCaptionLeft{20, 162};
constexpr std::array<int, 2> kResultFieldLeft{48, 196};
constexpr std::array<int, 2> kResultFieldWidth{100, 106};
const QRect kDesignState(20, 347, 284, 15);

const QRect kDesignFrame(320, 10, 304, 240);
const QPoint kDesignTitle(326, 4);
constexpr int kRowTop = 26;
constexpr int kRowPitch = 24;
constexpr int kCaptionLeft = 329;
constexpr int kFieldLeft = 430;
constexpr int kFieldWidth = 72;
constexpr int kUnitLeft = 506;
constexpr int kFieldHeight = 21;
constexpr int RowTop(int row) { return kRowTop + row * kRowPitch; }
const QRect kScaleChoice(kCaptionLeft, RowTop(1) - 1, 64, 22);
const QRect kC0Box(kCaptionLeft, RowTop(2) + 2, 100, 17);
const QRect kExtraZeroChoice(kFieldLeft, RowTop(3) - 1, 186, 22);
const QRect kRLBox(kCaptionLeft, RowTop(5) + 2, 100, 17);
const QRect kIdealBox(kCaptionLeft, RowTop(6) + 2, 150, 17);
// The op-amp's two figures share a row under its check box.
const QRect kOpenLoopGainField(352, RowTop(7), 50, kFieldHeight);
const QPoint kOpenLoopGainUnit(406, RowTop(7) + 3);
const QPoint kGainBandwidthCaption(440, RowTop(7) + 3);
const QRect kGainBandwidthField(476, RowTop(7), 70, kFieldHeight);
const QPoint kGainBandwidthUnit(550, RowTop(7) + 3);

const QRect kFiguresFrame(320, 260, 304, 106);
const QPoint kFiguresTitle(326, 254);
const QRect kGain1kHzField(410, 276, 72, 19);
// The caption of the DC gain ends this far before its field, whichever frequency it names.
constexpr int kGainDcCaptionGap = 6;
constexpr int kGainDcCaptionTop = 278;
const QRect kGainDcField(540, 276, 76, 19);
const QRect kExtraZeroField(410, 300, 206, 19);
const QRect kMessage(329, 324, 288, 38);

// Where each element's result sits: R0 and Rin share a place, since no stage has both.
struct ResultPlace {
    ElementKind element;
    int row;
    int column;
};
constexpr std::array<ResultPlace, 11> kResultPlaces{{
    {ElementKind::R0, 0, 0}, {ElementKind::Rin, 0, 0}, {ElementKind::C0, 0, 1},
    {ElementKind::R1, 1, 0}, {ElementKind::C1, 1, 1},  {ElementKind::R2, 2, 0},
    {ElementKind::C2, 2, 1}, {ElementKind::R3, 3, 0},  {ElementKind::C3, 3, 1},
    {ElementKind::RL, 4, 0}, {ElementKind::Cout, 4, 1},
}};

constexpr std::array<NetworkForm, 4> kForms{NetworkForm::A, NetworkForm::B, NetworkForm::C, NetworkForm::D};
// The extra zero's choices, in the list's order.
constexpr std::array<HighFrequencyZero, 3> kExtraZeroChoices{HighFrequencyZero::Pole, HighFrequencyZero::None,
                                                             HighFrequencyZero::At3_18us};

QString ValueText(ElementKind element, double value, const riaa::NumberLocale& locale) {
    return QString::fromStdString(riaa::FormatPartValueWithUnit(element, value, locale));
}

QString FrequencyText(double hz, const riaa::NumberLocale& locale) {
    if (hz >= 1000) {
        return QString::fromStdString(riaa::RenderNumber(hz / 1000, riaa::patterns::UpToTwo, locale)) +
               QStringLiteral(" kHz");
    }
    return QString::fromStdString(riaa::RenderNumber(hz, riaa::patterns::UpToOne, locale)) + QStringLiteral(" Hz");
}

QString DecibelText(double db, const riaa::NumberLocale& locale) {
    return QString::fromStdString(riaa::FormatDecibels(db, locale));
}

bool CurveHasTreblePole(const riaa::CurveChoice& curve) {
    try {
        return riaa::CurveRow(curve).trebleUs > 0;
    } catch (const riaa::EngineError&) {
        return true;
    }
}

}  // namespace

ActiveStagePage::ActiveStagePage(DesignSession& session, QWidget* parent) : SessionPage(session, parent) {
    setObjectName(QStringLiteral("ActiveStagePage"));
    setFont(PixelFont(kArial, 12));
    setAutoFillBackground(true);

    const ActiveInputs defaults;
    scaleTexts_ = {defaults.texts[Index(ActiveField::Scale)], kDefaultC1Text};

    // Built in tab order: the stage and its network, the design's figures, then the results.
    buildStageFrame();
    buildDesignFrame();
    buildPartsFrame();
    buildFiguresFrame();

    resize(kDesignWidth, kDesignHeight);
    renderNow();
}

ActiveStagePage::~ActiveStagePage() {
    // Controls may still signal while they go (a focused field losing focus): not to this page any more.
    for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
}

QRadioButton* ActiveStagePage::makeRadio(const char* name, const QString& caption, const QRect& geometry,
                                         const QString& accessibleName, const QString& hint) {
    auto* button = Named(new QRadioButton(caption, this), name);
    button->setGeometry(geometry);
    return WithHint(button, accessibleName, hint);
}

void ActiveStagePage::buildStageFrame() {
    BevelStage = Named(new Bevel(Bevel::Shape::EtchedFrame, this), "BevelStage");
    BevelStage->setGeometry(kStageFrame);
    LabelStage = MakeFrameTitle(this, "LabelStage", QStringLiteral(" Stage"), kStageTitle);

    RdBtnNonInverting = makeRadio(
        "RdBtnNonInverting", QStringLiteral("Non-inverting"), kNonInvertingButton, QStringLiteral("Non-inverting stage"),
        QStringLiteral("Non-inverting stage| The network Zf from the output to the \u2212 input and R0 from there to "
                       "ground: a gain of 1 + Zf/R0, never below 1."));
    RdBtnInverting = makeRadio(
        "RdBtnInverting", QStringLiteral("Inverting"), kInvertingButton, QStringLiteral("Inverting stage"),
        QStringLiteral("Inverting stage| Rin into the \u2212 input and the network Zf from there to the output: a "
                       "gain of Zf/Rin, which may fall below 1."));
    RdBtnTwoStages = makeRadio(
        "RdBtnTwoStages", QStringLiteral("Two stages"), kTwoStagesButton, QStringLiteral("Two stages"),
        QStringLiteral("Two stages| A non-inverting stage with (R1 \u2225 C1) + R2 for the bass, then the passive "
                       "low-pass R3, C3 for the treble."));
    RdBtnNonInverting->setChecked(true);
    stageGroup_ = new QButtonGroup(this);
    stageGroup_->addButton(RdBtnNonInverting, static_cast<int>(DesignKind::NonInverting));
    stageGroup_->addButton(RdBtnInverting, static_cast<int>(DesignKind::Inverting));
    stageGroup_->addButton(RdBtnTwoStages, static_cast<int>(DesignKind::TwoStage));
    stageId_ = stageGroup_->checkedId();
    connect(stageGroup_, &QButtonGroup::idClicked, this, [this](int id) {
        if (id == stageId_) return;
        stageId_ = id;
        InputChange();
    });

    LabelForm = MakeCaption(this, "LabelForm", QStringLiteral("Network form"), kFormCaption);
    formGroup_ = new QButtonGroup(this);
    for (std::size_t i = 0; i < kForms.size(); ++i) {
        const QString letter(QLatin1Char(static_cast<char>('A' + i)));
        const QRect place(QPoint(kFormButtonLeft + static_cast<int>(i) * kFormButtonPitch, kFormButtonTop),
                          kFormButtonSize);
        QRadioButton* button = makeRadio(
            (QStringLiteral("RdBtnForm") + letter).toLatin1().constData(), letter, place, QStringLiteral("Form ") + letter,
            QStringLiteral("Form %1| The feedback network %2; every form realises the curve exactly.")
                .arg(letter, FormSchematicOf(static_cast<FormDrawing>(i)).formula));
        formGroup_->addButton(button, static_cast<int>(kForms[i]));
        RdBtnForms[i] = button;
    }
    RdBtnForms[0]->setChecked(true);
    formId_ = formGroup_->checkedId();
    connect(formGroup_, &QButtonGroup::idClicked, this, [this](int id) {
        if (id == formId_) return;
        formId_ = id;
        InputChange();
    });

    BevelSchematic = Named(new Bevel(Bevel::Shape::LoweredBox, this), "BevelSchematic");
    BevelSchematic->setGeometry(kSchematicBox);
    ImageForm = Named(new FormSchematicView(this), "ImageForm");
    ImageForm->move(kSchematicBox.topLeft() + QPoint(1, 1));
    SetHint(ImageForm, QStringLiteral("Feedback network| The network Zf of the stage, between the op-amp's output "
                                      "and its \u2212 input."));
    SetShowHint(ImageForm, true);
    BtnWholeStage = MakeButton(this, "BtnWholeStage", QStringLiteral("Whole stage"), kWholeStageButton,
                               QStringLiteral("Whole stage| The op-amp with every part of the stage and its value, in a window of its own"));
    BtnWholeStage->setFont(PixelFont(kArial, 11));
    SetShowHint(BtnWholeStage, true);
    connect(BtnWholeStage, &QPushButton::clicked, this, [this] { WholeStageClick(); });
}

ActiveStagePage::FieldRow ActiveStagePage::makeField(ActiveField which, const char* name, const QString& text,
                                                     int top, const QString& accessibleName, const QString& hint,
                                                     const QString& unit, const char* captionName,
                                                     const QString& caption) {
    FieldRow row;
    if (captionName != nullptr) row.caption = MakeCaption(this, captionName, caption, {kCaptionLeft, top + 3});
    row.edit = Named(new QLineEdit(text, this), name);
    row.edit->setGeometry(kFieldLeft, top, kFieldWidth, kFieldHeight);
    WithHint(row.edit, accessibleName, hint);
    const QString unitName = QStringLiteral("LabelUnit") + QString::fromLatin1(name).mid(3);
    row.unit = MakeCaption(this, unitName.toLatin1().constData(), unit, {kUnitLeft, top + 3});
    // Typing only; the program's own setText on a change of the scale's choice is no edit.
    connect(row.edit, &QLineEdit::textEdited, this, [this] { InputChange(); });
    fields_[Index(which)] = row;
    return row;
}

void ActiveStagePage::buildDesignFrame() {
    BevelStageDesign = Named(new Bevel(Bevel::Shape::EtchedFrame, this), "BevelStageDesign");
    BevelStageDesign->setGeometry(kDesignFrame);
    LabelStageDesign = MakeFrameTitle(this, "LabelStageDesign", QStringLiteral(" Design"), kDesignTitle);
    const ActiveInputs defaults;
    const auto text = [&](ActiveField f) { return defaults.texts[Index(f)]; };

    makeField(ActiveField::Gain, "EdtStageGain", text(ActiveField::Gain), RowTop(0), QStringLiteral("Gain at 1 kHz"),
              QStringLiteral("Gain at 1 kHz| The gain the stage is designed for at 1 kHz, in dB."), QStringLiteral("dB"),
              "LabelStageGain", QStringLiteral("Gain at 1 kHz"));

    CmbBxScale = MakeChoice(
        this, "CmbBxScale", {QStringLiteral("R0"), QStringLiteral("C1")}, 0, kScaleChoice, QStringLiteral("Scale by"),
        QStringLiteral("Scale by| Which part sets the stage's impedance level: R0 (Rin in the inverting stage), or "
                       "C1 of the network; every other part follows from it."));
    connect(CmbBxScale, &QComboBox::activated, this, [this](int index) { ScaleChoiceChange(index); });
    makeField(ActiveField::Scale, "EdtStageScale", scaleTexts_[0], RowTop(1), QStringLiteral("Scale value"),
              QStringLiteral("Scale value| R0 or Rin in ohms, k and M reading as kilo- and megohms; or C1 in "
                             "\u00B5F, n and p reading as nF and pF."),
              kOhms);

    ChckBxStageC0 = MakeCheckBox(
        this, "ChckBxStageC0", QStringLiteral("C0 in circuit"), kC0Box,
        QStringLiteral("C0 in circuit| Check to put C0 in series with R0 (with Rin in the inverting stage), so that "
                       "the stage passes no DC gain beyond 1 (none at all inverting)."));
    connect(ChckBxStageC0, &QCheckBox::clicked, this, [this] { InputChange(); });
    makeField(ActiveField::C0, "EdtStageC0", text(ActiveField::C0), RowTop(2), QStringLiteral("C0 value"),
              QStringLiteral("C0 value| C0 in \u00B5F, n and p reading as nF and pF; its corner with R0 should lie "
                             "well below 20 Hz."),
              kMicrofarads);

    LabelExtraZero = MakeCaption(this, "LabelExtraZero", QStringLiteral("Extra zero"), {kCaptionLeft, RowTop(3) + 3});
    CmbBxExtraZero = MakeChoice(
        this, "CmbBxExtraZero",
        {QStringLiteral("cancelled by R3, C3"), QStringLiteral("left in"), QStringLiteral("moved to 3.18 \u00B5s")}, 0,
        kExtraZeroChoice, QStringLiteral("Extra zero"),
        QStringLiteral("Extra zero| What the non-inverting stage does with the zero its gain of at least 1 brings: "
                       "the low-pass R3, C3 after it cancels the zero, the zero stays, or it goes to 3.18 \u00B5s, which "
                       "sets the gain by itself, and the target takes that zero too."));
    connect(CmbBxExtraZero, &QComboBox::activated, this, [this](int index) {
        if (index == extraZeroIndex_) return;
        extraZeroIndex_ = index;
        InputChange();
    });
    makeField(ActiveField::R3, "EdtStageR3", text(ActiveField::R3), RowTop(4), QStringLiteral("R3"),
              QStringLiteral("R3| The resistor of the low-pass after the stage, in ohms, k and M reading as kilo- "
                             "and megohms; C3 is worked out for it."),
              kOhms, "LabelStageR3", QStringLiteral("R3"));

    ChckBxStageRL = MakeCheckBox(
        this, "ChckBxStageRL", QStringLiteral("RL in circuit"), kRLBox,
        QStringLiteral("RL in circuit| Check to count the next stage's input resistance RL: it loads the low-pass "
                       "after two stages, and the IEC coupling capacitor Cout needs it."));
    ChckBxStageRL->setChecked(defaults.useRL);
    connect(ChckBxStageRL, &QCheckBox::clicked, this, [this] { InputChange(); });
    makeField(ActiveField::RL, "EdtStageRL", text(ActiveField::RL), RowTop(5), QStringLiteral("RL value"),
              QStringLiteral("RL value| The next stage's input resistance in ohms, k and M reading as kilo- and "
                             "megohms."),
              kOhms);

    ChckBxIdealOpAmp = MakeCheckBox(
        this, "ChckBxIdealOpAmp", QStringLiteral("Ideal op-amp"), kIdealBox,
        QStringLiteral("Ideal op-amp| Check for an op-amp of unlimited gain; clear to count its open-loop gain A0 "
                       "and its gain-bandwidth product."));
    ChckBxIdealOpAmp->setChecked(defaults.idealOpAmp);
    connect(ChckBxIdealOpAmp, &QCheckBox::clicked, this, [this] { InputChange(); });
    FieldRow a0 = makeField(ActiveField::OpenLoopGain, "EdtStageOpenLoopGain", text(ActiveField::OpenLoopGain), RowTop(7),
                            QStringLiteral("Open-loop gain A0"),
                            QStringLiteral("Open-loop gain A0| The op-amp's gain at DC, in dB."), QStringLiteral("dB"),
                            "LabelStageOpenLoopGain", QStringLiteral("A0"));
    a0.edit->setGeometry(kOpenLoopGainField);
    a0.unit->move(kOpenLoopGainUnit);
    FieldRow gbw = makeField(
        ActiveField::GainBandwidth, "EdtStageGainBandwidth", text(ActiveField::GainBandwidth), RowTop(7),
        QStringLiteral("Gain-bandwidth product"),
        QStringLiteral("Gain-bandwidth product| Where the op-amp's gain falls to 1, in Hz, k and M reading as kHz "
                       "and MHz."),
        QStringLiteral("Hz"), "LabelStageGainBandwidth", QStringLiteral("GBW"));
    gbw.caption->move(kGainBandwidthCaption);
    gbw.edit->setGeometry(kGainBandwidthField);
    gbw.unit->move(kGainBandwidthUnit);

    makeField(ActiveField::Shelf, "EdtStageShelf", text(ActiveField::Shelf), RowTop(8), QStringLiteral("Shelf"),
              QStringLiteral("Shelf| Where the stage puts the bass shelf of a curve that has none, in \u00B5s "
                             "(15915 \u00B5s is 10 Hz); only such a curve uses it."),
              QStringLiteral("\u00B5s"), "LabelStageShelf", QStringLiteral("Shelf"));
}

void ActiveStagePage::makeResult(ElementKind element, int row, int column, const QString& hint) {
    const QString name = QString::fromLatin1(riaa::ElementName(element).data(),
                                             static_cast<qsizetype>(riaa::ElementName(element).size()));
    const auto c = static_cast<std::size_t>(column);
    const int top = kResultTop + row * kResultPitch;
    ResultRow result;
    result.caption = MakeCaption(this, ("LabelStageRes" + name).toLatin1().constData(), name, {kResultCaptionLeft[c], top + 2});
    result.field = MakeResultField(this, ("LblStage" + name).toLatin1().constData(),
                                   {kResultFieldLeft[c], top, kResultFieldWidth[c], 19},
                                   name + QStringLiteral(" as designed"),
                                   name + QStringLiteral(" as designed| ") + hint);
    results_[riaa::Index(element)] = result;
}

void ActiveStagePage::buildPartsFrame() {
    BevelStageParts = Named(new Bevel(Bevel::Shape::EtchedFrame, this), "BevelStageParts");
    BevelStageParts->setGeometry(kPartsFrame);
    LabelStageParts = MakeFrameTitle(this, "LabelStageParts", QStringLiteral(" Parts"), kPartsTitle);
    const auto hintOf = [](ElementKind element) -> QString {
        switch (element) {
            case ElementKind::R0: return QStringLiteral("From the \u2212 input to ground; with the network it sets the gain.");
            case ElementKind::Rin: return QStringLiteral("Into the inverting stage's \u2212 input; the source drives it.");
            case ElementKind::C0: return QStringLiteral("In series with R0 or Rin, blocking DC.");
            case ElementKind::R1:
            case ElementKind::C1:
            case ElementKind::R2:
            case ElementKind::C2: return QStringLiteral("In the feedback network, as the drawing shows.");
            case ElementKind::R3: return QStringLiteral("The series resistor of the low-pass after the stage.");
            case ElementKind::C3: return QStringLiteral("From R3 to ground: the low-pass after the stage.");
            case ElementKind::RL: return QStringLiteral("The next stage's input resistance.");
            case ElementKind::Cout: return QStringLiteral("The coupling capacitor into RL: the IEC high-pass.");
            default: return QString();
        }
    };
    for (const ResultPlace& place : kResultPlaces) makeResult(place.element, place.row, place.column, hintOf(place.element));
    LabelDesignState = MakePlainLabel(this, "LabelDesignState", QString(), PixelFont(kArial, 11));
    LabelDesignState->setGeometry(kDesignState);
    LabelDesignState->setAccessibleName(QStringLiteral("Design in use"));
}

void ActiveStagePage::buildFiguresFrame() {
    BevelFigures = Named(new Bevel(Bevel::Shape::EtchedFrame, this), "BevelFigures");
    BevelFigures->setGeometry(kFiguresFrame);
    LabelFigures = MakeFrameTitle(this, "LabelFigures", QStringLiteral(" Stage figures"), kFiguresTitle);
    LabelStageGain1kHz = MakeCaption(this, "LabelStageGain1kHz", QStringLiteral("Gain at 1 kHz"), {kCaptionLeft, 278});
    LblStageGain1kHz = MakeResultField(
        this, "LblStageGain1kHz", kGain1kHzField, QStringLiteral("Gain at 1 kHz as designed"),
        QStringLiteral("Gain at 1 kHz as designed| The stage's gain at 1 kHz with the parts as designed, from an "
                       "ideal source."));
    LabelStageGainDc = MakeCaption(this, "LabelStageGainDc", QStringLiteral("at DC"), {0, kGainDcCaptionTop});
    placeGainDcCaption();
    LblStageGainDc = MakeResultField(
        this, "LblStageGainDc", kGainDcField, QStringLiteral("Gain at DC"),
        QStringLiteral("Gain at DC| The stage's gain at 0 Hz, or at 20 Hz where C0 or Cout blocks DC."));
    LabelStageExtraZeroHz = MakeCaption(this, "LabelStageExtraZeroHz", QStringLiteral("Extra zero"), {kCaptionLeft, 302});
    LblStageExtraZero = MakeResultField(
        this, "LblStageExtraZero", kExtraZeroField, QStringLiteral("Extra zero frequency"),
        QStringLiteral("Extra zero frequency| Where the non-inverting stage's second zero lies, and what became of "
                       "it."));

    LabelStageMessage = MakePlainLabel(this, "LabelStageMessage", QString(), PixelFont(kArial, 12));
    LabelStageMessage->setGeometry(kMessage);
    LabelStageMessage->setWordWrap(true);
    LabelStageMessage->setAccessibleName(QStringLiteral("Message"));
    QPalette red = LabelStageMessage->palette();
    red.setColor(QPalette::WindowText, kMessageText);
    LabelStageMessage->setPalette(red);
}

void ActiveStagePage::placeGainDcCaption() {
    LabelStageGainDc->adjustSize();
    LabelStageGainDc->move(kGainDcField.left() - kGainDcCaptionGap - LabelStageGainDc->width(), kGainDcCaptionTop);
}

QLabel* ActiveStagePage::resultField(ElementKind element) const { return results_[riaa::Index(element)].field; }

QLineEdit* ActiveStagePage::field(ActiveField which) const { return fields_[Index(which)].edit; }

ActiveInputs ActiveStagePage::inputs() const {
    ActiveInputs in;
    in.stage = static_cast<DesignKind>(stageGroup_->checkedId());
    in.form = static_cast<NetworkForm>(formGroup_->checkedId());
    in.scaleByC1 = CmbBxScale->currentIndex() == 1;
    in.useC0 = ChckBxStageC0->isChecked();
    const int zero = CmbBxExtraZero->currentIndex();
    in.highFrequencyZero = kExtraZeroChoices[zero >= 0 && zero < 3 ? static_cast<std::size_t>(zero) : 0];
    in.useRL = ChckBxStageRL->isChecked();
    in.idealOpAmp = ChckBxIdealOpAmp->isChecked();
    for (std::size_t i = 0; i < kActiveFieldCount; ++i) in.texts[i] = fields_[i].edit->text();
    return in;
}

void ActiveStagePage::ScaleChoiceChange(int index) {
    if (index == scaleIndex_ || index < 0 || index > 1) return;
    // Each choice keeps its own text: a resistance read as µF would make no sense.
    QLineEdit* edit = fields_[Index(ActiveField::Scale)].edit;
    scaleTexts_[static_cast<std::size_t>(scaleIndex_)] = edit->text();
    scaleIndex_ = index;
    edit->setText(scaleTexts_[static_cast<std::size_t>(index)]);
    InputChange();
}

void ActiveStagePage::InputChange() {
    updateControls();
    const ActiveReading reading = ReadActiveInputs(inputs(), session_.curve(), session_.locale());
    markFields(reading.bad);
    if (!reading.request) {
        LabelStageMessage->setText(reading.message);
        return;
    }
    try {
        session_.setActiveRequest(*reading.request, PageTextsOf(inputs(), scaleTexts_));
    } catch (const riaa::EngineError& error) {
        LabelStageMessage->setText(QString::fromUtf8(error.what()));
        return;
    }
    LabelStageMessage->clear();
}

void ActiveStagePage::showInputs(const ActiveInputs& in) {
    stageGroup_->button(static_cast<int>(in.stage))->setChecked(true);
    stageId_ = static_cast<int>(in.stage);
    formGroup_->button(static_cast<int>(in.form))->setChecked(true);
    formId_ = static_cast<int>(in.form);
    scaleIndex_ = in.scaleByC1 ? 1 : 0;
    CmbBxScale->setCurrentIndex(scaleIndex_);
    ChckBxStageC0->setChecked(in.useC0);
    for (std::size_t i = 0; i < kExtraZeroChoices.size(); ++i) {
        if (kExtraZeroChoices[i] == in.highFrequencyZero) extraZeroIndex_ = static_cast<int>(i);
    }
    CmbBxExtraZero->setCurrentIndex(extraZeroIndex_);
    ChckBxStageRL->setChecked(in.useRL);
    ChckBxIdealOpAmp->setChecked(in.idealOpAmp);
    for (std::size_t i = 0; i < kActiveFieldCount; ++i) fields_[i].edit->setText(in.texts[i]);
    scaleTexts_[static_cast<std::size_t>(scaleIndex_)] = in.texts[Index(ActiveField::Scale)];
    markFields({});
    LabelStageMessage->clear();
}

void ActiveStagePage::updateControls() {
    const ActiveInputs in = inputs();
    const riaa::CurveChoice& curve = session_.curve();
    const ActiveControlStates states = ControlStates(in, curve);
    for (std::size_t i = 0; i < kActiveFieldCount; ++i) {
        const FieldRow& row = fields_[i];
        for (QWidget* control : {static_cast<QWidget*>(row.caption), static_cast<QWidget*>(row.edit),
                                 static_cast<QWidget*>(row.unit)}) {
            if (control != nullptr) control->setEnabled(states.fields[i]);
        }
    }
    for (QRadioButton* button : RdBtnForms) button->setEnabled(states.form);
    LabelForm->setEnabled(states.form);
    LabelExtraZero->setEnabled(states.highFrequencyZero);
    CmbBxExtraZero->setEnabled(states.highFrequencyZero);
    ChckBxStageRL->setEnabled(states.rlChoice);

    const bool inverting = in.stage == DesignKind::Inverting;
    CmbBxScale->setItemText(0, inverting ? QStringLiteral("Rin") : QStringLiteral("R0"));
    fields_[Index(ActiveField::Scale)].unit->setText(in.scaleByC1 ? kMicrofarads : kOhms);
    fields_[Index(ActiveField::Scale)].unit->adjustSize();
    ImageForm->showDrawing(DrawingFor(in.stage, in.form, CurveHasTreblePole(curve)));
}

void ActiveStagePage::markFields(const std::array<bool, kActiveFieldCount>& bad) {
    for (std::size_t i = 0; i < kActiveFieldCount; ++i) MarkField(fields_[i].edit, bad[i]);
}

void ActiveStagePage::renderResults() {
    const riaa::NumberLocale& locale = session_.locale();
    const std::optional<ActiveStage>& stage = session_.activeStage();
    for (const ResultPlace& place : kResultPlaces) {
        const ResultRow& row = results_[riaa::Index(place.element)];
        const bool shown = stage && stage->network.has(place.element);
        row.caption->setVisible(shown);
        row.field->setVisible(shown);
        row.field->setText(shown ? ValueText(place.element, stage->network.value(place.element), locale) : QString());
    }
    if (!stage) {
        for (QLabel* figure : {LblStageGain1kHz, LblStageGainDc, LblStageExtraZero}) figure->clear();
        return;
    }
    const riaa::BuiltNetwork& design = stage->network;
    const riaa::StageFigures& figures = stage->figures;
    LblStageGain1kHz->setText(DecibelText(figures.gain1kHzDb, locale));
    const bool blocked = design.has(ElementKind::C0) || design.has(ElementKind::Cout);
    LabelStageGainDc->setText(blocked ? QStringLiteral("at 20 Hz") : QStringLiteral("at DC"));
    placeGainDcCaption();
    LblStageGainDc->setText(DecibelText(figures.gainDcDb, locale));
    if (!figures.extraZeroHz) {
        LblStageExtraZero->setText(QStringLiteral("none"));
        return;
    }
    QString fate = QStringLiteral(", left in");
    if (design.has(ElementKind::R3) && design.kind == DesignKind::NonInverting) {
        fate = QStringLiteral(", cancelled by R3, C3");
    } else if (design.kind == DesignKind::NonInverting && design.highFrequencyZero == HighFrequencyZero::At3_18us) {
        fate = QStringLiteral(", as the target has it");
    }
    LblStageExtraZero->setText(FrequencyText(*figures.extraZeroHz, locale) + fate);
}

void ActiveStagePage::renderState() {
    const std::optional<ActiveStage>& stage = session_.activeStage();
    QString state = QStringLiteral("Edit a value to design the stage and use it.");
    if (stage && session_.designInUse() == DesignInUse::Active) {
        // The session evaluates the parts against its curve of now, which may not be the one they were made for.
        state = stage->network.curve == session_.curve() ? QStringLiteral("The Accuracy and Parts pages show this stage.")
                                                         : QStringLiteral("The curve has changed; edit to design for it.");
    } else if (stage) {
        state = QStringLiteral("Another design is in use; edit to use this one.");
    }
    LabelDesignState->setText(state);
}

void ActiveStagePage::WholeStageClick() {
    if (wholeStage_ == nullptr) {
        wholeStage_ = new QDialog(this);
        wholeStage_->setObjectName(QStringLiteral("WholeStage"));
        wholeStage_->setWindowTitle(QStringLiteral("Mirelund - Whole stage"));
        wholeStageView_ = new StageSchematicView(kWholeStageSize, wholeStage_);
        wholeStageView_->setObjectName(QStringLiteral("ImageWholeStage"));
        wholeStage_->setFixedSize(kWholeStageSize);
    }
    renderWholeStage();
    wholeStage_->show();
    wholeStage_->raise();
    wholeStage_->activateWindow();
}

void ActiveStagePage::renderWholeStage() {
    if (wholeStageView_ == nullptr) return;
    const std::optional<ActiveStage>& stage = session_.activeStage();
    if (stage) {
        wholeStageView_->showStage(stage->network, session_.locale());
    } else {
        wholeStageView_->showStage(riaa::BuiltNetwork{}, session_.locale());
    }
}

void ActiveStagePage::render() {
    const DesignSession::Changes what = changes();
    const std::optional<ActiveStage>& stage = session_.activeStage();
    if (what.testFlag(DesignSession::InputsReplaced)) {
        // The texts as typed where the session has them; else the figures of the request they made.
        if (const std::optional<riaa::StagePageInputs>& texts = session_.stagePageInputs()) {
            std::array<QString, 2> scaleTexts;
            const ActiveInputs in = InputsOf(*texts, scaleTexts);
            showInputs(in);
            scaleTexts_ = scaleTexts;
        } else if (stage && session_.designInUse() == DesignInUse::Active) {
            showInputs(InputsOf(stage->request, session_.locale()));
        }
    }
    // The curve decides which fields count; the design itself waits for the user's next edit. Edits of
    // the parts as built and tolerance runs change nothing here.
    if (what & (DesignSession::TargetChanged | DesignSession::InputsReplaced)) updateControls();
    if (what & (DesignSession::DesignChanged | DesignSession::TargetChanged)) {
        renderResults();
        renderState();
        renderWholeStage();
    }
}
