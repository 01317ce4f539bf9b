// Page 0 of the main window: the circuit, the element being edited, its value box, the options and the six result fields.
#pragma once

#include <QWidget>

#include "engine/Network.h"
#include "engine/ValueLists.h"

class Bevel;
class DesignSession;
class QCheckBox;
class QComboBox;
class QLabel;
class RadioGroup;
class SchematicView;
class ValueListModel;

class CircuitPage : public QWidget {
    Q_OBJECT
public:
    // The lists are the main window's; the network's inputs are the session's, which every handler
    // hands its calculation to.
    CircuitPage(const riaa::ValueList& resistors, const riaa::ValueList& capacitors,
                ValueListModel* resistorModel, ValueListModel* capacitorModel, const riaa::NumberLocale& locale,
                int typingPauseMs, DesignSession& session, QWidget* parent = nullptr);

    static bool pauseInProgress() { return pauseInProgress_; }

    // Handlers, named by control and event.
    void CalculateP();
    void RdGrpElementClick();
    void CmbBxCChange();
    void CmbBxRChange();
    void ChckBxRLClick();
    void LMDRadioGroupCircuitsChange();
    void FormKeyPress();
    void PauseWithMessages(int milliseconds);
    // The first showing of the window: the capacitor box opens on its list entry, focused.
    void FormShow();

    // The page's controls, named as the layout names them.
    Bevel* Bevel298 = nullptr;
    QLabel* Label251 = nullptr;
    QCheckBox* ChckBxRL = nullptr;
    QCheckBox* ChckBxRs = nullptr;
    QCheckBox* ChkBxStdR = nullptr;
    RadioGroup* RdGrpElement = nullptr;
    Bevel* Bevel2 = nullptr;
    QLabel* LabelElement = nullptr;
    QLabel* LabelPre = nullptr;
    QComboBox* CmbBxR = nullptr;
    QComboBox* CmbBxC = nullptr;
    QLabel* LabelSufix = nullptr;
    Bevel* Bevel6 = nullptr;
    QLabel* Label20 = nullptr;
    QLabel* Label1a = nullptr;
    QLabel* Label2a = nullptr;
    QLabel* Label103 = nullptr;
    QLabel* Label104 = nullptr;
    QLabel* Label105 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* LblC1 = nullptr;
    QLabel* LblC2 = nullptr;
    QLabel* LblR1 = nullptr;
    QLabel* LblR2 = nullptr;
    QLabel* LblR3 = nullptr;
    QLabel* LblR4 = nullptr;
    Bevel* Bevel3 = nullptr;
    SchematicView* Notebook2 = nullptr;
    Bevel* LMDSimplePanel1 = nullptr;
    RadioGroup* LMDRadioGroupCircuits = nullptr;

private:
    void buildControls(ValueListModel* resistorModel, ValueListModel* capacitorModel);
    riaa::CircuitKind currentCircuit() const;
    riaa::ElementKind currentElement() const;
    QList<QLabel*> resultFields() const;
    void colourResultFields(const QColor& colour);
    // Calculates the network from the session's inputs with this state and the controls' choices.
    void calculate(const riaa::NetworkState& state);
    // The texts into the fields, red in the alert state; the fields are in their normal colour before.
    void showResult(const riaa::CalculationResult& result);
    // The session's inputs in the controls, after they were set at once.
    void showInputs();

    // One process-wide flag: true only while a typed value settles, so no second wait starts.
    static inline bool pauseInProgress_ = false;

    const riaa::ValueList& resistorList_;
    const riaa::ValueList& capacitorList_;
    ValueListModel* resistorModel_;
    ValueListModel* capacitorModel_;
    riaa::NumberLocale locale_;
    int typingPauseMs_;
    DesignSession& session_;
};
