// Page 2 of the main window: the design as built, its error against the target response, and its netlist.
#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <array>
#include <functional>

#include "engine/Kinds.h"
#include "session/SessionPage.h"

class Bevel;
class DesignSession;
class ErrorPlotView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class AccuracyPage : public SessionPage {
    Q_OBJECT
public:
    static constexpr int kDesignWidth = 634;
    static constexpr int kDesignHeight = 373;

    // Asks where to save: (parent, caption, suggested path, filter) -> path, empty when cancelled.
    using SaveFileDialog = std::function<QString(QWidget*, const QString&, const QString&, const QString&)>;

    explicit AccuracyPage(DesignSession& session, QWidget* parent = nullptr);
    ~AccuracyPage() override;

    void BtnFromCircuitClick();
    // A pick of a curve or a click on one of its options.
    void CurveChange();
    // A click on "Cartridge" or an edit of one of its fields.
    void CartridgeChange();
    // An edit of a field: the session evaluates the fields.
    void AsBuiltChange(riaa::ElementKind element);
    void BtnCopyNetlistClick();
    void BtnSaveNetlistClick();
    void ImageErrorMouseMove(int x, int y);

    // Tests answer the file dialog themselves.
    void setSaveFileDialog(SaveFileDialog dialog) { saveFileDialog_ = std::move(dialog); }

    QCheckBox* ChckBxRsInCircuit = nullptr;
    QCheckBox* ChckBxRLInCircuit = nullptr;
    Bevel* BevelAsBuilt = nullptr;
    QLabel* LabelAsBuilt = nullptr;
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
    QLabel* LblGainDc = nullptr;

    // The curve the design is measured against and what drives its input.
    Bevel* BevelTarget = nullptr;
    QLabel* LabelTarget = nullptr;
    QLabel* LabelDesign = nullptr;
    QLabel* LabelCurve = nullptr;
    QComboBox* CmbBxCurve = nullptr;
    QCheckBox* ChckBxIec = nullptr;
    QCheckBox* ChckBxZero318 = nullptr;
    QCheckBox* ChckBxCartridge = nullptr;
    QLabel* LblSourceFigures = nullptr;

    Bevel* BevelPlot = nullptr;
    ErrorPlotView* ImageError = nullptr;

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

    void buildAsBuiltFrame();
    void buildNetlistFrame();
    void buildReadoutFrame();
    void buildTargetFrame();
    ElementRow makeElementRow(riaa::ElementKind element, const char* captionName, const char* fieldName,
                              const char* unitName, const char* totalName, int top, const QString& caption,
                              const QString& hint);
    void render() override;
    void renderFields();
    void renderReport();
    void renderTarget();
    void placeRows();
    void placeGrowingControls();

    std::array<ElementRow, riaa::kPartCount> rows_{};
    // L, Rc, RL and CL of the cartridge, each a caption and a field.
    std::array<QLabel*, 4> cartridgeCaptions_{};
    std::array<QLineEdit*, 4> cartridgeFields_{};
    SaveFileDialog saveFileDialog_;
};
