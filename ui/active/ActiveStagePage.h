// The Active stage page of the main window: a non-inverting, inverting or two-stage design, which any edit makes the session's design.
#pragma once

#include <QColor>
#include <QString>
#include <array>

#include "common/CaptionedField.h"
#include "engine/BuiltNetwork.h"
#include "active/ActiveStageInputs.h"
#include "session/SessionPage.h"

class Bevel;
class DesignSession;
class FormSchematicView;
class QButtonGroup;
class QDialog;
class QPushButton;
class StageSchematicView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

class ActiveStagePage : public SessionPage {
    Q_OBJECT
public:
    static constexpr int kDesignWidth = 634;
    static constexpr int kDesignHeight = 373;

    explicit ActiveStagePage(DesignSession& session, QWidget* parent = nullptr);
    ~ActiveStagePage() override;

    // Every edit by the user: reads all the inputs and hands the request to the session, which designs the stage.
    void InputChange();

    // What the controls hold now.
    ActiveInputs inputs() const;
    // The result field of an element; null for Rs, which no active stage has.
    QLabel* resultField(riaa::ElementKind element) const;
    QLineEdit* field(ActiveField field) const;

    Bevel* BevelStage = nullptr;
    QLabel* LabelStage = nullptr;
    QRadioButton* RdBtnNonInverting = nullptr;
    QRadioButton* RdBtnInverting = nullptr;
    QRadioButton* RdBtnTwoStages = nullptr;
    QLabel* LabelForm = nullptr;
    std::array<QRadioButton*, 4> RdBtnForms{};  // A, B, C, D
    Bevel* BevelSchematic = nullptr;
    FormSchematicView* ImageForm = nullptr;
    QPushButton* BtnWholeStage = nullptr;  // opens the whole stage with its values, in a window of its own

    Bevel* BevelStageDesign = nullptr;
    QLabel* LabelStageDesign = nullptr;
    QComboBox* CmbBxScale = nullptr;
    QCheckBox* ChckBxStageC0 = nullptr;
    QLabel* LabelExtraZero = nullptr;
    QComboBox* CmbBxExtraZero = nullptr;
    QCheckBox* ChckBxStageRL = nullptr;
    QCheckBox* ChckBxIdealOpAmp = nullptr;

    Bevel* BevelStageParts = nullptr;
    QLabel* LabelStageParts = nullptr;
    QLabel* LabelDesignState = nullptr;

    Bevel* BevelFigures = nullptr;
    QLabel* LabelFigures = nullptr;
    QLabel* LabelStageGain1kHz = nullptr;
    QLabel* LblStageGain1kHz = nullptr;
    QLabel* LabelStageGainDc = nullptr;
    QLabel* LblStageGainDc = nullptr;
    QLabel* LabelStageExtraZeroHz = nullptr;
    QLabel* LblStageExtraZero = nullptr;
    QLabel* LabelStageMessage = nullptr;

private:
    // A text field with its caption (none where a check box or a choice names it) and its unit.
    using FieldRow = CaptionedField;
    struct ResultRow {
        QLabel* caption = nullptr;
        QLabel* field = nullptr;
    };
    void buildStageFrame();
    void WholeStageClick();
    void renderWholeStage();
    void buildDesignFrame();
    void buildPartsFrame();
    void buildFiguresFrame();
    FieldRow makeField(ActiveField which, const char* name, const QString& text, int top,
                       const QString& accessibleName, const QString& hint, const QString& unit,
                       const char* captionName = nullptr, const QString& caption = QString());
    QRadioButton* makeRadio(const char* name, const QString& caption, const QRect& geometry,
                            const QString& accessibleName, const QString& hint);
    void makeResult(riaa::ElementKind element, int row, int column, const QString& hint);

    void ScaleChoiceChange(int index);
    // Controls that take part for the stage and the session's curve, and the drawing of the network.
    void updateControls();
    // The controls set to these inputs, as the user would have set them.
    void showInputs(const ActiveInputs& in);
    void markFields(const std::array<bool, kActiveFieldCount>& bad);
    void renderResults();
    void placeGainDcCaption();
    void renderState();
    void render() override;

    std::array<FieldRow, kActiveFieldCount> fields_{};
    std::array<ResultRow, riaa::kPartCount> results_{};
    QButtonGroup* stageGroup_ = nullptr;
    QButtonGroup* formGroup_ = nullptr;
    // What the user last picked, so that a click on the checked button or the chosen item is no edit.
    int stageId_ = 0;
    int formId_ = 0;
    int scaleIndex_ = 0;
    int extraZeroIndex_ = 0;
    // The scale field's text for each choice, R0 (or Rin) and C1.
    std::array<QString, 2> scaleTexts_{};
    QDialog* wholeStage_ = nullptr;  // made when first asked for
    StageSchematicView* wholeStageView_ = nullptr;
};
