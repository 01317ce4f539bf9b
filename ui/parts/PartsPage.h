// Page 3 of the main window: which parts to buy: standard series, part pairs and a tolerance run of the design as built.
#pragma once

#include <QColor>
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "engine/BuiltNetwork.h"
#include "engine/PartSeries.h"
#include "session/SeriesTable.h"
#include "session/SessionPage.h"

class Bevel;
class DesignSession;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

class PartsPage : public SessionPage {
    Q_OBJECT
public:
    static constexpr int kDesignWidth = 634;
    static constexpr int kDesignHeight = 373;

    explicit PartsPage(DesignSession& session, QWidget* parent = nullptr);
    ~PartsPage() override;

    void CmbBxCapSeriesChange();
    void TblPartsClick(int row);
    void BtnPairClick(riaa::ElementKind element);
    // Any edit of a tolerance field or a click on a distribution.
    void ToleranceChange();
    // A pick of any series: the session keeps them for the file and the bill of materials.
    void SeriesChange();

    const std::vector<SeriesTableRow>& seriesRows() const { return seriesRows_; }

    Bevel* BevelParts = nullptr;
    QLabel* LabelParts = nullptr;
    QLabel* LabelCapSeries = nullptr;
    QComboBox* CmbBxCapSeries = nullptr;
    QLabel* LblCapsUsed = nullptr;
    QTableWidget* TblParts = nullptr;

    Bevel* BevelPairs = nullptr;
    QLabel* LabelPairs = nullptr;
    QLabel* LabelPairRSeries = nullptr;
    QComboBox* CmbBxPairRSeries = nullptr;
    QLabel* LabelPairCSeries = nullptr;
    QComboBox* CmbBxPairCSeries = nullptr;
    // An active stage has more elements than rows: one row pairs the element chosen here.
    QComboBox* CmbBxPairElement = nullptr;

    Bevel* BevelTolerance = nullptr;
    QLabel* LabelTolerance = nullptr;
    QLabel* LabelTolR = nullptr;
    QLineEdit* EdtTolR = nullptr;
    QLabel* LabelTolRUnit = nullptr;
    QLabel* LabelTolC = nullptr;
    QLineEdit* EdtTolC = nullptr;
    QLabel* LabelTolCUnit = nullptr;
    QLabel* LabelTolCL = nullptr;
    QLineEdit* EdtTolCL = nullptr;
    QLabel* LabelTolCLUnit = nullptr;
    QLabel* LabelDistribution = nullptr;
    QRadioButton* RdBtnUniform = nullptr;
    QRadioButton* RdBtnNormal = nullptr;
    QLabel* LabelSpread = nullptr;
    QLabel* LabelNominal = nullptr;
    QLabel* LabelP50 = nullptr;
    QLabel* LabelP95 = nullptr;
    QLabel* LabelP99 = nullptr;
    QLabel* LblNominal = nullptr;
    QLabel* LblP50 = nullptr;
    QLabel* LblP95 = nullptr;
    QLabel* LblP99 = nullptr;
    QLabel* LabelToleranceStatus = nullptr;
    QLabel* LabelBandNote = nullptr;
    QLabel* LabelToleranceMessage = nullptr;

protected:

private:
    // One row of the pairs frame.
    struct PairRow {
        riaa::ElementKind element = riaa::ElementKind::C1;
        QLabel* caption = nullptr;
        QPushButton* button = nullptr;
        QLabel* pair = nullptr;
        QLabel* error = nullptr;
    };

    void buildPartsFrame();
    void buildPairsFrame();
    void buildToleranceFrame();
    PairRow makePairRow(riaa::ElementKind element, const char* captionName, const char* buttonName,
                        const char* pairName, const char* errorName, int top, const QString& caption);
    void render() override;
    // The session's tolerance texts and series in the controls, after they were set at once.
    void showInputs();
    void renderPairs();
    void pairChosenElement();
    void renderTable();
    void renderTolerance();
    std::optional<riaa::SeriesKind> capacitorSeries() const;

    std::vector<SeriesTableRow> seriesRows_;
    std::array<PairRow, 4> pairRows_{};
    PairRow chosenPairRow_;
    // The elements CmbBxPairElement offers, in its order.
    std::vector<riaa::ElementKind> pairElements_;
    // The calculation the pairs on show were found for: a pair answers that one only.
    std::optional<riaa::BuiltNetwork> pairsFoundFor_;
    QButtonGroup* distributionGroup_ = nullptr;
};
