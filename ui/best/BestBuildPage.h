// The Best build page: a search of every build of standard parts for the one that follows the curve most closely.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <optional>
#include <vector>

#include "engine/BestBuild.h"
#include "engine/Tolerance.h"
#include "session/SessionPage.h"

class Bevel;
class BestBuildWorker;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTimer;

class BestBuildPage : public SessionPage {
    Q_OBJECT
public:
    static constexpr int kDesignWidth = 634;
    static constexpr int kDesignHeight = 373;
    // How often the bar reads the search's progress.
    static constexpr int kProgressIntervalMs = 50;

    explicit BestBuildPage(DesignSession& session, QWidget* parent = nullptr);
    ~BestBuildPage() override;

    void BtnSearchClick();
    void BtnCancelClick();
    // Any edit of the capacitor range.
    void RangeChange();
    void TblBuildsClick(int row);
    void RankChange();

    // A search (or the tolerance runs after it) is in hand.
    bool searching() const { return searching_; }
    // The builds on show, best first by the ranking chosen.
    std::vector<riaa::BestBuild> buildsOnShow() const;

    Bevel* BevelSearch = nullptr;
    QLabel* LabelSearch = nullptr;
    QLabel* LabelCapSeries = nullptr;
    QComboBox* CmbBxCapSeries = nullptr;
    QLabel* LabelCapFrom = nullptr;
    QLineEdit* EdtCapLow = nullptr;
    QLabel* LabelCapTo = nullptr;
    QLineEdit* EdtCapHigh = nullptr;
    QLabel* LabelResSeries = nullptr;
    QComboBox* CmbBxResSeries = nullptr;
    QCheckBox* ChckBxPairs = nullptr;
    QPushButton* BtnSearch = nullptr;
    QPushButton* BtnCancel = nullptr;
    QProgressBar* PrgBrSearch = nullptr;
    QLabel* LabelSearchStatus = nullptr;
    QLabel* LabelSearchMessage = nullptr;

    Bevel* BevelBuilds = nullptr;
    QLabel* LabelBuilds = nullptr;
    QLabel* LabelRank = nullptr;
    QRadioButton* RdBtnRankError = nullptr;
    QRadioButton* RdBtnRankP95 = nullptr;
    QLabel* LabelTolerancesUsed = nullptr;
    QTableWidget* TblBuilds = nullptr;

private:
    void buildSearchFrame();
    void buildBuildsFrame();
    void render() override;
    // Reached at once, shown or hidden: an edit of the design stops the search in hand.
    void designEdited(DesignSession::Changes what);
    void stopSearch(const QString& status);
    void showProgress();
    void showBuilds(const std::vector<riaa::BestBuild>& builds);
    void showPercentile(int build, double p95Db);
    void searchFinished();
    void searchFailed(const QString& message);
    void renderTable();
    void renderEmptyHead();
    void fitColumns(int parts);
    void selectRowOnShow();
    void updateControls();
    // The builds on show were found for a design with the same fixed parts as the one on show now.
    bool buildsFitDesign();
    // Every build on show has its 95th percentile.
    bool allPercentiles() const;
    riaa::BestBuildRequest searchRequest() const;

    BestBuildWorker* worker_ = nullptr;
    QTimer* progressTimer_ = nullptr;
    QButtonGroup* rankGroup_ = nullptr;
    QElapsedTimer searchClock_;
    bool searching_ = false;
    std::optional<riaa::PartRange> range_;  // empty while a range field holds bad text
    QString rangeProblem_;
    std::optional<riaa::BuiltNetwork> searchedFor_;
    std::optional<riaa::ToleranceSettings> tolerancesUsed_;
    std::vector<riaa::BestBuild> builds_;  // best first by largest error, as the search found them
    std::vector<std::optional<double>> p95Db_;
    std::vector<std::size_t> order_;  // the build shown in each row
    std::vector<riaa::ElementKind> columns_;
};
