// Page 3 of the main window: which parts to buy: standard series, part pairs and a tolerance run of the network as built.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <array>
#include <map>
#include <optional>
#include <vector>

#include "ErrorPlot.h"
#include "Formats.h"
#include "Network.h"
#include "PartSeries.h"
#include "Response.h"
#include "SeriesTable.h"
#include "Tolerance.h"
#include "ValueLists.h"

class Bevel;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;
class ToleranceRunner;

// Texts for the as-built fields, by element.
using AsBuiltTexts = std::map<riaa::ElementKind, QString>;

class PartsPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDesignWidth = 634;
    static constexpr int kDesignHeight = 373;

    // `resistors` is the window's resistor list, read anew for each table (it grows by typed values).
    PartsPage(const riaa::NumberLocale& locale, const riaa::ValueList& resistors, QWidget* parent = nullptr);
    ~PartsPage() override;

    // The network as the as-built fields make it and as the circuit page calculated it; either is
    // empty when there is none (no calculation yet, or one whose R1 cannot be built).
    void ShowNetworks(const std::optional<riaa::BuiltNetwork>& asBuilt,
                      const std::optional<riaa::BuiltNetwork>& calculated);

    void CmbBxCapSeriesChange();
    void TblPartsClick(int row);
    void BtnPairClick(riaa::ElementKind element);
    // Any edit of a tolerance field or a click on a distribution.
    void ToleranceChange();

    const std::vector<SeriesTableRow>& seriesRows() const { return seriesRows_; }
    // The result the figures show, for the network and settings it was run with.
    const std::optional<riaa::ToleranceResult>& toleranceResult() const { return toleranceResult_; }
    const ToleranceRunner& toleranceRunner() const { return *runner_; }
    // What the fields ask for now; empty while one of them holds bad text.
    std::optional<riaa::ToleranceSettings> toleranceSettings();

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
    QLabel* LabelPairC1 = nullptr;
    QLabel* LabelPairC2 = nullptr;
    QLabel* LabelPairR1 = nullptr;
    QLabel* LabelPairR2 = nullptr;
    QPushButton* BtnPairC1 = nullptr;
    QPushButton* BtnPairC2 = nullptr;
    QPushButton* BtnPairR1 = nullptr;
    QPushButton* BtnPairR2 = nullptr;
    QLabel* LblPairC1 = nullptr;
    QLabel* LblPairC2 = nullptr;
    QLabel* LblPairR1 = nullptr;
    QLabel* LblPairR2 = nullptr;
    QLabel* LblPairErrorC1 = nullptr;
    QLabel* LblPairErrorC2 = nullptr;
    QLabel* LblPairErrorR1 = nullptr;
    QLabel* LblPairErrorR2 = nullptr;

    Bevel* BevelTolerance = nullptr;
    QLabel* LabelTolerance = nullptr;
    QLabel* LabelTolR = nullptr;
    QLineEdit* EdtTolR = nullptr;
    QLabel* LabelTolRUnit = nullptr;
    QLabel* LabelTolC = nullptr;
    QLineEdit* EdtTolC = nullptr;
    QLabel* LabelTolCUnit = nullptr;
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

signals:
    // A row or a pair asks for these texts in the as-built fields.
    void asBuiltTextsChosen(const AsBuiltTexts& texts);
    // The 95 % band for the error plot; empty when none fits the network on show.
    void toleranceBandChanged(const std::optional<ErrorBand>& band);
    // The figures now show a finished run.
    void toleranceShown();

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
    void refreshTable();
    void refreshPairButtons();
    void startToleranceRun();
    void showToleranceResult(const riaa::ToleranceResult& result);
    void showToleranceFailure(const QString& message);
    void clearToleranceFigures();
    void markField(QLineEdit* field, bool bad);
    std::optional<double> readTolerance(QLineEdit* field, QString& problem);
    std::optional<riaa::SeriesKind> capacitorSeries() const;

    riaa::NumberLocale locale_;
    const riaa::ValueList& resistors_;
    std::optional<riaa::BuiltNetwork> asBuilt_;
    std::optional<riaa::BuiltNetwork> calculated_;
    std::vector<SeriesTableRow> seriesRows_;
    std::array<PairRow, 4> pairRows_{};
    QButtonGroup* distributionGroup_ = nullptr;
    ToleranceRunner* runner_ = nullptr;
    // What the running run was started with, and what the shown figures belong to.
    std::optional<riaa::BuiltNetwork> runNetwork_;
    riaa::ToleranceSettings runSettings_;
    std::optional<riaa::BuiltNetwork> resultNetwork_;
    riaa::ToleranceSettings resultSettings_;
    std::optional<riaa::ToleranceResult> toleranceResult_;
    bool bandShown_ = false;
    QColor normalFieldColour_;
};
