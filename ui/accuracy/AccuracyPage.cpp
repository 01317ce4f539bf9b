#include "AccuracyPage.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QSaveFile>
#include <array>
#include <charconv>
#include <cmath>

#include "Bevel.h"
#include "Circuits.h"
#include "Controls.h"
#include "ErrorPlot.h"
#include "ErrorPlotView.h"
#include "ErrorReport.h"
#include "Fonts.h"
#include "Hints.h"
#include "Netlist.h"
#include "PageControls.h"
#include "PartSums.h"

namespace {

using riaa::ElementKind;

const QString kArial = QStringLiteral("Arial");
const QString kMicrofarads = QStringLiteral("\u00B5F");
const QString kOhms = QStringLiteral("\u03A9");
const QColor kBadField(255, 150, 150);
const QColor kMessageText(176, 0, 0);

const QRect kPlotBoxDesign(288, 140, 336, 226);
const QRect kPlotDesign(289, 141, 334, 224);

constexpr riaa::Pattern kTimeConstant{2, 0, true, false};

using riaa::Index;

bool CircuitHas(riaa::CircuitKind circuit, ElementKind element) { return riaa::HasElement(riaa::Row(circuit), element); }

using riaa::IsCapacitor;

// The shortest text that reads back as the same double, in the locale's decimal separator and
// without grouping, which the parser would not take.
QString ExactText(double value, const riaa::NumberLocale& locale) {
    std::array<char, 400> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed);
    if (error != std::errc()) return QString::number(value, 'g', 17);
    std::string text(buffer.data(), end);
    if (const std::size_t point = text.find('.'); point != std::string::npos) {
        text.replace(point, 1, locale.decimalSeparator);
    }
    return QString::fromStdString(text);
}

QString JoinTimeConstants(const std::vector<double>& values, const riaa::NumberLocale& locale) {
    if (values.empty()) return QStringLiteral("none");
    QStringList texts;
    for (double us : values) texts << QString::fromStdString(riaa::RenderNumber(us, kTimeConstant, locale));
    // A semicolon, since the comma may be the decimal separator.
    return texts.join(QStringLiteral("; "));
}

}  // namespace

AccuracyPage::AccuracyPage(const riaa::NumberLocale& locale, QWidget* parent)
    : QWidget(parent),
      locale_(locale),
      saveFileDialog_([](QWidget* owner, const QString& caption, const QString& suggested, const QString& filter) {
          return QFileDialog::getSaveFileName(owner, caption, suggested, filter);
      }) {
    setObjectName(QStringLiteral("AccuracyPage"));
    setFont(PixelFont(kArial, 12));
    setAutoFillBackground(true);

    buildAsBuiltFrame();
    buildNetlistFrame();
    buildReadoutFrame();

    BevelPlot = Named(new Bevel(Bevel::Shape::LoweredBox, this), "BevelPlot");
    BevelPlot->setGeometry(kPlotBoxDesign);
    ImageError = Named(new ErrorPlotView(locale_, this), "ImageError");
    ImageError->setGeometry(kPlotDesign);
    ImageError->setAccessibleName(QStringLiteral("Error against frequency"));
    // The hint is the pointer readout, shown in the status bar alone.
    SetShowHint(ImageError, false);
    connect(ImageError, &ErrorPlotView::pointerMoved, this, [this](int x, int y) { ImageErrorMouseMove(x, y); });

    resize(kDesignWidth, kDesignHeight);
    // Until the first calculation the page is as empty as in the alert state, though without its notice.
    showAlert();
    showValuesSource();
}

AccuracyPage::~AccuracyPage() {
    // Controls may still signal while they go (a focused field losing focus): not to this page any more.
    for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
}

void AccuracyPage::buildAsBuiltFrame() {
    BevelAsBuilt = Named(new Bevel(Bevel::Shape::EtchedFrame, this), "BevelAsBuilt");
    BevelAsBuilt->setGeometry(11, 10, 270, 218);
    LabelAsBuilt = MakeFrameTitle(this, "LabelAsBuilt", QStringLiteral(" As built"), {17, 4});

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

    const auto row = [this](ElementKind element) -> const ElementRow& { return rows_[Index(element)]; };
    LabelC1 = row(ElementKind::C1).caption;
    LabelC2 = row(ElementKind::C2).caption;
    LabelR1 = row(ElementKind::R1).caption;
    LabelR2 = row(ElementKind::R2).caption;
    LabelRs = row(ElementKind::Rs).caption;
    LabelRL = row(ElementKind::RL).caption;
    EdtC1 = row(ElementKind::C1).field;
    EdtC2 = row(ElementKind::C2).field;
    EdtR1 = row(ElementKind::R1).field;
    EdtR2 = row(ElementKind::R2).field;
    EdtRs = row(ElementKind::Rs).field;
    EdtRL = row(ElementKind::RL).field;
    LabelUnitC1 = row(ElementKind::C1).unit;
    LabelUnitC2 = row(ElementKind::C2).unit;
    LabelUnitR1 = row(ElementKind::R1).unit;
    LabelUnitR2 = row(ElementKind::R2).unit;
    LabelUnitRs = row(ElementKind::Rs).unit;
    LabelUnitRL = row(ElementKind::RL).unit;
    LabelTotalC1 = row(ElementKind::C1).total;
    LabelTotalC2 = row(ElementKind::C2).total;
    LabelTotalR1 = row(ElementKind::R1).total;
    LabelTotalR2 = row(ElementKind::R2).total;
    LabelTotalRs = row(ElementKind::Rs).total;
    LabelTotalRL = row(ElementKind::RL).total;
    normalFieldColour_ = EdtC1->palette().color(QPalette::Base);

    ChckBxRsInCircuit = MakeCheckBox(
        this, "ChckBxRsInCircuit", QStringLiteral("Rs in circuit"), {20, 172, 110, 17},
        QStringLiteral("Rs in circuit| Check to drive the network through Rs, as the previous stage does."));
    ChckBxRLInCircuit = MakeCheckBox(
        this, "ChckBxRLInCircuit", QStringLiteral("RL in circuit"), {140, 172, 110, 17},
        QStringLiteral("RL in circuit| Check to load the network's output with RL, as the following stage does."));
    // Clicks only: the program's own setChecked on a refill is no edit.
    for (QCheckBox* box : {ChckBxRsInCircuit, ChckBxRLInCircuit}) {
        connect(box, &QCheckBox::clicked, this, [this] { AsBuiltChange(); });
    }

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
    connect(row.field, &QLineEdit::textEdited, this, [this] { AsBuiltChange(); });
    return row;
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

void AccuracyPage::ShowCalculation(const riaa::NetworkState& state, riaa::CircuitKind circuit,
                                   const riaa::CalculationOptions& options, bool alert) {
    calculation_ = Calculation{state, circuit, options, alert};
    fillFields(*calculation_);
}

void AccuracyPage::BtnFromCircuitClick() {
    if (calculation_) fillFields(*calculation_);
}

void AccuracyPage::fillFields(const Calculation& calculation) {
    circuit_ = calculation.circuit;
    const riaa::NetworkState& state = calculation.state;
    const std::array<double, riaa::kElementCount> values{state.C1, state.C2, state.R1, state.R2, state.RL, state.Rs};
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const ElementKind element = static_cast<ElementKind>(i);
        const bool present = CircuitHas(circuit_, element);
        rows_[i].field->setEnabled(present);
        rows_[i].field->setText(present ? ExactText(values[i], locale_) : QString());
        rows_[i].field->setCursorPosition(0);
        rows_[i].total->clear();
        markField(rows_[i].field, false);
    }
    ChckBxRsInCircuit->setChecked(calculation.options.IncludeRs);
    ChckBxRLInCircuit->setChecked(calculation.options.IncludeRL);
    valuesEdited_ = false;
    showValuesSource();
    showMessage(QString());
    if (calculation.alert) {
        showAlert();
        return;
    }
    evaluateFields();
}

void AccuracyPage::AsBuiltChange() {
    if (!calculation_) return;
    valuesEdited_ = true;
    showValuesSource();
    evaluateFields();
}

bool AccuracyPage::elementInUse(ElementKind element) const {
    if (element == ElementKind::Rs) return ChckBxRsInCircuit->isChecked();
    if (element == ElementKind::RL) return ChckBxRLInCircuit->isChecked();
    return CircuitHas(circuit_, element);
}

void AccuracyPage::evaluateFields() {
    riaa::BuiltNetwork network;
    network.circuit = circuit_;
    QString firstProblem;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const ElementKind element = static_cast<ElementKind>(i);
        ElementRow& row = rows_[i];
        if (!elementInUse(element)) {
            markField(row.field, false);
            row.total->clear();
            continue;
        }
        const std::string text = row.field->text().toStdString();
        double value = 0;
        try {
            value = IsCapacitor(element) ? riaa::ParseCapacitorSum(text, locale_) : riaa::ParseResistorSum(text, locale_);
        } catch (const riaa::EngineError& error) {
            markField(row.field, true);
            row.total->clear();
            if (firstProblem.isEmpty()) firstProblem = QString::fromUtf8(error.what());
            continue;
        }
        markField(row.field, false);
        // A plain number needs no total beside it; a sum or a suffix does.
        bool plainNumber = true;
        try {
            riaa::ParseNumber(text, locale_);
        } catch (const riaa::EngineError&) {
            plainNumber = false;
        }
        const std::string total = IsCapacitor(element) ? riaa::FormatCapacitance(value, locale_)
                                                       : riaa::FormatResistance(value, locale_);
        QString totalText = QStringLiteral("= ") + QString::fromStdString(total);
        if (!IsCapacitor(element)) totalText += totalText.back().isLetter() ? kOhms : QStringLiteral(" ") + kOhms;
        row.total->setText(plainNumber ? QString() : totalText);
        network.set(element, value);
    }
    // What is on screen stays until the fields make a network again.
    if (!firstProblem.isEmpty()) {
        showMessage(firstProblem);
        return;
    }
    try {
        report_ = riaa::EvaluateAccuracy(network);
    } catch (const riaa::EngineError& error) {
        showMessage(QString::fromUtf8(error.what()));
        return;
    }
    builtNetwork_ = network;
    band_.reset();
    showMessage(QString());
    showReport();
    emit builtNetworkChanged();
}

void AccuracyPage::markField(QLineEdit* field, bool bad) {
    QPalette colours = field->palette();
    // The disabled look stays the style's own, so that a blank element reads as unavailable.
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Base, bad ? kBadField : normalFieldColour_);
    }
    field->setPalette(colours);
}

void AccuracyPage::showReport() {
    const riaa::AccuracyReport& report = *report_;
    if (std::fabs(report.largestErrorDb) < kExactErrorDb) {
        LblLargestError->setText(QStringLiteral("exact"));
    } else {
        LblLargestError->setText(FormatErrorDb(report.largestErrorDb, locale_) + QStringLiteral(" at ") +
                                 QString::fromStdString(riaa::RenderNumber(report.largestErrorHz,
                                                                           riaa::patterns::Whole, locale_)) +
                                 QStringLiteral(" Hz"));
    }
    // A passive network only loses; the page says by how much.
    LblLoss->setText(QString::fromStdString(riaa::FormatDecibels(-report.lossAt1kHzDb, locale_)));
    LblPolesBuilt->setText(JoinTimeConstants(report.realisedPolesUs, locale_));
    LblPolesTarget->setText(JoinTimeConstants(report.targetPolesUs, locale_));
    LblZerosBuilt->setText(JoinTimeConstants(report.realisedZerosUs, locale_));
    LblZerosTarget->setText(JoinTimeConstants(report.targetZerosUs, locale_));
    ErrorPlotData data;
    data.curve = report.errorCurve;
    data.band = band_;
    ImageError->setData(std::move(data));
    BtnCopyNetlist->setEnabled(true);
    BtnSaveNetlist->setEnabled(true);
}

void AccuracyPage::showAlert() {
    builtNetwork_.reset();
    report_.reset();
    for (QLabel* field : {LblLargestError, LblLoss, LblPolesBuilt, LblPolesTarget, LblZerosBuilt, LblZerosTarget}) {
        field->clear();
    }
    ErrorPlotData data;
    if (calculation_) data.notice = QStringLiteral("This network cannot be built: R1 is negative");
    ImageError->setData(std::move(data));
    BtnCopyNetlist->setEnabled(false);
    BtnSaveNetlist->setEnabled(false);
    emit builtNetworkChanged();
}

void AccuracyPage::showMessage(const QString& message) { LabelMessage->setText(message); }

void AccuracyPage::showValuesSource() {
    LabelValuesSource->setText(valuesEdited_ ? QStringLiteral("Edited values") : QStringLiteral("Calculated values"));
    LabelValuesSource->adjustSize();
}

void AccuracyPage::ImageErrorMouseMove(int x, int /*y*/) {
    const QString readout = ErrorPointerReadout(x, ImageError->width(), ImageError->height(), ImageError->data(), locale_);
    // Off the grid the hint keeps its last readout.
    if (!readout.isEmpty()) SetHint(ImageError, readout);
}

void AccuracyPage::BtnCopyNetlistClick() {
    if (!builtNetwork_) return;
    QGuiApplication::clipboard()->setText(QString::fromStdString(riaa::SpiceNetlist(*builtNetwork_)));
}

void AccuracyPage::BtnSaveNetlistClick() {
    if (!builtNetwork_) return;
    const QString suggested = QDir::home().filePath(QStringLiteral("network.cir"));
    QString path = saveFileDialog_(this, QStringLiteral("Save netlist"), suggested,
                                   QStringLiteral("SPICE netlists (*.cir);;All files (*)"));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".cir");

    // Written beside the target and renamed over it, so that a failure leaves no partial file.
    QSaveFile file(path);
    const QByteArray netlist = QByteArray::fromStdString(riaa::SpiceNetlist(*builtNetwork_));
    const bool saved = file.open(QIODevice::WriteOnly) && file.write(netlist) == netlist.size() && file.commit();
    if (!saved) {
        ShowErrorBox(this, QStringLiteral("The netlist could not be saved to %1: %2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
}

std::optional<riaa::BuiltNetwork> AccuracyPage::calculatedNetwork() const {
    if (!calculation_ || calculation_->alert) return std::nullopt;
    riaa::NetworkState exact = calculation_->state;
    if (calculation_->options.UseStandardResistor) {
        // Parts are chosen for the value the relations ask for, not for one already rounded to the list.
        riaa::CalculationOptions unrounded = calculation_->options;
        unrounded.UseStandardResistor = false;
        try {
            riaa::CalculateNetwork(exact, calculation_->circuit, unrounded, riaa::ValueList{}, locale_);
        } catch (const riaa::EngineError&) {
            exact = calculation_->state;
        }
    }
    return riaa::MakeBuiltNetwork(exact, calculation_->circuit, calculation_->options);
}

void AccuracyPage::setAsBuiltTexts(const std::map<ElementKind, QString>& texts) {
    for (const auto& [element, text] : texts) {
        QLineEdit* field = rows_[Index(element)].field;
        field->setText(text);
        field->setCursorPosition(0);
    }
    AsBuiltChange();
}

void AccuracyPage::setToleranceBand(const std::optional<ErrorBand>& band) {
    band_ = band;
    if (!report_) return;
    ErrorPlotData data = ImageError->data();
    data.band = band_;
    ImageError->setData(std::move(data));
}
