#include "best/BestBuildPage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "common/Bevel.h"
#include "common/Controls.h"
#include "common/ErrorTexts.h"
#include "common/Fonts.h"
#include "common/PageControls.h"
#include "engine/PairSearch.h"
#include "engine/PartSums.h"
#include "session/BestBuildWorker.h"
#include "session/DesignSession.h"

namespace {

using riaa::ElementKind;
using riaa::SeriesKind;

const QColor kMessageText(176, 0, 0);

constexpr int kRows = 10;
constexpr int kTableRowHeight = 18;
constexpr int kTableHeaderHeight = 20;
constexpr int kTableLeft = 20;
constexpr int kTableTop = 158;
constexpr int kTableWidth = 594;
// Beside a column's widest text, so that neighbouring figures never touch.
constexpr int kColumnPadding = 8;

// "0.3 s", "12.0 s": the clock of a search in hand.
constexpr riaa::Pattern kSeconds{1, 1, true, false};
// "1 %", "0.5 %".
constexpr riaa::Pattern kPercent{2, 0, true, false};

constexpr std::array kCapacitorSeries{SeriesKind::E6, SeriesKind::E12, SeriesKind::E24};
constexpr std::array kResistorSeries{SeriesKind::E12, SeriesKind::E24, SeriesKind::E48, SeriesKind::E96,
                                     SeriesKind::E192};

// What the search is stopped by: a new design, other fixed parts, another target or source.
constexpr DesignSession::Changes kEdits = DesignSession::DesignChanged | DesignSession::AsBuiltChanged |
                                          DesignSession::TargetChanged | DesignSession::InputsReplaced;

template <std::size_t N>
QStringList SeriesNames(const std::array<SeriesKind, N>& kinds) {
    QStringList names;
    for (SeriesKind kind : kinds) names << QString::fromStdString(riaa::SeriesName(kind));
    return names;
}

QString ElementCaption(ElementKind element) {
    const std::string_view name = riaa::ElementName(element);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

// One end of the capacitor range as typed: a single capacitance in µF, n and p read.
std::optional<double> ReadCapacitance(const QString& text, const riaa::NumberLocale& locale, QString& problem) {
    const std::string typed = text.toStdString();
    if (riaa::SplitPartSum(typed).size() > 1) {
        problem = QStringLiteral("An end of the range is one value, not a sum");
        return std::nullopt;
    }
    try {
        const double value = riaa::ParseCapacitorSum(typed, locale);
        if (value < riaa::kCapacitorRange.lowest || value > riaa::kCapacitorRange.highest) {
            problem = QStringLiteral("The range lies between 1 pF and 10 \u00B5F");
            return std::nullopt;
        }
        return value;
    } catch (const riaa::EngineError& error) {
        problem = QString::fromUtf8(error.what());
        return std::nullopt;
    }
}

// The part or pair as an as-built field reads it: "27.4k", "3.3n+120p", and "1u" where the field's
// bare "1" would stand among nanofarads in a column.
QString PartText(const riaa::BestBuildPart& part, const riaa::NumberLocale& locale) {
    QStringList texts;
    for (const double value : part.parts.empty() ? std::vector<double>{part.value} : part.parts) {
        QString text = QString::fromStdString(riaa::PartPairText(part.element, {value, 0, value, 0}, locale));
        if (riaa::IsCapacitor(part.element) && value >= 1) text += QLatin1Char('u');
        texts << text;
    }
    return texts.join(QLatin1Char('+'));
}

QString PercentText(double percent, const riaa::NumberLocale& locale) {
    return QString::fromStdString(riaa::RenderNumber(percent, kPercent, locale)) +
           QStringLiteral(" %");
}

}  // namespace

BestBuildPage::BestBuildPage(DesignSession& session, QWidget* parent) : SessionPage(session, parent) {
    setObjectName(QStringLiteral("BestBuildPage"));
    setFont(PixelFont(kArial, 12));
    setAutoFillBackground(true);

    worker_ = new BestBuildWorker(this);
    connect(worker_, &BestBuildWorker::found, this,
            [this](const std::vector<riaa::BestBuild>& builds) { showBuilds(builds); });
    connect(worker_, &BestBuildWorker::percentile, this, [this](int build, double p95) { showPercentile(build, p95); });
    connect(worker_, &BestBuildWorker::finished, this, [this] { searchFinished(); });
    connect(worker_, &BestBuildWorker::failed, this, [this](const QString& message) { searchFailed(message); });
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(kProgressIntervalMs);
    connect(progressTimer_, &QTimer::timeout, this, [this] { showProgress(); });
    connect(&session_, &DesignSession::changed, this, [this](DesignSession::Changes what) { designEdited(what); });

    buildSearchFrame();
    buildBuildsFrame();
    RangeChange();

    resize(kDesignWidth, kDesignHeight);
    renderNow();
}

BestBuildPage::~BestBuildPage() {
    // Controls may still signal while they go (a focused field losing focus): not to this page any more.
    for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
    disconnect(&session_, nullptr, this, nullptr);
}

void BestBuildPage::buildSearchFrame() {
    BevelSearch = Named(new Bevel(Bevel::Shape::EtchedFrame, this), "BevelSearch");
    BevelSearch->setGeometry(11, 10, 612, 98);
    LabelSearch = MakeFrameTitle(this, "LabelSearch", QStringLiteral(" Best build of standard parts"), {17, 4});

    LabelCapSeries = MakeCaption(this, "LabelCapSeries", QStringLiteral("Capacitors"), {20, 32});
    CmbBxCapSeries = MakeChoice(this, "CmbBxCapSeries", SeriesNames(kCapacitorSeries), 1, {84, 28, 56, 22},
                                QStringLiteral("Capacitor series"),
                                QStringLiteral("Capacitor series| The series every capacitor of the build comes from."));
    const auto makeEnd = [this](const char* name, const QString& text, int left, const QString& accessibleName,
                                const QString& hint) {
        auto* field = Named(new QLineEdit(text, this), name);
        field->setGeometry(left, 29, 52, 21);
        WithHint(field, accessibleName, hint);
        // Typing only; the program never sets these texts.
        connect(field, &QLineEdit::textEdited, this, [this] { RangeChange(); });
        return field;
    };
    LabelCapFrom = MakeCaption(this, "LabelCapFrom", QStringLiteral("from"), {148, 32});
    EdtCapLow = makeEnd("EdtCapLow", QStringLiteral("1n"), 178, QStringLiteral("Smallest capacitor"),
                        QStringLiteral("Smallest capacitor| The smallest capacitor the build may use, in \u00B5F with "
                                       "n and p: 1n is 1 nF."));
    LabelCapTo = MakeCaption(this, "LabelCapTo", QStringLiteral("to"), {236, 32});
    EdtCapHigh = makeEnd("EdtCapHigh", QStringLiteral("1u"), 252, QStringLiteral("Largest capacitor"),
                         QStringLiteral("Largest capacitor| The largest capacitor the build may use, in \u00B5F with "
                                        "n and p: 1 or 1u is 1 \u00B5F."));

    LabelResSeries = MakeCaption(this, "LabelResSeries", QStringLiteral("Resistors"), {326, 32});
    CmbBxResSeries = MakeChoice(this, "CmbBxResSeries", SeriesNames(kResistorSeries), 1, {384, 28, 62, 22},
                                QStringLiteral("Resistor series"),
                                QStringLiteral("Resistor series| The series every resistor of the build comes from, "
                                               "10 \u03A9 to 10 M\u03A9."));
    ChckBxPairs = MakeCheckBox(this, "ChckBxPairs", QStringLiteral("two parts per element"), {462, 30, 156, 19},
                               QStringLiteral("Two parts per element| Let each element be two parts of the series: "
                                              "resistors in series, capacitors in parallel. Slower."));

    BtnSearch = MakeButton(this, "BtnSearch", QStringLiteral("Search"), {20, 58, 76, 24},
                           QStringLiteral("Search| Search every build of the series for the ten that follow the "
                                          "target most closely."));
    connect(BtnSearch, &QPushButton::clicked, this, [this] { BtnSearchClick(); });
    BtnCancel = MakeButton(this, "BtnCancel", QStringLiteral("Cancel"), {102, 58, 76, 24},
                           QStringLiteral("Cancel| Stop the search in hand."));
    connect(BtnCancel, &QPushButton::clicked, this, [this] { BtnCancelClick(); });
    PrgBrSearch = Named(new QProgressBar(this), "PrgBrSearch");
    PrgBrSearch->setGeometry(186, 60, 200, 20);
    PrgBrSearch->setRange(0, 1000);
    PrgBrSearch->setValue(0);
    PrgBrSearch->setTextVisible(false);
    WithHint(PrgBrSearch, QStringLiteral("Search progress"),
             QStringLiteral("Search progress| How far the search, then the tolerance runs of its builds, have come."));
    LabelSearchStatus = MakePlainLabel(this, "LabelSearchStatus", QString(), PixelFont(kArial, 12));
    LabelSearchStatus->setGeometry(394, 62, 224, 17);
    LabelSearchStatus->setAccessibleName(QStringLiteral("Search status"));

    LabelSearchMessage = MakePlainLabel(this, "LabelSearchMessage", QString(), PixelFont(kArial, 12));
    LabelSearchMessage->setGeometry(20, 86, 598, 17);
    LabelSearchMessage->setAccessibleName(QStringLiteral("Search message"));
    QPalette red = LabelSearchMessage->palette();
    red.setColor(QPalette::WindowText, kMessageText);
    LabelSearchMessage->setPalette(red);
}

void BestBuildPage::buildBuildsFrame() {
    BevelBuilds = Named(new Bevel(Bevel::Shape::EtchedFrame, this), "BevelBuilds");
    BevelBuilds->setGeometry(11, 118, 612, 248);
    LabelBuilds = MakeFrameTitle(this, "LabelBuilds", QStringLiteral(" Builds, best first"), {17, 112});

    LabelRank = MakeCaption(this, "LabelRank", QStringLiteral("Best by"), {20, 136});
    RdBtnRankError = Named(new QRadioButton(QStringLiteral("largest error"), this), "RdBtnRankError");
    RdBtnRankError->setGeometry(72, 134, 100, 19);
    WithHint(RdBtnRankError, QStringLiteral("Rank by largest error"),
             QStringLiteral("Rank by largest error| The builds in the order of their largest error with every part "
                            "exact."));
    RdBtnRankP95 = Named(new QRadioButton(QStringLiteral("95 % of the builds"), this), "RdBtnRankP95");
    RdBtnRankP95->setGeometry(176, 134, 130, 19);
    WithHint(RdBtnRankP95, QStringLiteral("Rank by 95th percentile"),
             QStringLiteral("Rank by 95th percentile| The same builds in the order of the error that 95 in 100 of "
                            "them stay below once toleranced parts go in."));
    RdBtnRankError->setChecked(true);
    rankGroup_ = new QButtonGroup(this);
    rankGroup_->addButton(RdBtnRankError, 0);
    rankGroup_->addButton(RdBtnRankP95, 1);
    connect(rankGroup_, &QButtonGroup::idClicked, this, [this] { RankChange(); });
    LabelTolerancesUsed = MakePlainLabel(this, "LabelTolerancesUsed", QString(), PixelFont(kArial, 12));
    LabelTolerancesUsed->setGeometry(312, 136, 306, 17);
    LabelTolerancesUsed->setAlignment(Qt::AlignRight | Qt::AlignTop);
    LabelTolerancesUsed->setAccessibleName(QStringLiteral("Tolerances of the runs"));

    TblBuilds = Named(new QTableWidget(kRows, 0, this), "TblBuilds");
    TblBuilds->verticalHeader()->hide();
    TblBuilds->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    TblBuilds->verticalHeader()->setDefaultSectionSize(kTableRowHeight);
    TblBuilds->horizontalHeader()->setFixedHeight(kTableHeaderHeight);
    TblBuilds->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    TblBuilds->horizontalHeader()->setHighlightSections(false);
    TblBuilds->horizontalHeader()->setFont(PixelFont(kArial, 11, true));
    // A stage with many elements and pairs may be wider than the frame: then, and only then, it scrolls.
    TblBuilds->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    TblBuilds->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TblBuilds->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TblBuilds->setSelectionBehavior(QAbstractItemView::SelectRows);
    TblBuilds->setSelectionMode(QAbstractItemView::SingleSelection);
    TblBuilds->setShowGrid(false);
    TblBuilds->setTabKeyNavigation(false);
    TblBuilds->setFont(PixelFont(kArial, 12));
    PaintAsResult(TblBuilds->viewport());
    PaintAsResult(TblBuilds);
    TblBuilds->setGeometry(kTableLeft, kTableTop, kTableWidth, kTableHeaderHeight + kRows * kTableRowHeight + 2);
    WithHint(TblBuilds, QStringLiteral("Best builds"),
             QStringLiteral("Best builds| The builds of standard parts that follow the target most closely, with "
                            "their largest error, gain at 1 kHz and the error 95 in 100 toleranced builds stay below; "
                            "click a row to put its parts into the as-built fields."));
    // A click or Enter on a row is the user's choice; moving the current row with the arrows is not.
    connect(TblBuilds, &QTableWidget::cellClicked, this, [this](int row, int) { TblBuildsClick(row); });
    connect(TblBuilds, &QTableWidget::cellActivated, this, [this](int row, int) { TblBuildsClick(row); });
}

void BestBuildPage::RangeChange() {
    const riaa::NumberLocale& locale = session_.locale();
    QString lowProblem;
    QString highProblem;
    const std::optional<double> low = ReadCapacitance(EdtCapLow->text(), locale, lowProblem);
    const std::optional<double> high = ReadCapacitance(EdtCapHigh->text(), locale, highProblem);
    if (low && high && !(*low < *high)) highProblem = QStringLiteral("The range's low end must be below its high end");
    MarkField(EdtCapLow, !lowProblem.isEmpty());
    MarkField(EdtCapHigh, !highProblem.isEmpty());
    range_.reset();
    if (lowProblem.isEmpty() && highProblem.isEmpty()) range_ = riaa::PartRange{*low, *high};
    rangeProblem_ = !lowProblem.isEmpty()    ? QStringLiteral("Smallest capacitor: ") + lowProblem
                    : !highProblem.isEmpty() ? QStringLiteral("Largest capacitor: ") + highProblem
                                             : QString();
    LabelSearchMessage->setText(rangeProblem_);
    updateControls();
}

riaa::BestBuildRequest BestBuildPage::searchRequest() const {
    riaa::BestBuildRequest request;
    const auto pick = [](const QComboBox* box, const auto& kinds) {
        const int index = std::clamp(box->currentIndex(), 0, static_cast<int>(kinds.size()) - 1);
        return kinds[static_cast<std::size_t>(index)];
    };
    request.capacitorSeries = pick(CmbBxCapSeries, kCapacitorSeries);
    request.resistorSeries = pick(CmbBxResSeries, kResistorSeries);
    if (range_) request.capacitorRange = *range_;
    request.pairs = ChckBxPairs->isChecked();
    request.count = kRows;
    return request;
}

void BestBuildPage::BtnSearchClick() {
    const std::optional<riaa::BuiltNetwork>& network = session_.builtNetwork();
    if (!network || !range_) return;
    searchedFor_ = *network;
    tolerancesUsed_ = session_.toleranceSettings();
    builds_.clear();
    p95Db_.clear();
    renderTable();
    worker_->request(*network, searchRequest(), tolerancesUsed_);
    searching_ = true;
    searchClock_.start();
    progressTimer_->start();
    LabelSearchMessage->setText(rangeProblem_);
    showProgress();
    updateControls();
}

void BestBuildPage::BtnCancelClick() {
    if (searching_) stopSearch(QStringLiteral("Stopped"));
}

void BestBuildPage::designEdited(DesignSession::Changes what) {
    if (searching_ && (what & kEdits)) stopSearch(QStringLiteral("Stopped: the design changed"));
}

void BestBuildPage::stopSearch(const QString& status) {
    worker_->cancel();
    searching_ = false;
    progressTimer_->stop();
    PrgBrSearch->setValue(0);
    LabelSearchStatus->setText(status);
    BtnCancel->setEnabled(false);
    renderTable();
}

void BestBuildPage::showProgress() {
    const BestBuildWorkerProgress progress = worker_->progress();
    const std::uint64_t done = std::min(progress.done, progress.total);
    const int permille = progress.total > 0 ? static_cast<int>(done * 1000 / progress.total) : 0;
    PrgBrSearch->setValue(permille);
    // The search's pieces differ a lot in size: the clock shows it alive between two of them.
    const QString time = QString::fromStdString(riaa::RenderNumber(
        static_cast<double>(searchClock_.elapsed()) / 1000, kSeconds, session_.locale()));
    if (progress.phase == BestBuildWorkerProgress::Phase::Tolerances) {
        LabelSearchStatus->setText(
            QStringLiteral("Tolerance runs: %1 of %2, %3 s").arg(done).arg(progress.total).arg(time));
    } else {
        LabelSearchStatus->setText(QStringLiteral("Searching\u2026 %1 %, %2 s").arg(permille / 10).arg(time));
    }
}

void BestBuildPage::showBuilds(const std::vector<riaa::BestBuild>& builds) {
    builds_ = builds;
    p95Db_.assign(builds_.size(), std::nullopt);
    columns_.clear();
    if (!builds_.empty()) {
        for (const riaa::BestBuildPart& part : builds_.front().parts) columns_.push_back(part.element);
    }
    renderTable();
    showProgress();
}

void BestBuildPage::showPercentile(int build, double p95Db) {
    if (build < 0 || static_cast<std::size_t>(build) >= p95Db_.size()) return;
    p95Db_[static_cast<std::size_t>(build)] = p95Db;
    renderTable();
}

void BestBuildPage::searchFinished() {
    searching_ = false;
    progressTimer_->stop();
    PrgBrSearch->setValue(PrgBrSearch->maximum());
    const double seconds = static_cast<double>(searchClock_.elapsed()) / 1000;
    const QString time =
        QString::fromStdString(riaa::RenderNumber(seconds, riaa::patterns::UpToTwoWithZero, session_.locale()));
    LabelSearchStatus->setText(builds_.empty() ? QStringLiteral("No build within the range")
                                               : QStringLiteral("%1 builds in %2 s").arg(builds_.size()).arg(time));
    renderEmptyHead();
    updateControls();
    selectRowOnShow();
}

void BestBuildPage::searchFailed(const QString& message) {
    stopSearch(QStringLiteral("Not searched"));
    LabelSearchMessage->setText(message);
}

void BestBuildPage::RankChange() {
    renderTable();
    selectRowOnShow();
}

bool BestBuildPage::allPercentiles() const {
    return !p95Db_.empty() && std::all_of(p95Db_.begin(), p95Db_.end(), [](const auto& p) { return p.has_value(); });
}

std::vector<riaa::BestBuild> BestBuildPage::buildsOnShow() const {
    std::vector<riaa::BestBuild> shown;
    for (const std::size_t index : order_) shown.push_back(builds_[index]);
    return shown;
}

void BestBuildPage::renderTable() {
    const riaa::NumberLocale& locale = session_.locale();
    order_.resize(builds_.size());
    for (std::size_t i = 0; i < order_.size(); ++i) order_[i] = i;
    if (allPercentiles() && RdBtnRankP95->isChecked()) {
        std::stable_sort(order_.begin(), order_.end(),
                         [this](std::size_t a, std::size_t b) { return *p95Db_[a] < *p95Db_[b]; });
    }

    const int parts = static_cast<int>(columns_.size());
    QStringList headers;
    for (const ElementKind e : columns_) headers << ElementCaption(e);
    headers << QStringLiteral("Largest error") << QStringLiteral("Gain at 1 kHz") << QStringLiteral("95 % of builds");
    TblBuilds->setColumnCount(static_cast<int>(headers.size()));
    TblBuilds->setHorizontalHeaderLabels(headers);

    const auto cell = [this](int row, int column, const QString& text) {
        auto* item = new QTableWidgetItem(text);
        item->setTextAlignment(Qt::AlignCenter);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        TblBuilds->setItem(row, column, item);
    };
    for (int row = 0; row < kRows; ++row) {
        if (static_cast<std::size_t>(row) >= order_.size()) {
            for (int column = 0; column < TblBuilds->columnCount(); ++column) cell(row, column, QString());
            continue;
        }
        const std::size_t index = order_[static_cast<std::size_t>(row)];
        const riaa::BestBuild& build = builds_[index];
        for (int column = 0; column < parts && static_cast<std::size_t>(column) < build.parts.size(); ++column) {
            cell(row, column, PartText(build.parts[static_cast<std::size_t>(column)], locale));
        }
        cell(row, parts, SignedErrorText(build.largestErrorDb, locale));
        cell(row, parts + 1, QString::fromStdString(riaa::FormatDecibels(build.gain1kHzDb, locale)));
        const std::optional<double>& p95 = p95Db_[index];
        cell(row, parts + 2, p95 ? MagnitudeText(*p95, locale) : searching_ ? QStringLiteral("\u2026") : QString());
    }
    TblBuilds->setEnabled(!builds_.empty());
    fitColumns(parts);
}

void BestBuildPage::fitColumns(int parts) {
    // Each column as wide as its widest text; what the frame has left goes to the parts, so that a
    // stage's many elements still fit and a network's four read at ease.
    TblBuilds->resizeColumnsToContents();
    int used = 0;
    for (int column = 0; column < TblBuilds->columnCount(); ++column) {
        const int width = TblBuilds->columnWidth(column) + kColumnPadding;
        TblBuilds->setColumnWidth(column, width);
        used += width;
    }
    const int spare = kTableWidth - 2 - used;
    if (spare <= 0) return;
    const int share = parts > 0 ? parts : TblBuilds->columnCount();
    for (int i = 0; i < share; ++i) {
        const int extra = spare / share + (i < spare % share ? 1 : 0);
        TblBuilds->setColumnWidth(i, TblBuilds->columnWidth(i) + extra);
    }
}

void BestBuildPage::TblBuildsClick(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= order_.size()) return;
    const riaa::BestBuild& build = builds_[order_[static_cast<std::size_t>(row)]];
    std::map<ElementKind, QString> texts;
    for (const riaa::BestBuildPart& part : build.parts) texts[part.element] = PartText(part, session_.locale());
    session_.setAsBuiltTexts(texts);
}

bool BestBuildPage::buildsFitDesign() {
    const std::optional<riaa::BuiltNetwork>& current = session_.builtNetwork();
    if (!current || !searchedFor_ || builds_.empty()) return false;
    return riaa::WithBuild(*current, builds_.front()) == riaa::WithBuild(*searchedFor_, builds_.front());
}

void BestBuildPage::selectRowOnShow() {
    const std::optional<riaa::BuiltNetwork>& current = session_.builtNetwork();
    for (std::size_t row = 0; current && row < order_.size(); ++row) {
        const riaa::BestBuild& build = builds_[order_[row]];
        // The fields read the parts back from text: equal to the last digits a double holds, not bit for bit.
        const bool onShow = std::all_of(build.parts.begin(), build.parts.end(), [&](const riaa::BestBuildPart& part) {
            return std::fabs(current->value(part.element) - part.value) <= 1e-9 * part.value;
        });
        if (onShow) {
            TblBuilds->selectRow(static_cast<int>(row));
            return;
        }
    }
    TblBuilds->clearSelection();
}

void BestBuildPage::updateControls() {
    const bool network = session_.builtNetwork().has_value();
    BtnSearch->setEnabled(network && range_.has_value());
    BtnCancel->setEnabled(searching_);
    RdBtnRankP95->setEnabled(allPercentiles());
    // The settings of the runs on show, or else those the next search takes from the Parts page.
    const std::optional<riaa::ToleranceSettings>& settings =
        builds_.empty() ? session_.toleranceSettings() : tolerancesUsed_;
    if (!settings) {
        LabelTolerancesUsed->setText(QStringLiteral("No tolerance run: the Parts page's tolerances do not read"));
        return;
    }
    const riaa::NumberLocale& locale = session_.locale();
    LabelTolerancesUsed->setText(
        QStringLiteral("Tolerance runs of %1 builds, R \u00B1%2, C \u00B1%3")
            .arg(QString::fromStdString(riaa::RenderNumber(settings->builds, riaa::patterns::GroupedWhole, locale)),
                 PercentText(settings->resistorPercent, locale), PercentText(settings->capacitorPercent, locale)));
}

void BestBuildPage::render() {
    if ((changes() & kEdits) && !searching_ && !builds_.empty() && !buildsFitDesign()) {
        builds_.clear();
        p95Db_.clear();
        renderTable();
        LabelSearchStatus->setText(QStringLiteral("The design changed: search again"));
    }
    renderEmptyHead();
    updateControls();
    selectRowOnShow();
}

void BestBuildPage::renderEmptyHead() {
    // Before the first search the table's head names the elements a search would choose.
    if (!builds_.empty()) return;
    const std::optional<riaa::BuiltNetwork>& network = session_.builtNetwork();
    std::vector<ElementKind> elements = network ? riaa::BestBuildElements(*network) : std::vector<ElementKind>{};
    if (elements != columns_ || TblBuilds->columnCount() == 0) {
        columns_ = std::move(elements);
        renderTable();
    }
}
