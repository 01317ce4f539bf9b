#include "accuracy/AccuracyPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QSaveFile>
#include <array>
#include <charconv>
#include <cmath>

#include "accuracy/ErrorPlot.h"
#include "accuracy/ErrorPlotView.h"
#include "engine/Circuits.h"
#include "common/Bevel.h"
#include "common/Controls.h"
#include "common/ErrorReport.h"
#include "common/Fonts.h"
#include "common/Hints.h"
#include "common/PageControls.h"
#include "common/UnitSigns.h"
#include "engine/Netlist.h"
#include "engine/ReplayCurves.h"
#include "session/DesignSession.h"

namespace {

using riaa::ElementKind;

const QColor kMessageText(176, 0, 0);

const QRect kPlotBoxDesign(288, 228, 336, 138);
const QRect kPlotDesign(289, 229, 334, 136);

constexpr riaa::Pattern kTimeConstant{2, 0, true, false};

using riaa::Index;
using riaa::IsCapacitor;

// A readout whose text may be longer than its field: what fits, with an ellipsis, and the whole in
// the status bar's part of its hint, which also says what the field is.
void ShowFitting(QLabel* field, const QString& text, const QString& whole = {}) {
    static const char* const kDescription = "mirelundFieldDescription";
    if (!field->property(kDescription).isValid()) field->setProperty(kDescription, HintOf(field));
    const QString description = field->property(kDescription).toString();
    const QFontMetrics metrics(field->font());
    const QString shown = metrics.elidedText(text, Qt::ElideRight, field->contentsRect().width() - 4);
    field->setText(shown);
    const QString said = whole.isEmpty() ? text : whole;
    SetHint(field, shown == said || said.isEmpty() ? description : description + QStringLiteral(": ") + said);
}

QString JoinTimeConstants(const std::vector<double>& values, const riaa::NumberLocale& locale) {
    if (values.empty()) return QStringLiteral("none");
    QStringList texts;
    for (double us : values) texts << QString::fromStdString(riaa::RenderNumber(us, kTimeConstant, locale));
    // A semicolon, since the comma may be the decimal separator.
    return texts.join(QStringLiteral("; "));
}

}  // namespace

AccuracyPage::AccuracyPage(DesignSession& session, QWidget* parent)
    : SessionPage(session, parent),
      saveFileDialog_([](QWidget* owner, const QString& caption, const QString& suggested, const QString& filter) {
          return QFileDialog::getSaveFileName(owner, caption, suggested, filter);
      }) {
    setObjectName(QStringLiteral("AccuracyPage"));
    setFont(PixelFont(kArial, 12));
    setAutoFillBackground(true);

    buildAsBuiltFrame();
    buildNetlistFrame();
    buildReadoutFrame();
    buildTargetFrame();

    BevelPlot = Named(new Bevel(Bevel::Shape::LoweredBox, this), "BevelPlot");
    BevelPlot->setGeometry(kPlotBoxDesign);
    ImageError = Named(new ErrorPlotView(session_.locale(), this), "ImageError");
    ImageError->setGeometry(kPlotDesign);
    ImageError->setAccessibleName(QStringLiteral("Error against frequency"));
    // The hint is the pointer readout, shown in the status bar alone.
    SetShowHint(ImageError, false);
    connect(ImageError, &ErrorPlotView::pointerMoved, this, [this](int x, int y) { ImageErrorMouseMove(x, y); });

    resize(kDesignWidth, kDesignHeight);
    renderNow();
}

AccuracyPage::~AccuracyPage() {
    // Controls may still signal while they go (a focused field losing focus): not to this page any more.
    for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
}

void AccuracyPage::buildAsBuiltFrame() {
    BevelAsBuilt = Named(new Bevel(Bevel::Shape::EtchedFrame, this), "BevelAsBuilt");
    BevelAsBuilt->setGeometry(11, 10, 270, 218);
    LabelAsBuilt = MakeFrameTitle(this, "LabelAsBuilt", QStringLiteral(" As built"), {17, 4});
    // Which design the page shows, on the frame's edge beside its title.
    LabelDesign = MakeFrameTitle(this, "LabelDesign", QString(), {90, 4});
    LabelDesign->setFont(PixelFont(kArial, 11));
    LabelDesign->setAccessibleName(QStringLiteral("Design shown"));

    const QString capacitorHint =
        QStringLiteral("%1 as built| Capacitor %1 as it goes into the circuit, in \u00B5F; n and p read as nF "
                       "and pF, and 3.3n+120p as two capacitors in parallel.");
    const QString resistorHint =
        QStringLiteral("%1 as built| Resistor %1 as it goes into the circuit, in ohms; k and M read as kilo- and "
                       "megohms, and 27k+820 as two resistors in series.");
    rows_[Index(ElementKind::C1)] = makeElementRow(ElementKind::C1, "LabelC1", "EdtC1", "LabelUnitC1", "LabelTotalC1",
                                                   26, QStringLiteral("C1"), capacitorHint.arg(QStringLiteral("C1")));
    rows_[Index(ElementKind::C2)] = makeElementRow(ElementKind::C2, "LabelC2", "EdtC2", "LabelUnitC2", "LabelTotalC2",
                                                   50, QStringLiteral("C2"), capacitorHint.arg(QStringLiteral("C2")));
    rows_[Index(ElementKind::R1)] = makeElementRow(ElementKind::R1, "LabelR1", "EdtR1", "LabelUnitR1", "LabelTotalR1",
                                                   74, QStringLiteral("R1"), resistorHint.arg(QStringLiteral("R1")));
    rows_[Index(ElementKind::R2)] = makeElementRow(ElementKind::R2, "LabelR2", "EdtR2", "LabelUnitR2", "LabelTotalR2",
                                                   98, QStringLiteral("R2"), resistorHint.arg(QStringLiteral("R2")));
    rows_[Index(ElementKind::Rs)] = makeElementRow(
        ElementKind::Rs, "LabelRs", "EdtRs", "LabelUnitRs", "LabelTotalRs", 122, QStringLiteral("Rs"),
        QStringLiteral("Rs as built| Output resistance Rs of the previous stage, in ohms; it counts while "
                       "\"Rs in circuit\" is checked."));
    rows_[Index(ElementKind::RL)] = makeElementRow(
        ElementKind::RL, "LabelRL", "EdtRL", "LabelUnitRL", "LabelTotalRL", 146, QStringLiteral("RL"),
        QStringLiteral("RL as built| Load resistance RL of the following stage, in ohms; it counts while "
                       "\"RL in circuit\" is checked."));

    // The elements around an op-amp, placed by placeRows where an active stage has them.
    const struct {
        ElementKind element;
        const char* names[4];
        const char* what;
    } stageRows[] = {
        {ElementKind::R0, {"LabelR0", "EdtR0", "LabelUnitR0", "LabelTotalR0"}, "from the stage's \u2212 input to ground"},
        {ElementKind::C0, {"LabelC0", "EdtC0", "LabelUnitC0", "LabelTotalC0"}, "in series with R0 or Rin"},
        {ElementKind::R3, {"LabelR3", "EdtR3", "LabelUnitR3", "LabelTotalR3"}, "of the low-pass after the stage"},
        {ElementKind::C3, {"LabelC3", "EdtC3", "LabelUnitC3", "LabelTotalC3"}, "of the low-pass after the stage"},
        {ElementKind::Rin, {"LabelRin", "EdtRin", "LabelUnitRin", "LabelTotalRin"}, "into the inverting stage"},
        {ElementKind::Cout, {"LabelCout", "EdtCout", "LabelUnitCout", "LabelTotalCout"},
         "coupling the stage into RL: the IEC high-pass"},
    };
    for (const auto& row : stageRows) {
        const QString name = QString::fromLatin1(riaa::ElementName(row.element).data(),
                                                 static_cast<qsizetype>(riaa::ElementName(row.element).size()));
        const QString hint = (IsCapacitor(row.element) ? capacitorHint : resistorHint).arg(name);
        rows_[Index(row.element)] = makeElementRow(row.element, row.names[0], row.names[1], row.names[2], row.names[3],
                                                   26, name, hint + QStringLiteral(" It sits ") +
                                                                 QString::fromUtf8(row.what) + QLatin1Char('.'));
    }


    ChckBxRsInCircuit = MakeCheckBox(
        this, "ChckBxRsInCircuit", QStringLiteral("Rs in circuit"), {20, 172, 110, 17},
        QStringLiteral("Rs in circuit| Check to drive the network through Rs, as the previous stage does."));
    ChckBxRLInCircuit = MakeCheckBox(
        this, "ChckBxRLInCircuit", QStringLiteral("RL in circuit"), {140, 172, 110, 17},
        QStringLiteral("RL in circuit| Check to load the network's output with RL, as the following stage does."));
    // Clicks only: the program's own setChecked on a refill is no edit.
    connect(ChckBxRsInCircuit, &QCheckBox::clicked, this,
            [this](bool checked) { session_.setInCircuit(ElementKind::Rs, checked); });
    connect(ChckBxRLInCircuit, &QCheckBox::clicked, this,
            [this](bool checked) { session_.setInCircuit(ElementKind::RL, checked); });

    BtnFromCircuit = MakeButton(
        this, "BtnFromCircuit", QStringLiteral("From circuit page"), {20, 196, 120, 24},
        QStringLiteral("From circuit page| Fill the fields again with the values of the last calculation on the "
                       "circuit page."));
    connect(BtnFromCircuit, &QPushButton::clicked, this, [this] { BtnFromCircuitClick(); });
    LabelValuesSource = MakeCaption(this, "LabelValuesSource", QString(), {148, 200});
    LabelValuesSource->setAccessibleName(QStringLiteral("Source of the values"));

    LabelMessage = MakePlainLabel(this, "LabelMessage", QString(), PixelFont(kArial, 12));
    LabelMessage->setGeometry(13, 234, 266, 74);
    LabelMessage->setWordWrap(true);
    LabelMessage->setAccessibleName(QStringLiteral("Message"));
    QPalette red = LabelMessage->palette();
    red.setColor(QPalette::WindowText, kMessageText);
    LabelMessage->setPalette(red);
}

AccuracyPage::ElementRow AccuracyPage::makeElementRow(ElementKind element, const char* captionName,
                                                       const char* fieldName, const char* unitName,
                                                       const char* totalName, int top, const QString& caption,
                                                       const QString& hint) {
    ElementRow row;
    row.caption = MakeCaption(this, captionName, caption, {20, top + 3});
    row.field = Named(new QLineEdit(this), fieldName);
    row.field->setGeometry(42, top, 146, 21);
    WithHint(row.field, caption + QStringLiteral(" as built"), hint);
    row.unit = MakeCaption(this, unitName, IsCapacitor(element) ? kMicrofarads : kOhms, {191, top + 3});
    row.total = MakePlainLabel(this, totalName, QString(), PixelFont(kArial, 12));
    row.total->setGeometry(208, top + 3, 70, 15);
    row.total->setAccessibleName(caption + QStringLiteral(" total"));
    // Typing only; a refill from the program is no edit.
    connect(row.field, &QLineEdit::textEdited, this, [this, element] { AsBuiltChange(element); });
    return row;
}

void AccuracyPage::placeRows() {
    const std::optional<SessionDesign>& design = session_.design();
    const bool active = design && design->calculated.kind != riaa::DesignKind::Passive;
    const auto place = [](ElementRow& row, int top, int height, bool shown) {
        row.caption->move(20, top + (height - 15) / 2);
        row.field->setGeometry(42, top, 146, height);
        row.unit->move(191, top + (height - 15) / 2);
        row.total->setGeometry(208, top + (height - 15) / 2, 70, 15);
        for (QWidget* control : {static_cast<QWidget*>(row.caption), static_cast<QWidget*>(row.field),
                                 static_cast<QWidget*>(row.unit), static_cast<QWidget*>(row.total)}) {
            control->setVisible(shown);
        }
    };
    if (!active) {
        // The passive networks' rows where they always were; the stage's elements are not theirs.
        constexpr std::array kPassive{ElementKind::C1, ElementKind::C2, ElementKind::R1,
                                      ElementKind::R2, ElementKind::Rs, ElementKind::RL};
        for (std::size_t i = 0; i < kPassive.size(); ++i) place(rows_[Index(kPassive[i])], 26 + 24 * static_cast<int>(i), 21, true);
        for (const ElementKind e : riaa::kAllElements) {
            if (std::find(kPassive.begin(), kPassive.end(), e) == kPassive.end()) place(rows_[Index(e)], 26, 21, false);
        }
        ChckBxRsInCircuit->show();
        ChckBxRLInCircuit->show();
        BtnFromCircuit->setText(QStringLiteral("From circuit page"));
        BtnFromCircuit->setGeometry(20, 196, 120, 24);
        LabelValuesSource->move(148, 200);
        return;
    }
    // A stage's elements from its input to its output, as many as it has, closer together.
    constexpr std::array kStageOrder{ElementKind::Rin, ElementKind::R0, ElementKind::C0, ElementKind::R1,
                                     ElementKind::C1,  ElementKind::R2, ElementKind::C2, ElementKind::R3,
                                     ElementKind::C3,  ElementKind::RL, ElementKind::Cout, ElementKind::Rs};
    int top = 24;
    for (const ElementKind e : kStageOrder) {
        const bool offered = design->fields[Index(e)];
        place(rows_[Index(e)], offered ? top : 24, 18, offered);
        if (offered) top += 18;
    }
    ChckBxRsInCircuit->hide();
    ChckBxRLInCircuit->hide();
    BtnFromCircuit->setText(QStringLiteral("From stage page"));
    BtnFromCircuit->setGeometry(20, 205, 120, 20);
    LabelValuesSource->move(148, 208);
}

void AccuracyPage::buildNetlistFrame() {
    BevelNetlist = Named(new Bevel(Bevel::Shape::EtchedFrame, this), "BevelNetlist");
    BevelNetlist->setGeometry(11, 318, 270, 48);
    LabelNetlist = MakeFrameTitle(this, "LabelNetlist", QStringLiteral(" SPICE netlist"), {17, 312});
    BtnCopyNetlist = MakeButton(this, "BtnCopyNetlist", QStringLiteral("Copy netlist"), {20, 333, 120, 24},
                                QStringLiteral("Copy netlist| Copy a SPICE netlist of the network as built to the "
                                               "clipboard."));
    BtnSaveNetlist = MakeButton(this, "BtnSaveNetlist", QStringLiteral("Save netlist..."), {150, 333, 120, 24},
                                QStringLiteral("Save netlist| Save a SPICE netlist of the network as built in a "
                                               ".cir file."));
    connect(BtnCopyNetlist, &QPushButton::clicked, this, [this] { BtnCopyNetlistClick(); });
    connect(BtnSaveNetlist, &QPushButton::clicked, this, [this] { BtnSaveNetlistClick(); });
}

void AccuracyPage::buildReadoutFrame() {
    BevelAccuracy = Named(new Bevel(Bevel::Shape::EtchedFrame, this), "BevelAccuracy");
    BevelAccuracy->setGeometry(288, 10, 336, 122);
    LabelAccuracy = MakeFrameTitle(this, "LabelAccuracy", QStringLiteral(" Accuracy"), {294, 4});

    LabelLargestError = MakeCaption(this, "LabelLargestError", QStringLiteral("Largest error"), {297, 28});
    LblLargestError = MakeResultField(
        this, "LblLargestError", {382, 26, 234, 19}, QStringLiteral("Largest error"),
        QStringLiteral("Largest error| The largest deviation from the target response between 20 Hz and 20 kHz, "
                       "and where it occurs; 0 dB at 1 kHz."));
    LabelLoss = MakeCaption(this, "LabelLoss", QStringLiteral("Loss at 1 kHz"), {297, 50});
    LblLoss = MakeResultField(this, "LblLoss", {382, 48, 116, 19}, QStringLiteral("Loss at 1 kHz"),
                              QStringLiteral("Loss at 1 kHz| How much the network attenuates at 1 kHz."));

    LabelBuiltHeading = MakeCaption(this, "LabelBuiltHeading", QStringLiteral("as built"), {0, 71}, 11);
    LabelBuiltHeading->move(382 + (116 - LabelBuiltHeading->width()) / 2, 71);
    LabelTargetHeading = MakeCaption(this, "LabelTargetHeading", QStringLiteral("target"), {0, 71}, 11);
    LabelTargetHeading->move(502 + (114 - LabelTargetHeading->width()) / 2, 71);

    LabelPoles = MakeCaption(this, "LabelPoles", QStringLiteral("Poles (\u00B5s)"), {297, 88});
    LblPolesBuilt = MakeResultField(
        this, "LblPolesBuilt", {382, 86, 116, 19}, QStringLiteral("Poles as built"),
        QStringLiteral("Poles as built| Time constants of the network's poles as built, in \u00B5s."));
    LblPolesTarget = MakeResultField(
        this, "LblPolesTarget", {502, 86, 114, 19}, QStringLiteral("Target poles"),
        QStringLiteral("Target poles| Time constants of the poles the circuit aims at, in \u00B5s."));
    LabelZeros = MakeCaption(this, "LabelZeros", QStringLiteral("Zeros (\u00B5s)"), {297, 110});
    LblZerosBuilt = MakeResultField(
        this, "LblZerosBuilt", {382, 108, 116, 19}, QStringLiteral("Zeros as built"),
        QStringLiteral("Zeros as built| Time constants of the network's zeros as built, in \u00B5s."));
    LblZerosTarget = MakeResultField(
        this, "LblZerosTarget", {502, 108, 114, 19}, QStringLiteral("Target zeros"),
        QStringLiteral("Target zeros| Time constants of the zeros the circuit aims at, in \u00B5s."));
    LblGainDc = MakeResultField(this, "LblGainDc", {502, 48, 114, 19}, QStringLiteral("Gain at DC"),
                                QStringLiteral("Gain at DC| An active stage's gain at 0 Hz, or at 20 Hz where a "
                                               "capacitor blocks DC; its extra zero, where it has one."));
}

void AccuracyPage::buildTargetFrame() {
    BevelTarget = Named(new Bevel(Bevel::Shape::EtchedFrame, this), "BevelTarget");
    BevelTarget->setGeometry(288, 140, 336, 82);
    LabelTarget = MakeFrameTitle(this, "LabelTarget", QStringLiteral(" Target and source"), {294, 134});

    LabelCurve = MakeCaption(this, "LabelCurve", QStringLiteral("Curve"), {297, 158});
    QStringList names;
    for (const riaa::ReplayCurve& curve : riaa::ReplayCurves()) {
        names << QString::fromUtf8(curve.name.data(), static_cast<qsizetype>(curve.name.size()));
    }
    CmbBxCurve = MakeChoice(this, "CmbBxCurve", names, 0, {336, 154, 146, 22}, QStringLiteral("Replay curve"),
                            QStringLiteral("Replay curve| The curve the design is measured against: RIAA, or one of the "
                                           "curves records were cut with before it. Active stages are designed for it."));
    // A pick from the list only: the program's own setCurrentIndex is no edit.
    connect(CmbBxCurve, &QComboBox::activated, this, [this] { CurveChange(); });
    ChckBxIec = MakeCheckBox(this, "ChckBxIec", QStringLiteral("IEC"), {490, 157, 48, 17},
                             QStringLiteral("IEC amendment| Add the IEC's subsonic high-pass of 7950 \u00B5s to the curve."));
    ChckBxZero318 = MakeCheckBox(this, "ChckBxZero318", QStringLiteral("3.18 \u00B5s"), {542, 157, 76, 17},
                                 QStringLiteral("3.18 \u00B5s zero| Add a zero at 3.18 \u00B5s (50 kHz) to the curve."));
    for (QCheckBox* box : {ChckBxIec, ChckBxZero318}) {
        connect(box, &QCheckBox::clicked, this, [this] { CurveChange(); });
    }

    ChckBxCartridge = MakeCheckBox(
        this, "ChckBxCartridge", QStringLiteral("Cartridge"), {297, 181, 74, 17},
        QStringLiteral("Cartridge| Drive the input from a moving-magnet cartridge, with its inductance and resistance "
                       "against the load of the input, instead of an ideal source."));
    connect(ChckBxCartridge, &QCheckBox::clicked, this, [this] { CartridgeChange(); });
    const struct {
        const char* caption;
        const char* captionName;
        const char* fieldName;
        const char* text;
        int x;
        const char* hint;
    } cartridge[] = {
        {"L", "LabelCartL", "EdtCartL", "500", 374, "Cartridge inductance| The cartridge's inductance L, in mH."},
        {"Rc", "LabelCartRc", "EdtCartRc", "1k", 434, "Cartridge resistance| The cartridge's resistance Rc, in ohms."},
        {"RL", "LabelCartRL", "EdtCartRL", "47k", 494,
         "Input resistance| The load resistance RL of the input the cartridge drives, in ohms."},
        {"CL", "LabelCartCL", "EdtCartCL", "200", 556,
         "Input capacitance| The load capacitance CL of the input, cable included, in pF."},
    };
    for (std::size_t i = 0; i < std::size(cartridge); ++i) {
        const auto& c = cartridge[i];
        cartridgeCaptions_[i] = MakeCaption(this, c.captionName, QString::fromUtf8(c.caption), {c.x, 182});
        const int captionWidth = cartridgeCaptions_[i]->width() + 2;
        cartridgeFields_[i] = Named(new QLineEdit(QString::fromUtf8(c.text), this), c.fieldName);
        cartridgeFields_[i]->setGeometry(c.x + captionWidth, 179, 58 - captionWidth, 20);
        WithHint(cartridgeFields_[i], SplitHint(QString::fromUtf8(c.hint)).shortPart.trimmed(), QString::fromUtf8(c.hint));
        connect(cartridgeFields_[i], &QLineEdit::textEdited, this, [this] { CartridgeChange(); });
    }
    LblSourceFigures = MakeResultField(
        this, "LblSourceFigures", {297, 202, 319, 19}, QStringLiteral("Cartridge figures"),
        QStringLiteral("Cartridge figures| The electrical resonance of the cartridge against its load, its Q, and "
                       "the level the cartridge and its load give at 10 and 20 kHz against 1 kHz."));
}

void AccuracyPage::CurveChange() {
    riaa::CurveChoice curve;
    curve.curve = static_cast<std::size_t>(std::max(0, CmbBxCurve->currentIndex()));
    curve.iecAmendment = ChckBxIec->isChecked();
    curve.zero3_18us = ChckBxZero318->isChecked();
    session_.setCurve(curve);
}

void AccuracyPage::CartridgeChange() {
    std::array<QString, 4> texts;
    for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = cartridgeFields_[i]->text();
    session_.setCartridgeTexts(ChckBxCartridge->isChecked(), texts);
}

void AccuracyPage::renderTarget() {
    const riaa::CurveChoice& curve = session_.curve();
    CmbBxCurve->setCurrentIndex(static_cast<int>(curve.curve));
    ChckBxIec->setChecked(curve.iecAmendment);
    ChckBxZero318->setChecked(curve.zero3_18us);
    const bool cartridge = ChckBxCartridge->isChecked();
    const std::array<QString, 4>& problems = session_.cartridgeProblems();
    for (std::size_t i = 0; i < cartridgeFields_.size(); ++i) {
        cartridgeFields_[i]->setEnabled(cartridge);
        cartridgeCaptions_[i]->setEnabled(cartridge);
        MarkField(cartridgeFields_[i], cartridge && !problems[i].isEmpty());
    }
    const std::optional<SessionDesign>& design = session_.design();
    LabelDesign->setText(design ? QStringLiteral(" ") + QString::fromStdString(riaa::DesignCaption(design->calculated)) + QStringLiteral(" ")
                                : QString());
    LabelDesign->adjustSize();
    LabelDesign->move(281 - LabelDesign->width(), 4);
}

void AccuracyPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeGrowingControls();
}

void AccuracyPage::placeGrowingControls() {
    // The plot keeps its distance to all four edges of the page; everything else stays where it was laid out.
    const int growX = width() - kDesignWidth;
    const int growY = height() - kDesignHeight;
    const auto grown = [growX, growY](QRect design) {
        design.setWidth(std::max(0, design.width() + growX));
        design.setHeight(std::max(0, design.height() + growY));
        return design;
    };
    BevelPlot->setGeometry(grown(kPlotBoxDesign));
    ImageError->setGeometry(grown(kPlotDesign));
}

void AccuracyPage::render() {
    // A design set at once (a file) brings its cartridge: the fields show it as if it had been typed.
    if (changes().testFlag(DesignSession::InputsReplaced)) {
        ChckBxCartridge->setChecked(session_.source().has_value());
        for (std::size_t i = 0; i < cartridgeFields_.size(); ++i) {
            cartridgeFields_[i]->setText(session_.cartridgeTexts()[i]);
            cartridgeFields_[i]->setCursorPosition(0);
        }
    }
    placeRows();
    renderFields();
    renderReport();
    renderTarget();
}

void AccuracyPage::BtnFromCircuitClick() { session_.restoreCalculated(); }

void AccuracyPage::AsBuiltChange(ElementKind element) {
    session_.setAsBuiltText(element, rows_[Index(element)].field->text());
}

void AccuracyPage::renderFields() {
    for (const ElementKind element : riaa::kAllElements) {
        if (Index(element) >= rows_.size()) continue;
        ElementRow& row = rows_[Index(element)];
        const AsBuiltField field = session_.field(element);
        row.field->setEnabled(field.offered);
        // The text the user is typing is left alone, cursor and all.
        if (row.field->text() != field.text) {
            row.field->setText(field.text);
            row.field->setCursorPosition(0);
        }
        MarkField(row.field, !field.problem.isEmpty());
        row.total->setText(field.total);
    }
    ChckBxRsInCircuit->setChecked(session_.field(ElementKind::Rs).inCircuit);
    ChckBxRLInCircuit->setChecked(session_.field(ElementKind::RL).inCircuit);
    LabelValuesSource->setText(session_.valuesEdited() ? QStringLiteral("Edited values")
                                                       : QStringLiteral("Calculated values"));
    LabelValuesSource->adjustSize();
    LabelMessage->setText(session_.message());
}

void AccuracyPage::renderReport() {
    const riaa::NumberLocale& locale = session_.locale();
    const std::optional<riaa::AccuracyReport>& found = session_.report();
    const bool shown = found.has_value();
    BtnCopyNetlist->setEnabled(shown);
    BtnSaveNetlist->setEnabled(shown);
    ErrorPlotData data;
    if (!shown) {
        for (QLabel* field : {LblLargestError, LblLoss, LblPolesBuilt, LblPolesTarget, LblZerosBuilt, LblZerosTarget,
                              LblGainDc, LblSourceFigures}) {
            field->clear();
        }
        LblGainDc->hide();
        LblSourceFigures->hide();
        // Before the first calculation the plot is as empty as in the alert state, without its notice.
        // The circuit page's alert: its relations left R1 below zero.
        if (session_.design()) data.notice = QString::fromStdString(riaa::NegativePartMessage("R1"));
        ImageError->setData(std::move(data));
        return;
    }
    const riaa::AccuracyReport& report = *found;
    if (std::fabs(report.largestErrorDb) < kExactErrorDb) {
        LblLargestError->setText(QStringLiteral("exact"));
    } else {
        LblLargestError->setText(FormatErrorDb(report.largestErrorDb, locale) + QStringLiteral(" at ") +
                                 QString::fromStdString(riaa::RenderNumber(report.largestErrorHz,
                                                                           riaa::patterns::Whole, locale)) +
                                 QStringLiteral(" Hz"));
    }
    // A passive network only loses, and the page says by how much; a stage gains.
    const bool stage = report.gainDcDb.has_value();
    LabelLoss->setText(stage ? QStringLiteral("Gain at 1 kHz") : QStringLiteral("Loss at 1 kHz"));
    LblLoss->setText(QString::fromStdString(riaa::FormatDecibels(stage ? report.lossAt1kHzDb : -report.lossAt1kHzDb, locale)));
    // The stage's extra zero is among the zeros as built; the field names its frequency in the hint.
    QString dc;
    QString zero;
    if (stage) {
        dc = QStringLiteral("DC ") + QString::fromStdString(riaa::FormatDecibels(*report.gainDcDb, locale));
        if (report.extraZeroHz) {
            zero = QStringLiteral(", the extra zero at ") +
                   QString::fromStdString(riaa::RenderNumber(*report.extraZeroHz / 1000, riaa::patterns::UpToTwo, locale)) +
                   QStringLiteral(" kHz");
        }
    }
    ShowFitting(LblGainDc, dc, dc + zero);
    LblGainDc->setVisible(stage);
    QString figures;
    if (report.source) {
        const riaa::SourceFigures& f = *report.source;
        const auto db = [&](double value) { return FormatErrorDb(value, locale); };
        figures = QStringLiteral("f0 %1 kHz, Q %2: 10k %3, 20k %4")
                      .arg(QString::fromStdString(riaa::RenderNumber(f.resonanceHz / 1000, riaa::patterns::UpToOne, locale)),
                           QString::fromStdString(riaa::RenderNumber(f.resonanceQ, riaa::patterns::UpToTwoWithZero, locale)),
                           db(f.level10kHzDb), db(f.level20kHzDb));
    }
    ShowFitting(LblSourceFigures, figures);
    LblSourceFigures->setVisible(report.source.has_value());
    ShowFitting(LblPolesBuilt, JoinTimeConstants(report.realisedPolesUs, locale));
    ShowFitting(LblPolesTarget, JoinTimeConstants(report.targetPolesUs, locale));
    ShowFitting(LblZerosBuilt, JoinTimeConstants(report.realisedZerosUs, locale));
    ShowFitting(LblZerosTarget, JoinTimeConstants(report.targetZerosUs, locale));
    data.curve = report.errorCurve;
    if (const std::vector<riaa::ToleranceBandPoint>* points = session_.toleranceBand()) {
        ErrorBand band;
        for (const riaa::ToleranceBandPoint& point : *points) {
            band.hz.push_back(point.hz);
            band.lowDb.push_back(point.lowerDb);
            band.highDb.push_back(point.upperDb);
        }
        data.band = std::move(band);
    }
    ImageError->setData(std::move(data));
}

void AccuracyPage::ImageErrorMouseMove(int x, int /*y*/) {
    const QString readout =
        ErrorPointerReadout(x, ImageError->width(), ImageError->height(), ImageError->data(), session_.locale());
    // Off the grid the hint keeps its last readout.
    if (!readout.isEmpty()) SetHint(ImageError, readout);
}

void AccuracyPage::BtnCopyNetlistClick() {
    const std::optional<riaa::BuiltNetwork>& network = session_.builtNetwork();
    if (!network) return;
    QGuiApplication::clipboard()->setText(QString::fromStdString(riaa::SpiceNetlist(*network)));
}

void AccuracyPage::BtnSaveNetlistClick() {
    const std::optional<riaa::BuiltNetwork>& network = session_.builtNetwork();
    if (!network) return;
    const QString suggested = QDir::home().filePath(QStringLiteral("network.cir"));
    QString path = saveFileDialog_(this, QStringLiteral("Save netlist"), suggested,
                                   QStringLiteral("SPICE netlists (*.cir);;All files (*)"));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".cir");

    // Written beside the target and renamed over it, so that a failure leaves no partial file.
    QSaveFile file(path);
    const QByteArray netlist = QByteArray::fromStdString(riaa::SpiceNetlist(*network));
    const bool saved = file.open(QIODevice::WriteOnly) && file.write(netlist) == netlist.size() && file.commit();
    if (!saved) {
        ShowErrorBox(this, QStringLiteral("The netlist could not be saved to %1: %2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
}
