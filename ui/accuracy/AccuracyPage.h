// Page 2 of the main window: the network as built, its error against the target response, and its netlist.
#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "ErrorPlot.h"
#include "Formats.h"
#include "Network.h"
#include "Response.h"

class Bevel;
class ErrorPlotView;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class AccuracyPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDesignWidth = 634;
    static constexpr int kDesignHeight = 373;

    // Asks where to save: (parent, caption, suggested path, filter) -> path, empty when cancelled.
    using SaveFileDialog = std::function<QString(QWidget*, const QString&, const QString&, const QString&)>;

    explicit AccuracyPage(const riaa::NumberLocale& locale, QWidget* parent = nullptr);
    ~AccuracyPage() override;

    // Takes what a calculation of the circuit page left: the fields show it, and "From circuit
    // page" brings it back. `alert` is the circuit page's red state, whose R1 cannot be built.
    void ShowCalculation(const riaa::NetworkState& state, riaa::CircuitKind circuit,
                         const riaa::CalculationOptions& options, bool alert);

    void BtnFromCircuitClick();
    // Any edit of a field or an "in circuit" box: the network is evaluated from the fields.
    void AsBuiltChange();
    void BtnCopyNetlistClick();
    void BtnSaveNetlistClick();
    void ImageErrorMouseMove(int x, int y);

    // Tests answer the file dialog themselves.
    void setSaveFileDialog(SaveFileDialog dialog) { saveFileDialog_ = std::move(dialog); }

    // The last evaluation that succeeded, which the readout, plot and netlist show; empty before the
    // first calculation and in the alert state.
    const std::optional<riaa::BuiltNetwork>& builtNetwork() const { return builtNetwork_; }
    const std::optional<riaa::AccuracyReport>& report() const { return report_; }
    bool valuesEdited() const { return valuesEdited_; }

    // The network as the last calculation of the circuit page left it, its resistors before any
    // rounding to the list; empty before the first calculation and in the alert state.
    std::optional<riaa::BuiltNetwork> calculatedNetwork() const;
    // Puts texts into the as-built fields as if they were typed there, and evaluates them.
    void setAsBuiltTexts(const std::map<riaa::ElementKind, QString>& texts);
    // A spread of builds drawn behind the curve. It belongs to the network on show, so every
    // evaluation drops it.
    void setToleranceBand(const std::optional<ErrorBand>& band);
    const std::optional<ErrorBand>& toleranceBand() const { return band_; }

    Bevel* BevelAsBuilt = nullptr;
    QLabel* LabelAsBuilt = nullptr;
    QLabel* LabelC1 = nullptr;
    QLabel* LabelC2 = nullptr;
    QLabel* LabelR1 = nullptr;
    QLabel* LabelR2 = nullptr;
    QLabel* LabelRs = nullptr;
    QLabel* LabelRL = nullptr;
    QLineEdit* EdtC1 = nullptr;
    QLineEdit* EdtC2 = nullptr;
    QLineEdit* EdtR1 = nullptr;
    QLineEdit* EdtR2 = nullptr;
    QLineEdit* EdtRs = nullptr;
    QLineEdit* EdtRL = nullptr;
    QLabel* LabelUnitC1 = nullptr;
    QLabel* LabelUnitC2 = nullptr;
    QLabel* LabelUnitR1 = nullptr;
    QLabel* LabelUnitR2 = nullptr;
    QLabel* LabelUnitRs = nullptr;
    QLabel* LabelUnitRL = nullptr;
    QLabel* LabelTotalC1 = nullptr;
    QLabel* LabelTotalC2 = nullptr;
    QLabel* LabelTotalR1 = nullptr;
    QLabel* LabelTotalR2 = nullptr;
    QLabel* LabelTotalRs = nullptr;
    QLabel* LabelTotalRL = nullptr;
    QCheckBox* ChckBxRsInCircuit = nullptr;
    QCheckBox* ChckBxRLInCircuit = nullptr;
    QPushButton* BtnFromCircuit = nullptr;
    QLabel* LabelValuesSource = nullptr;
    QLabel* LabelMessage = nullptr;

    Bevel* BevelNetlist = nullptr;
    QLabel* LabelNetlist = nullptr;
    QPushButton* BtnCopyNetlist = nullptr;
    QPushButton* BtnSaveNetlist = nullptr;

    Bevel* BevelAccuracy = nullptr;
    QLabel* LabelAccuracy = nullptr;
    QLabel* LabelBuiltHeading = nullptr;
    QLabel* LabelTargetHeading = nullptr;
    QLabel* LabelLargestError = nullptr;
    QLabel* LabelLoss = nullptr;
    QLabel* LabelPoles = nullptr;
    QLabel* LabelZeros = nullptr;
    QLabel* LblLargestError = nullptr;
    QLabel* LblLoss = nullptr;
    QLabel* LblPolesBuilt = nullptr;
    QLabel* LblPolesTarget = nullptr;
    QLabel* LblZerosBuilt = nullptr;
    QLabel* LblZerosTarget = nullptr;

    Bevel* BevelPlot = nullptr;
    ErrorPlotView* ImageError = nullptr;

signals:
    // After each evaluation that gave a network, and when the alert state takes it away.
    void builtNetworkChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // One row of the " As built" frame, indexed by ElementKind.
    struct ElementRow {
        QLabel* caption = nullptr;
        QLineEdit* field = nullptr;
        QLabel* unit = nullptr;
        QLabel* total = nullptr;
    };
    // A calculation as the circuit page handed it over.
    struct Calculation {
        riaa::NetworkState state;
        riaa::CircuitKind circuit = riaa::CircuitKind::LowPass50Hz;
        riaa::CalculationOptions options;
        bool alert = false;
    };

    void buildAsBuiltFrame();
    void buildNetlistFrame();
    void buildReadoutFrame();
    ElementRow makeElementRow(riaa::ElementKind element, const char* captionName, const char* fieldName,
                              const char* unitName, const char* totalName, int top, const QString& caption,
                              const QString& hint);
    void fillFields(const Calculation& calculation);
    void evaluateFields();
    bool elementInUse(riaa::ElementKind element) const;
    void markField(QLineEdit* field, bool bad);
    void showReport();
    void showAlert();
    void showMessage(const QString& message);
    void showValuesSource();
    void placeGrowingControls();

    riaa::NumberLocale locale_;
    std::array<ElementRow, riaa::kElementCount> rows_{};
    std::optional<Calculation> calculation_;
    riaa::CircuitKind circuit_ = riaa::CircuitKind::LowPass50Hz;
    bool valuesEdited_ = false;
    std::optional<riaa::BuiltNetwork> builtNetwork_;
    std::optional<riaa::AccuracyReport> report_;
    std::optional<ErrorBand> band_;
    SaveFileDialog saveFileDialog_;
    QColor normalFieldColour_;
};
