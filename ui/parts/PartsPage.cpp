#include "PartsPage.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <cmath>

#include "Bevel.h"
#include "Controls.h"
#include "Fonts.h"
#include "Hints.h"
#include "PairSearch.h"
#include "PageControls.h"
#include "ToleranceRunner.h"

namespace {

using riaa::ElementKind;
using riaa::SeriesKind;

const QString kArial = QStringLiteral("Arial");
const QColor kBadField(255, 150, 150);
const QColor kMessageText(176, 0, 0);

constexpr int kTableRowHeight = 21;
constexpr int kTableHeaderHeight = 20;
constexpr std::array<int, 4> kTableColumnWidths{52, 66, 66, 96};

// Largest errors are magnitudes here, so they carry no sign; small ones keep four decimals.
constexpr riaa::Pattern kSmallMagnitude{4, 0, true, false};
constexpr riaa::Pattern kPercent{3, 0, true, false};

// The pair series offered, in the combo boxes' order.
constexpr SeriesKind kPairSeries[] = {SeriesKind::E6, SeriesKind::E12, SeriesKind::E24,
                                      SeriesKind::E48, SeriesKind::E96, SeriesKind::E192};

using riaa::IsCapacitor;

// One part as the as-built fields read it: "27.4k", "3.3n".
QString PartText(double value, ElementKind element, const riaa::NumberLocale& locale) {
    const riaa::PartPair single{value, 0, value, 0};
    return QString::fromStdString(IsCapacitor(element) ? riaa::CapacitorPairText(single, locale)
                                                       : riaa::ResistorPairText(single, locale));
}

QString MagnitudeText(double db, const riaa::NumberLocale& locale) {
    if (std::fabs(db) < kExactErrorDb) return QStringLiteral("exact");
    if (std::fabs(db) >= 1) return QString::fromStdString(riaa::FormatDecibels(std::fabs(db), locale));
    return QString::fromStdString(riaa::RenderNumber(std::fabs(db), kSmallMagnitude, locale)) + QStringLiteral(" dB");
}

QString SignedErrorText(double db, const riaa::NumberLocale& locale) {
    if (std::fabs(db) < kExactErrorDb) return QStringLiteral("exact");
    return FormatErrorDb(db, locale);
}

QString PercentText(double percent, const riaa::NumberLocale& locale) {
    const std::string rendered = riaa::RenderNumber(percent, kPercent, locale);
    const bool showsZero = rendered.find_first_of("123456789") == std::string::npos;
    if (showsZero) return QStringLiteral("exact");
    return (percent > 0 ? QStringLiteral("+") : QString()) + QString::fromStdString(rendered) + QStringLiteral(" %");
}

QStringList PairSeriesNames() {
    QStringList names;
    for (SeriesKind kind : kPairSeries) names << QString::fromStdString(riaa::SeriesName(kind));
    return names;
}

}  // namespace

PartsPage::PartsPage(const riaa::NumberLocale& locale, const riaa::ValueList& resistors, QWidget* parent)
    : QWidget(parent), locale_(locale), resistors_(resistors), runner_(new ToleranceRunner(this)) {
    setObjectName(QStringLiteral("PartsPage"));
    setFont(PixelFont(kArial, 12));
    setAutoFillBackground(true);

    // Built in tab order: the table's frame, the pairs, then the tolerances.
    buildPartsFrame();
    buildPairsFrame();
    buildToleranceFrame();

    connect(runner_, &ToleranceRunner::finished, this, [this](const riaa::ToleranceResult& result) {
        showToleranceResult(result);
    });
    connect(runner_, &ToleranceRunner::failed, this, [this](const QString& message) { showToleranceFailure(message); });

    resize(kDesignWidth, kDesignHeight);
    ShowNetworks(std::nullopt, std::nullopt);
}

PartsPage::~PartsPage() {
    // Controls may still signal while they go (a focused field losing focus): not to this page any more.
    for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
    // The runner joins its threads in its own destructor, a child's, which runs after this one.
}

void PartsPage::buildPartsFrame() {
    BevelParts = Named(new Bevel(Bevel::Shape::EtchedFrame, this), "BevelParts");
    BevelParts->setGeometry(11, 10, 300, 206);
    LabelParts = MakeFrameTitle(this, "LabelParts", QStringLiteral(" Parts"), {17, 4});

    LabelCapSeries = MakeCaption(this, "LabelCapSeries", QStringLiteral("C1, C2"), {20, 30});
    CmbBxCapSeries = MakeChoice(
        this, "CmbBxCapSeries", {QStringLiteral("exact"), QStringLiteral("E6"), QStringLiteral("E12"), QStringLiteral("E24")},
        0, {66, 26, 64, 22}, QStringLiteral("Capacitor series"),
        QStringLiteral("Capacitor series| The series C1 and C2 are rounded to in every row; \"exact\" builds them as "
                       "the as-built fields give them."));
    connect(CmbBxCapSeries, &QComboBox::activated, this, [this] { CmbBxCapSeriesChange(); });
    LblCapsUsed = MakeResultField(this, "LblCapsUsed", {136, 27, 166, 19}, QStringLiteral("Capacitors used"),
                                  QStringLiteral("Capacitors used| C1 and C2 as every row builds them."));

    TblParts = Named(new QTableWidget(kSeriesTableRows, static_cast<int>(kTableColumnWidths.size()), this), "TblParts");
    TblParts->setHorizontalHeaderLabels(
        {QStringLiteral("Series"), QStringLiteral("R1"), QStringLiteral("R2"), QStringLiteral("Largest error")});
    TblParts->verticalHeader()->hide();
    TblParts->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    TblParts->verticalHeader()->setDefaultSectionSize(kTableRowHeight);
    TblParts->horizontalHeader()->setFixedHeight(kTableHeaderHeight);
    TblParts->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    TblParts->horizontalHeader()->setHighlightSections(false);
    TblParts->horizontalHeader()->setFont(PixelFont(kArial, 11, true));
    for (int column = 0; column < static_cast<int>(kTableColumnWidths.size()); ++column) {
        TblParts->setColumnWidth(column, kTableColumnWidths[static_cast<std::size_t>(column)]);
    }
    TblParts->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TblParts->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TblParts->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TblParts->setSelectionBehavior(QAbstractItemView::SelectRows);
    TblParts->setSelectionMode(QAbstractItemView::SingleSelection);
    TblParts->setShowGrid(false);
    // Tab leaves the table, as it leaves every other control of the page.
    TblParts->setTabKeyNavigation(false);
    TblParts->setFont(PixelFont(kArial, 12));
    PaintAsResult(TblParts->viewport());
    PaintAsResult(TblParts);
    TblParts->setGeometry(20, 54, 282, kTableHeaderHeight + kSeriesTableRows * kTableRowHeight + 2);
    WithHint(TblParts, QStringLiteral("Standard series"),
             QStringLiteral("Standard series| R1 and R2 rounded to each series, and the largest error of the network "
                            "built with them; click a row to put its values into the as-built fields."));
    // A click or Enter on a row is the user's choice; moving the current row with the arrows is not.
    connect(TblParts, &QTableWidget::cellClicked, this, [this](int row, int) { TblPartsClick(row); });
    connect(TblParts, &QTableWidget::cellActivated, this, [this](int row, int) { TblPartsClick(row); });
}

void PartsPage::buildPairsFrame() {
    BevelPairs = Named(new Bevel(Bevel::Shape::EtchedFrame, this), "BevelPairs");
    BevelPairs->setGeometry(11, 226, 300, 140);
    LabelPairs = MakeFrameTitle(this, "LabelPairs", QStringLiteral(" Part pairs"), {17, 220});

    const QStringList names = PairSeriesNames();
    LabelPairRSeries = MakeCaption(this, "LabelPairRSeries", QStringLiteral("Resistors"), {20, 246});
    CmbBxPairRSeries = MakeChoice(
        this, "CmbBxPairRSeries", names, 2, {80, 242, 62, 22}, QStringLiteral("Resistor pair series"),
        QStringLiteral("Resistor pair series| The series the two resistors in series are taken from."));
    LabelPairCSeries = MakeCaption(this, "LabelPairCSeries", QStringLiteral("Capacitors"), {158, 246});
    CmbBxPairCSeries = MakeChoice(
        this, "CmbBxPairCSeries", names, 1, {228, 242, 62, 22}, QStringLiteral("Capacitor pair series"),
        QStringLiteral("Capacitor pair series| The series the two capacitors in parallel are taken from."));

    pairRows_[0] = makePairRow(ElementKind::C1, "LabelPairC1", "BtnPairC1", "LblPairC1", "LblPairErrorC1", 270,
                               QStringLiteral("C1"));
    pairRows_[1] = makePairRow(ElementKind::C2, "LabelPairC2", "BtnPairC2", "LblPairC2", "LblPairErrorC2", 293,
                               QStringLiteral("C2"));
    pairRows_[2] = makePairRow(ElementKind::R1, "LabelPairR1", "BtnPairR1", "LblPairR1", "LblPairErrorR1", 316,
                               QStringLiteral("R1"));
    pairRows_[3] = makePairRow(ElementKind::R2, "LabelPairR2", "BtnPairR2", "LblPairR2", "LblPairErrorR2", 339,
                               QStringLiteral("R2"));
    LabelPairC1 = pairRows_[0].caption;
    LabelPairC2 = pairRows_[1].caption;
    LabelPairR1 = pairRows_[2].caption;
    LabelPairR2 = pairRows_[3].caption;
    BtnPairC1 = pairRows_[0].button;
    BtnPairC2 = pairRows_[1].button;
    BtnPairR1 = pairRows_[2].button;
    BtnPairR2 = pairRows_[3].button;
    LblPairC1 = pairRows_[0].pair;
    LblPairC2 = pairRows_[1].pair;
    LblPairR1 = pairRows_[2].pair;
    LblPairR2 = pairRows_[3].pair;
    LblPairErrorC1 = pairRows_[0].error;
    LblPairErrorC2 = pairRows_[1].error;
    LblPairErrorR1 = pairRows_[2].error;
    LblPairErrorR2 = pairRows_[3].error;
}

PartsPage::PairRow PartsPage::makePairRow(ElementKind element, const char* captionName, const char* buttonName,
                                          const char* pairName, const char* errorName, int top,
                                          const QString& caption) {
    PairRow row;
    row.element = element;
    row.caption = MakeCaption(this, captionName, caption, {20, top + 3});
    row.button = Named(new QPushButton(QStringLiteral("Pair"), this), buttonName);
    row.button->setGeometry(44, top, 48, 21);
    const QString how = IsCapacitor(element) ? QStringLiteral("two capacitors in parallel")
                                             : QStringLiteral("two resistors in series");
    WithHint(row.button, QStringLiteral("Pair for ") + caption,
             QStringLiteral("Pair for %1| Find the %2 closest to the calculated %1 and put them into its as-built "
                            "field.")
                 .arg(caption, how));
    row.pair = MakeResultField(this, pairName, {98, top + 1, 120, 19}, caption + QStringLiteral(" pair"),
                               QStringLiteral("%1 pair| The best %2 for the calculated %1.").arg(caption, how));
    row.error = MakeResultField(this, errorName, {222, top + 1, 80, 19}, caption + QStringLiteral(" pair error"),
                                QStringLiteral("%1 pair error| How far the pair's sum lies from the calculated %1.")
                                    .arg(caption));
    connect(row.button, &QPushButton::clicked, this, [this, element] { BtnPairClick(element); });
    return row;
}

void PartsPage::buildToleranceFrame() {
    BevelTolerance = Named(new Bevel(Bevel::Shape::EtchedFrame, this), "BevelTolerance");
    BevelTolerance->setGeometry(320, 10, 304, 356);
    LabelTolerance = MakeFrameTitle(this, "LabelTolerance", QStringLiteral(" Tolerance"), {326, 4});

    const auto makeField = [this](const char* name, const QString& text, int top, const QString& accessibleName,
                                  const QString& hint) {
        auto* field = Named(new QLineEdit(text, this), name);
        field->setGeometry(430, top, 56, 21);
        WithHint(field, accessibleName, hint);
        // Typing only; the program never sets these texts.
        connect(field, &QLineEdit::textEdited, this, [this] { ToleranceChange(); });
        return field;
    };
    LabelTolR = MakeCaption(this, "LabelTolR", QStringLiteral("Resistors \u00B1"), {329, 32});
    EdtTolR = makeField("EdtTolR", QStringLiteral("1"), 29, QStringLiteral("Resistor tolerance"),
                        QStringLiteral("Resistor tolerance| Tolerance of R1 and R2 in percent, 0 to 20."));
    LabelTolRUnit = MakeCaption(this, "LabelTolRUnit", QStringLiteral("%"), {490, 32});
    LabelTolC = MakeCaption(this, "LabelTolC", QStringLiteral("Capacitors \u00B1"), {329, 57});
    EdtTolC = makeField("EdtTolC", QStringLiteral("2"), 54, QStringLiteral("Capacitor tolerance"),
                        QStringLiteral("Capacitor tolerance| Tolerance of C1 and C2 in percent, 0 to 20."));
    LabelTolCUnit = MakeCaption(this, "LabelTolCUnit", QStringLiteral("%"), {490, 57});
    normalFieldColour_ = EdtTolR->palette().color(QPalette::Base);

    LabelDistribution = MakeCaption(this, "LabelDistribution", QStringLiteral("Spread"), {329, 84});
    RdBtnUniform = Named(new QRadioButton(QStringLiteral("uniform within the tolerance"), this), "RdBtnUniform");
    RdBtnUniform->setGeometry(430, 82, 190, 19);
    WithHint(RdBtnUniform, QStringLiteral("Uniform spread"),
             QStringLiteral("Uniform spread| Every value within \u00B1 the tolerance is equally likely."));
    RdBtnNormal = Named(new QRadioButton(QStringLiteral("normal, \u03C3 = tolerance/2"), this), "RdBtnNormal");
    RdBtnNormal->setGeometry(430, 104, 190, 19);
    WithHint(RdBtnNormal, QStringLiteral("Normal spread"),
             QStringLiteral("Normal spread| Values gather around the nominal one; 95 % of the parts lie within "
                            "\u00B1 the tolerance."));
    RdBtnUniform->setChecked(true);
    distributionGroup_ = new QButtonGroup(this);
    distributionGroup_->addButton(RdBtnUniform, static_cast<int>(riaa::ToleranceDistribution::Uniform));
    distributionGroup_->addButton(RdBtnNormal, static_cast<int>(riaa::ToleranceDistribution::Normal));
    connect(distributionGroup_, &QButtonGroup::idClicked, this, [this] { ToleranceChange(); });

    LabelSpread = MakeCaption(this, "LabelSpread", QStringLiteral("Largest error, 20 Hz to 20 kHz, of"), {329, 138});
    // A caption and its figure on one line.
    const auto makeFigure = [this](QLabel*& caption, const char* captionName, const char* fieldName,
                                   const QString& text, int top, const QString& hint) {
        caption = MakeCaption(this, captionName, text, {329, top + 2});
        return MakeResultField(this, fieldName, {480, top, 134, 19}, text, hint);
    };
    LblNominal = makeFigure(LabelNominal, "LabelNominal", "LblNominal", QStringLiteral("the nominal build"), 160,
                            QStringLiteral("Nominal build| The largest error of the network with every part exact."));
    LblP50 = makeFigure(LabelP50, "LabelP50", "LblP50", QStringLiteral("half of the builds"), 184,
                        QStringLiteral("50th percentile| Half of the builds err less than this."));
    LblP95 = makeFigure(LabelP95, "LabelP95", "LblP95", QStringLiteral("95 % of the builds"), 208,
                        QStringLiteral("95th percentile| 95 in 100 builds err less than this."));
    LblP99 = makeFigure(LabelP99, "LabelP99", "LblP99", QStringLiteral("99 % of the builds"), 232,
                        QStringLiteral("99th percentile| 99 in 100 builds err less than this."));

    LabelToleranceStatus = MakePlainLabel(this, "LabelToleranceStatus", QString(), PixelFont(kArial, 12));
    LabelToleranceStatus->setGeometry(329, 258, 288, 17);
    LabelToleranceStatus->setAccessibleName(QStringLiteral("Tolerance run"));
    LabelBandNote = MakePlainLabel(
        this, "LabelBandNote",
        QStringLiteral("The Accuracy page's plot shades the band that holds 95 % of the builds at each frequency."),
        PixelFont(kArial, 12));
    LabelBandNote->setGeometry(329, 280, 288, 34);
    LabelBandNote->setWordWrap(true);
    LabelToleranceMessage = MakePlainLabel(this, "LabelToleranceMessage", QString(), PixelFont(kArial, 12));
    LabelToleranceMessage->setGeometry(329, 320, 288, 40);
    LabelToleranceMessage->setWordWrap(true);
    LabelToleranceMessage->setAccessibleName(QStringLiteral("Tolerance message"));
    QPalette red = LabelToleranceMessage->palette();
    red.setColor(QPalette::WindowText, kMessageText);
    LabelToleranceMessage->setPalette(red);
}

std::optional<SeriesKind> PartsPage::capacitorSeries() const {
    switch (CmbBxCapSeries->currentIndex()) {
        case 1: return SeriesKind::E6;
        case 2: return SeriesKind::E12;
        case 3: return SeriesKind::E24;
        default: return std::nullopt;
    }
}

void PartsPage::ShowNetworks(const std::optional<riaa::BuiltNetwork>& asBuilt,
                             const std::optional<riaa::BuiltNetwork>& calculated) {
    const bool calculationChanged = calculated.has_value() != calculated_.has_value() ||
                                    (calculated && *calculated != *calculated_);
    asBuilt_ = asBuilt;
    calculated_ = calculated;
    // A pair answers the calculation it was found for.
    if (calculationChanged) {
        for (PairRow& row : pairRows_) {
            row.pair->clear();
            row.error->clear();
        }
    }
    refreshPairButtons();
    refreshTable();
    // The Accuracy page drops its band with each evaluation; the run puts it back.
    bandShown_ = false;
    startToleranceRun();
}

void PartsPage::refreshPairButtons() {
    for (PairRow& row : pairRows_) {
        const bool present = calculated_ && calculated_->value(row.element) > 0;
        row.button->setEnabled(present);
        row.caption->setEnabled(present);
    }
}

void PartsPage::refreshTable() {
    seriesRows_.clear();
    if (asBuilt_ && calculated_) {
        seriesRows_ = MakeSeriesTable(*calculated_, *asBuilt_, capacitorSeries(), resistors_);
    }
    const auto cell = [this](int row, int column, const QString& text) {
        auto* item = new QTableWidgetItem(text);
        item->setTextAlignment(column == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        TblParts->setItem(row, column, item);
    };
    for (int row = 0; row < kSeriesTableRows; ++row) {
        if (static_cast<std::size_t>(row) >= seriesRows_.size()) {
            for (int column = 0; column < TblParts->columnCount(); ++column) cell(row, column, QString());
            continue;
        }
        const SeriesTableRow& entry = seriesRows_[static_cast<std::size_t>(row)];
        cell(row, 0, QStringLiteral(" ") + QString::fromStdString(entry.series));
        cell(row, 1, PartText(entry.network.value(ElementKind::R1), ElementKind::R1, locale_));
        cell(row, 2, entry.network.has(ElementKind::R2) ? PartText(entry.network.value(ElementKind::R2), ElementKind::R2, locale_) : QString());
        cell(row, 3, entry.largestErrorDb ? SignedErrorText(*entry.largestErrorDb, locale_)
                                             : QStringLiteral("cannot build"));
    }
    TblParts->setEnabled(!seriesRows_.empty());

    QString caps;
    if (!seriesRows_.empty()) {
        const riaa::BuiltNetwork& built = seriesRows_.front().network;
        caps = QStringLiteral("C1 ") + PartText(built.value(ElementKind::C1), ElementKind::C1, locale_);
        if (built.has(ElementKind::C2)) {
            caps += QStringLiteral(", C2 ") + PartText(built.value(ElementKind::C2), ElementKind::C2, locale_);
        }
    }
    LblCapsUsed->setText(caps);
}

void PartsPage::CmbBxCapSeriesChange() { refreshTable(); }

void PartsPage::TblPartsClick(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= seriesRows_.size()) return;
    const riaa::BuiltNetwork& built = seriesRows_[static_cast<std::size_t>(row)].network;
    AsBuiltTexts texts;
    // "exact" leaves the capacitors as the fields have them.
    const bool capacitors = capacitorSeries().has_value();
    for (const ElementKind e : riaa::kAllElements) {
        if (!built.has(e) || e == ElementKind::Rs || e == ElementKind::RL) continue;
        if (!IsCapacitor(e) || capacitors) texts[e] = PartText(built.value(e), e, locale_);
    }
    emit asBuiltTextsChosen(texts);
}

void PartsPage::BtnPairClick(ElementKind element) {
    if (!calculated_) return;
    const double target = calculated_->value(element);
    const bool capacitor = IsCapacitor(element);
    const SeriesKind kind = kPairSeries[(capacitor ? CmbBxPairCSeries : CmbBxPairRSeries)->currentIndex()];
    const riaa::PartSeries series =
        riaa::MakePartSeries(kind, capacitor ? riaa::kCapacitorRange : riaa::kResistorRange);
    const std::optional<riaa::PartPair> pair = riaa::FindBestPair(target, series);
    if (!pair) return;
    const QString text = QString::fromStdString(capacitor ? riaa::CapacitorPairText(*pair, locale_)
                                                          : riaa::ResistorPairText(*pair, locale_));
    for (PairRow& row : pairRows_) {
        if (row.element != element) continue;
        row.pair->setText(text);
        row.error->setText(PercentText(pair->errorPercent, locale_));
    }
    emit asBuiltTextsChosen({{element, text}});
}

std::optional<double> PartsPage::readTolerance(QLineEdit* field, QString& problem) {
    std::optional<double> percent;
    try {
        const double value = riaa::ParseNumber(field->text().trimmed().toStdString(), locale_);
        if (value >= 0 && value <= riaa::kLargestTolerancePercent) {
            percent = value;
        } else if (problem.isEmpty()) {
            problem = QStringLiteral("The tolerance must be between 0 % and %1 %")
                          .arg(QString::fromStdString(
                              riaa::RenderNumber(riaa::kLargestTolerancePercent, riaa::patterns::UpToTwo, locale_)));
        }
    } catch (const riaa::EngineError& error) {
        if (problem.isEmpty()) problem = QString::fromUtf8(error.what());
    }
    markField(field, !percent);
    return percent;
}

std::optional<riaa::ToleranceSettings> PartsPage::toleranceSettings() {
    QString problem;
    const std::optional<double> resistors = readTolerance(EdtTolR, problem);
    const std::optional<double> capacitors = readTolerance(EdtTolC, problem);
    LabelToleranceMessage->setText(problem);
    if (!resistors || !capacitors) return std::nullopt;
    riaa::ToleranceSettings settings;
    settings.resistorPercent = *resistors;
    settings.capacitorPercent = *capacitors;
    settings.distribution = static_cast<riaa::ToleranceDistribution>(distributionGroup_->checkedId());
    return settings;
}

void PartsPage::ToleranceChange() { startToleranceRun(); }

void PartsPage::startToleranceRun() {
    const std::optional<riaa::ToleranceSettings> settings = toleranceSettings();
    const bool resultFits = asBuilt_ && resultNetwork_ && *asBuilt_ == *resultNetwork_;
    if (!asBuilt_ || !settings) {
        runner_->cancel();
        runNetwork_.reset();
        // Bad text loses nothing: the figures stay while they still belong to the network on show.
        if (!resultFits) clearToleranceFigures();
        LabelToleranceStatus->setText(asBuilt_ ? QStringLiteral("Not run: see below") : QString());
        return;
    }
    if (resultFits && *settings == resultSettings_) {
        runner_->cancel();
        runNetwork_.reset();
        showToleranceResult(*toleranceResult_);
        return;
    }
    if (runner_->running() && runNetwork_ && *asBuilt_ == *runNetwork_ && *settings == runSettings_) {
        return;
    }
    if (bandShown_) {
        emit toleranceBandChanged(std::nullopt);
        bandShown_ = false;
    }
    clearToleranceFigures();
    runNetwork_ = asBuilt_;
    runSettings_ = *settings;
    runner_->start(*asBuilt_, *settings);
    LabelToleranceStatus->setText(
        QStringLiteral("Running %1 builds\u2026")
            .arg(QString::fromStdString(riaa::RenderNumber(settings->builds, riaa::patterns::GroupedWhole, locale_))));
}

void PartsPage::showToleranceResult(const riaa::ToleranceResult& result) {
    if (runNetwork_) {
        resultNetwork_ = runNetwork_;
        resultSettings_ = runSettings_;
        toleranceResult_ = result;
        runNetwork_.reset();
    }
    LblNominal->setText(MagnitudeText(result.nominalLargestErrorDb, locale_));
    LblP50->setText(MagnitudeText(result.p50Db, locale_));
    LblP95->setText(MagnitudeText(result.p95Db, locale_));
    LblP99->setText(MagnitudeText(result.p99Db, locale_));
    LabelToleranceStatus->setText(
        QStringLiteral("%1 builds, the same each time")
            .arg(QString::fromStdString(
                riaa::RenderNumber(resultSettings_.builds, riaa::patterns::GroupedWhole, locale_))));
    ErrorBand band;
    band.hz.reserve(result.band.size());
    band.lowDb.reserve(result.band.size());
    band.highDb.reserve(result.band.size());
    for (const riaa::ToleranceBandPoint& point : result.band) {
        band.hz.push_back(point.hz);
        band.lowDb.push_back(point.lowerDb);
        band.highDb.push_back(point.upperDb);
    }
    bandShown_ = true;
    emit toleranceBandChanged(band);
    emit toleranceShown();
}

void PartsPage::showToleranceFailure(const QString& message) {
    runNetwork_.reset();
    clearToleranceFigures();
    LabelToleranceStatus->setText(QStringLiteral("Not run: see below"));
    LabelToleranceMessage->setText(message);
}

void PartsPage::clearToleranceFigures() {
    for (QLabel* field : {LblNominal, LblP50, LblP95, LblP99}) field->clear();
}

void PartsPage::markField(QLineEdit* field, bool bad) {
    QPalette colours = field->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Base, bad ? kBadField : normalFieldColour_);
    }
    field->setPalette(colours);
}
