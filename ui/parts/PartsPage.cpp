#include "parts/PartsPage.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <cmath>

#include "common/Bevel.h"
#include "common/Controls.h"
#include "common/ErrorTexts.h"
#include "common/Fonts.h"
#include "common/Hints.h"
#include "common/PageControls.h"
#include "engine/PairSearch.h"
#include "session/DesignSession.h"

namespace {

using riaa::ElementKind;
using riaa::SeriesKind;

const QColor kMessageText(176, 0, 0);

constexpr int kTableRowHeight = 21;
constexpr int kTableHeaderHeight = 20;
constexpr std::array<int, 4> kTableColumnWidths{52, 66, 66, 96};

constexpr riaa::Pattern kPercent{3, 0, true, false};

// The capacitor series the table offers after "exact": capacitors are bought in the coarse ones.
constexpr std::array kTableCapacitorSeries{SeriesKind::E6, SeriesKind::E12, SeriesKind::E24};

using riaa::IsCapacitor;

// One part as the as-built fields read it: "27.4k", "3.3n".
QString PartText(double value, ElementKind element, const riaa::NumberLocale& locale) {
    const riaa::PartPair single{value, 0, value, 0};
    return QString::fromStdString(riaa::PartPairText(element, single, locale));
}

QString PercentText(double percent, const riaa::NumberLocale& locale) {
    const std::string rendered = riaa::RenderNumber(percent, kPercent, locale);
    const bool showsZero = rendered.find_first_of("123456789") == std::string::npos;
    if (showsZero) return QStringLiteral("exact");
    return (percent > 0 ? QStringLiteral("+") : QString()) + QString::fromStdString(rendered) + QStringLiteral(" %");
}

template <std::size_t N>
QStringList SeriesNames(const std::array<SeriesKind, N>& kinds) {
    QStringList names;
    for (SeriesKind kind : kinds) names << QString::fromStdString(riaa::SeriesName(kind));
    return names;
}

}  // namespace

PartsPage::PartsPage(DesignSession& session, QWidget* parent) : SessionPage(session, parent) {
    setObjectName(QStringLiteral("PartsPage"));
    setFont(PixelFont(kArial, 12));
    setAutoFillBackground(true);

    // Built in tab order: the table's frame, the pairs, then the tolerances.
    buildPartsFrame();
    buildPairsFrame();
    buildToleranceFrame();

    resize(kDesignWidth, kDesignHeight);
    renderNow();
}

PartsPage::~PartsPage() {
    // Controls may still signal while they go (a focused field losing focus): not to this page any more.
    for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
}

void PartsPage::buildPartsFrame() {
    BevelParts = Named(new Bevel(Bevel::Shape::EtchedFrame, this), "BevelParts");
    BevelParts->setGeometry(11, 10, 300, 206);
    LabelParts = MakeFrameTitle(this, "LabelParts", QStringLiteral(" Parts"), {17, 4});

    LabelCapSeries = MakeCaption(this, "LabelCapSeries", QStringLiteral("C1, C2"), {20, 30});
    CmbBxCapSeries = MakeChoice(
        this, "CmbBxCapSeries", QStringList{QStringLiteral("exact")} + SeriesNames(kTableCapacitorSeries),
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

    const QStringList names = SeriesNames(riaa::kAllSeries);
    LabelPairRSeries = MakeCaption(this, "LabelPairRSeries", QStringLiteral("Resistors"), {20, 246});
    CmbBxPairRSeries = MakeChoice(
        this, "CmbBxPairRSeries", names, 2, {80, 242, 62, 22}, QStringLiteral("Resistor pair series"),
        QStringLiteral("Resistor pair series| The series the two resistors in series are taken from."));
    LabelPairCSeries = MakeCaption(this, "LabelPairCSeries", QStringLiteral("Capacitors"), {158, 246});
    CmbBxPairCSeries = MakeChoice(
        this, "CmbBxPairCSeries", names, 1, {228, 242, 62, 22}, QStringLiteral("Capacitor pair series"),
        QStringLiteral("Capacitor pair series| The series the two capacitors in parallel are taken from."));
    for (QComboBox* box : {CmbBxPairRSeries, CmbBxPairCSeries}) {
        connect(box, &QComboBox::activated, this, [this] { SeriesChange(); });
    }

    pairRows_[0] = makePairRow(ElementKind::C1, "LabelPairC1", "BtnPairC1", "LblPairC1", "LblPairErrorC1", 270,
                               QStringLiteral("C1"));
    pairRows_[1] = makePairRow(ElementKind::C2, "LabelPairC2", "BtnPairC2", "LblPairC2", "LblPairErrorC2", 293,
                               QStringLiteral("C2"));
    pairRows_[2] = makePairRow(ElementKind::R1, "LabelPairR1", "BtnPairR1", "LblPairR1", "LblPairErrorR1", 316,
                               QStringLiteral("R1"));
    CmbBxPairElement = MakeChoice(this, "CmbBxPairElement", {}, -1, {20, 269, 62, 22}, QStringLiteral("Element to pair"),
                                  QStringLiteral("Element to pair| The element of the stage the Pair button finds "
                                                 "two parts for."));
    // Choosing an element clears the pair shown for the one before.
    connect(CmbBxPairElement, &QComboBox::activated, this, [this] {
        chosenPairRow_.pair->clear();
        chosenPairRow_.error->clear();
    });
    chosenPairRow_.button = Named(new QPushButton(QStringLiteral("Pair"), this), "BtnPairElement");
    chosenPairRow_.button->setGeometry(86, 269, 42, 21);
    WithHint(chosenPairRow_.button, QStringLiteral("Pair for the chosen element"),
             QStringLiteral("Pair for the chosen element| Find the two parts closest to the chosen element's "
                            "calculated value and put them into its as-built field."));
    connect(chosenPairRow_.button, &QPushButton::clicked, this, [this] { pairChosenElement(); });
    chosenPairRow_.pair = MakeResultField(this, "LblPairElement", {132, 270, 100, 19}, QStringLiteral("Chosen pair"),
                                          QStringLiteral("Chosen pair| The best two parts for the chosen element."));
    chosenPairRow_.error = MakeResultField(
        this, "LblPairErrorElement", {236, 270, 66, 19}, QStringLiteral("Chosen pair error"),
        QStringLiteral("Chosen pair error| How far the pair's sum lies from the chosen element's calculated value."));
    pairRows_[3] = makePairRow(ElementKind::R2, "LabelPairR2", "BtnPairR2", "LblPairR2", "LblPairErrorR2", 339,
                               QStringLiteral("R2"));
}

void PartsPage::pairChosenElement() {
    const int index = CmbBxPairElement->currentIndex();
    if (index >= 0 && static_cast<std::size_t>(index) < pairElements_.size()) {
        BtnPairClick(pairElements_[static_cast<std::size_t>(index)]);
    }
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
    // Cables vary: the cartridge's load capacitance may spread too, where a cartridge drives the input.
    LabelTolCL = MakeCaption(this, "LabelTolCL", QStringLiteral("CL \u00B1"), {510, 57});
    EdtTolCL = makeField("EdtTolCL", QStringLiteral("0"), 54, QStringLiteral("Load capacitance tolerance"),
                         QStringLiteral("Load capacitance tolerance| Tolerance of the cartridge's load capacitance CL, "
                                        "cable included, in percent, 0 to 20; it counts while a cartridge drives the "
                                        "input."));
    EdtTolCL->setGeometry(540, 54, 56, 21);
    LabelTolCLUnit = MakeCaption(this, "LabelTolCLUnit", QStringLiteral("%"), {600, 57});

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
    const int index = CmbBxCapSeries->currentIndex() - 1;  // 0 is "exact"
    if (index < 0 || index >= static_cast<int>(kTableCapacitorSeries.size())) return std::nullopt;
    return kTableCapacitorSeries[static_cast<std::size_t>(index)];
}

void PartsPage::render() {
    if (changes().testFlag(DesignSession::InputsReplaced)) showInputs();
    renderPairs();
    renderTable();
    renderTolerance();
}

void PartsPage::renderPairs() {
    const std::optional<riaa::BuiltNetwork> calculated = session_.calculatedNetwork();
    if (calculated != pairsFoundFor_) {
        for (PairRow* row : {&pairRows_[0], &pairRows_[1], &pairRows_[2], &pairRows_[3], &chosenPairRow_}) {
            row->pair->clear();
            row->error->clear();
        }
        pairsFoundFor_ = calculated;
    }
    const bool stage = calculated && calculated->kind != riaa::DesignKind::Passive;
    for (PairRow& row : pairRows_) {
        const bool present = calculated && calculated->value(row.element) > 0;
        row.button->setEnabled(present);
        row.caption->setEnabled(present);
        for (QWidget* control : {static_cast<QWidget*>(row.caption), static_cast<QWidget*>(row.button),
                                 static_cast<QWidget*>(row.pair), static_cast<QWidget*>(row.error)}) {
            control->setVisible(!stage);
        }
    }
    for (QWidget* control : {static_cast<QWidget*>(CmbBxPairElement), static_cast<QWidget*>(chosenPairRow_.button),
                             static_cast<QWidget*>(chosenPairRow_.pair), static_cast<QWidget*>(chosenPairRow_.error)}) {
        control->setVisible(stage);
    }
    if (!stage) return;
    // Every resistor and capacitor of the stage but the next stage's RL, in the order of its elements.
    std::vector<ElementKind> elements;
    for (const ElementKind e : riaa::kAllElements) {
        if (calculated->has(e) && riaa::IsBoughtPart(e)) elements.push_back(e);
    }
    if (elements != pairElements_) {
        pairElements_ = elements;
        CmbBxPairElement->clear();
        for (const ElementKind e : elements) {
            CmbBxPairElement->addItem(QString::fromUtf8(riaa::ElementName(e).data(),
                                                        static_cast<qsizetype>(riaa::ElementName(e).size())));
        }
        CmbBxPairElement->setCurrentIndex(0);
    }
}

void PartsPage::renderTable() {
    const riaa::NumberLocale& locale = session_.locale();
    seriesRows_ = session_.seriesTable(capacitorSeries());
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
        cell(row, 1, PartText(entry.network.value(ElementKind::R1), ElementKind::R1, locale));
        cell(row, 2, entry.network.has(ElementKind::R2) ? PartText(entry.network.value(ElementKind::R2), ElementKind::R2, locale)
                                                         : QString());
        cell(row, 3, entry.largestErrorDb ? SignedErrorText(*entry.largestErrorDb, locale)
                                          : QStringLiteral("cannot build"));
    }
    TblParts->setEnabled(!seriesRows_.empty());

    QString caps;
    if (!seriesRows_.empty()) {
        const riaa::BuiltNetwork& built = seriesRows_.front().network;
        caps = QStringLiteral("C1 ") + PartText(built.value(ElementKind::C1), ElementKind::C1, locale);
        if (built.has(ElementKind::C2)) {
            caps += QStringLiteral(", C2 ") + PartText(built.value(ElementKind::C2), ElementKind::C2, locale);
        }
    }
    LblCapsUsed->setText(caps);
}

void PartsPage::CmbBxCapSeriesChange() {
    SeriesChange();
    renderTable();
}

void PartsPage::TblPartsClick(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= seriesRows_.size()) return;
    const riaa::BuiltNetwork& built = seriesRows_[static_cast<std::size_t>(row)].network;
    std::map<ElementKind, QString> texts;
    // "exact" leaves the capacitors as the fields have them.
    const bool capacitors = capacitorSeries().has_value();
    for (const ElementKind e : riaa::kAllElements) {
        if (!built.has(e) || !riaa::IsBoughtPart(e)) continue;
        if (!IsCapacitor(e) || capacitors) texts[e] = PartText(built.value(e), e, session_.locale());
    }
    session_.setAsBuiltTexts(texts);
}

void PartsPage::BtnPairClick(ElementKind element) {
    const std::optional<riaa::BuiltNetwork> calculated = session_.calculatedNetwork();
    if (!calculated) return;
    const riaa::NumberLocale& locale = session_.locale();
    const double target = calculated->value(element);
    const bool capacitor = IsCapacitor(element);
    const int index = (capacitor ? CmbBxPairCSeries : CmbBxPairRSeries)->currentIndex();
    if (index < 0 || index >= static_cast<int>(riaa::kAllSeries.size())) return;
    const SeriesKind kind = riaa::kAllSeries[static_cast<std::size_t>(index)];
    const riaa::PartSeries series =
        riaa::MakePartSeries(kind, capacitor ? riaa::kCapacitorRange : riaa::kResistorRange);
    const std::optional<riaa::PartPair> pair = riaa::FindBestPair(target, series);
    if (!pair) return;
    const QString text = QString::fromStdString(riaa::PartPairText(element, *pair, locale));
    const bool chosen = calculated->kind != riaa::DesignKind::Passive;
    for (PairRow& row : pairRows_) {
        if (row.element != element || chosen) continue;
        row.pair->setText(text);
        row.error->setText(PercentText(pair->errorPercent, locale));
    }
    if (chosen) {
        chosenPairRow_.pair->setText(text);
        chosenPairRow_.error->setText(PercentText(pair->errorPercent, locale));
    }
    session_.setAsBuiltText(element, text);
}

void PartsPage::showInputs() {
    const std::array<QString, 3>& texts = session_.toleranceTexts();
    EdtTolR->setText(texts[0]);
    EdtTolC->setText(texts[1]);
    EdtTolCL->setText(texts[2]);
    distributionGroup_->button(static_cast<int>(session_.distribution()))->setChecked(true);
    const SeriesChoices& series = session_.seriesChoices();
    int table = 0;
    for (std::size_t i = 0; i < kTableCapacitorSeries.size(); ++i) {
        if (series.tableCapacitors == kTableCapacitorSeries[i]) table = static_cast<int>(i) + 1;
    }
    CmbBxCapSeries->setCurrentIndex(table);
    for (std::size_t i = 0; i < riaa::kAllSeries.size(); ++i) {
        if (riaa::kAllSeries[i] == series.pairResistors) CmbBxPairRSeries->setCurrentIndex(static_cast<int>(i));
        if (riaa::kAllSeries[i] == series.pairCapacitors) CmbBxPairCSeries->setCurrentIndex(static_cast<int>(i));
    }
}

void PartsPage::SeriesChange() {
    SeriesChoices series;
    series.tableCapacitors = capacitorSeries();
    const auto pairSeries = [](const QComboBox* box, SeriesKind otherwise) {
        const int index = box->currentIndex();
        return index >= 0 && index < static_cast<int>(riaa::kAllSeries.size())
                   ? riaa::kAllSeries[static_cast<std::size_t>(index)]
                   : otherwise;
    };
    series.pairResistors = pairSeries(CmbBxPairRSeries, series.pairResistors);
    series.pairCapacitors = pairSeries(CmbBxPairCSeries, series.pairCapacitors);
    session_.setSeriesChoices(series);
}

void PartsPage::ToleranceChange() {
    session_.setToleranceTexts(EdtTolR->text(), EdtTolC->text(), EdtTolCL->text(),
                               static_cast<riaa::ToleranceDistribution>(distributionGroup_->checkedId()));
}

void PartsPage::renderTolerance() {
    const riaa::NumberLocale& locale = session_.locale();
    const std::array<bool, 3>& bad = session_.badToleranceFields();
    MarkField(EdtTolR, bad[0]);
    MarkField(EdtTolC, bad[1]);
    MarkField(EdtTolCL, bad[2]);
    const bool cartridge = session_.source().has_value();
    for (QWidget* control : {static_cast<QWidget*>(LabelTolCL), static_cast<QWidget*>(EdtTolCL),
                             static_cast<QWidget*>(LabelTolCLUnit)}) {
        control->setEnabled(cartridge);
    }
    const ToleranceView view = session_.tolerance();
    const auto builds = [&](int count) {
        return QString::fromStdString(riaa::RenderNumber(count, riaa::patterns::GroupedWhole, locale));
    };
    QString status;
    switch (view.status) {
        case ToleranceStatus::None: break;
        case ToleranceStatus::Running: status = QStringLiteral("Running %1 builds\u2026").arg(builds(view.builds)); break;
        case ToleranceStatus::Done: status = QStringLiteral("%1 builds, the same each time").arg(builds(view.builds)); break;
        case ToleranceStatus::NotRun: status = QStringLiteral("Not run: see below"); break;
    }
    LabelToleranceStatus->setText(status);
    LabelToleranceMessage->setText(view.message);
    const std::array<QLabel*, 4> fields{LblNominal, LblP50, LblP95, LblP99};
    if (view.figures == nullptr) {
        for (QLabel* field : fields) field->clear();
        return;
    }
    const riaa::ToleranceResult& result = *view.figures;
    const std::array<double, 4> figures{result.nominalLargestErrorDb, result.p50Db, result.p95Db, result.p99Db};
    for (std::size_t i = 0; i < fields.size(); ++i) fields[i]->setText(MagnitudeText(figures[i], locale));
}

