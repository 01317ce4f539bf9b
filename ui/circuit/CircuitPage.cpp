#include "circuit/CircuitPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTimer>

#include "circuit/RadioGroup.h"
#include "circuit/SchematicView.h"
#include "circuit/ValueListModel.h"
#include "engine/Circuits.h"
#include "common/Bevel.h"
#include "common/Controls.h"
#include "common/ErrorReport.h"
#include "common/Fonts.h"
#include "common/Hints.h"
#include "common/PageControls.h"
#include "common/ReadoutAccessible.h"
#include "common/ValueBoxEntries.h"
#include "session/DesignSession.h"

namespace {

const QColor kNormalResult(0, 255, 255);
const QColor kAlertResult(255, 0, 0);
constexpr int kFirstCapacitorEntry = 28;

QString ToQString(const std::string& text) { return QString::fromStdString(text); }
QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The circuits and elements as the engine's table names them, in their index order.
QStringList CircuitCaptions() {
    QStringList captions;
    for (int i = 0; i < riaa::kCircuitCount; ++i) captions << ToQString(riaa::Row(static_cast<riaa::CircuitKind>(i)).caption);
    return captions;
}

QStringList ElementNames() {
    QStringList names;
    for (int i = 0; i < riaa::kElementCount; ++i) names << ToQString(riaa::ElementName(static_cast<riaa::ElementKind>(i)));
    return names;
}
std::string ToStdString(const QString& text) { return text.toStdString(); }

QLabel* MakeLabel(QWidget* page, const char* name, const QString& text, QPoint at, const QFont& font) {
    auto* label = Named(new QLabel(text, page), name);
    label->setFont(font);
    label->adjustSize();
    label->move(at);
    return label;
}

template <class Handler>
QComboBox* MakeValueBox(QWidget* page, const char* name, ValueListModel* model, const QFont& font,
                        const QString& text, const QString& hint, Handler&& onEntry) {
    auto* box = Named(new QComboBox(page), name);
    QObject::connect(new ValueBoxEntries(box), &ValueBoxEntries::entered, page, std::forward<Handler>(onEntry));
    box->setModel(model);
    box->setFont(font);
    box->setInsertPolicy(QComboBox::NoInsert);
    // Completion would write list entries into what the user is typing.
    box->setCompleter(nullptr);
    box->setMaxVisibleItems(8);
    box->setGeometry(63, 231, 105, box->sizeHint().height());
    box->setEditText(text);
    SetHint(box, hint);
    SetShowHint(box, true);
    // The name follows the element being edited (RdGrpElementClick); the edit field inside says the same.
    for (QWidget* control : {static_cast<QWidget*>(box), static_cast<QWidget*>(box->lineEdit())}) {
        control->setAccessibleDescription(SplitHint(hint).longPart.trimmed());
    }
    return box;
}

// `element` names the field for a screen reader, which reads the shown text as the field's value.
QLabel* MakeResultField(QWidget* page, const char* name, const QString& element, QPoint at) {
    auto* field = Named(new QLabel(page), name);
    MakeAccessibleReadout(field, element + QStringLiteral(" result"), QStringLiteral("Calculated value of ") + element);
    field->setGeometry(at.x(), at.y(), 67, 19);
    field->setFont(PixelFont(QStringLiteral("Arial"), 12));
    field->setAlignment(Qt::AlignCenter);
    field->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    field->setLineWidth(1);
    field->setAutoFillBackground(true);
    QPalette colours = field->palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, kNormalResult);
    field->setPalette(colours);
    return field;
}

}  // namespace

CircuitPage::CircuitPage(const riaa::ValueList& resistors, const riaa::ValueList& capacitors,
                         ValueListModel* resistorModel, ValueListModel* capacitorModel,
                         const riaa::NumberLocale& locale, int typingPauseMs, DesignSession& session, QWidget* parent)
    : QWidget(parent),
      resistorList_(resistors),
      capacitorList_(capacitors),
      resistorModel_(resistorModel),
      capacitorModel_(capacitorModel),
      locale_(locale),
      typingPauseMs_(typingPauseMs),
      session_(session) {
    setObjectName(QStringLiteral("CircuitPage"));
    setAutoFillBackground(true);
    buildControls(resistorModel, capacitorModel);
    connect(&session_, &DesignSession::changed, this, [this](DesignSession::Changes what) {
        if (what.testFlag(DesignSession::InputsReplaced)) showInputs();
    });
}

void CircuitPage::buildControls(ValueListModel* resistorModel, ValueListModel* capacitorModel) {
    QWidget* page = this;
    const QFont smallBold = PixelFont(QStringLiteral("Arial"), 11, true);
    const QFont pageFont = PixelFont(QStringLiteral("Arial"), 12);

    Bevel298 = Named(new Bevel(Bevel::Shape::EtchedFrame, page), "Bevel298");
    Bevel298->setGeometry(11, 10, 196, 103);
    SetShowHint(Bevel298, true);
    Label251 = MakeFrameTitle(page, "Label251", QStringLiteral("  Circuit Options "), {17, 4});
    SetShowHint(Label251, true);
    ChckBxRL = MakeCheckBox(page, "ChckBxRL", QStringLiteral("Include resistance RL  "), {17, 34, 160, 13},
                            QStringLiteral("Include Resistor RL| Often, the equalization network or filter cascades "
                                           "into a second gain stage or poteniometer. RL represents that resistance."));
    ChckBxRs = MakeCheckBox(page, "ChckBxRs", QStringLiteral("Include resistance Rs"), {17, 57, 160, 13},
                            QStringLiteral("Include Resistance Rs| Resistance Rs represents the output resistance or "
                                           "impedance of the previous stage."));
    ChkBxStdR = MakeCheckBox(page, "ChkBxStdR", QStringLiteral("Use closest standard resistor"), {17, 80, 185, 17},
                             QStringLiteral("| Check to limit resistor selection and calculations to common 1% and "
                                            "5% values exclusively."));

    RdGrpElement = Named(new RadioGroup(QStringLiteral(" Circuit Elements"),
                                        ElementNames(),
                                        3, page),
                         "RdGrpElement");
    RdGrpElement->setGeometry(11, 118, 196, 89);
    SetShowHint(RdGrpElement, true);

    Bevel2 = Named(new Bevel(Bevel::Shape::EtchedFrame, page), "Bevel2");
    Bevel2->setGeometry(11, 216, 196, 47);
    LabelElement = MakeFrameTitle(page, "LabelElement", QStringLiteral("  Capacitor "), {18, 211});
    LabelPre = MakeLabel(page, "LabelPre", QStringLiteral("C1"), {43, 235}, pageFont);
    // Typing and picking from the list only; focus changes and Enter are no entries.
    CmbBxR = MakeValueBox(page, "CmbBxR", resistorModel, smallBold, QStringLiteral("1000000"),
                          QStringLiteral("Resistor R3 |Enter or increment the value for R3 if needed."),
                          [this] { RunGuarded(this, [this] { CmbBxRChange(); }); });
    CmbBxC = MakeValueBox(page, "CmbBxC", capacitorModel, PixelFont(QStringLiteral("Arial"), 12, true),
                          QStringLiteral("0.01"), QStringLiteral("Capacitor C1|Enter or choose a value Capacitor C1."),
                          [this] { RunGuarded(this, [this] { CmbBxCChange(); }); });
    LabelSufix = MakeLabel(page, "LabelSufix", QStringLiteral("\u00B5F"), {172, 234}, pageFont);

    Bevel6 = Named(new Bevel(Bevel::Shape::EtchedFrame, page), "Bevel6");
    Bevel6->setGeometry(11, 272, 196, 94);
    Label20 = MakeFrameTitle(page, "Label20", QStringLiteral("  Results "), {18, 267});
    Label1a = MakeLabel(page, "Label1a", QStringLiteral("C1"), {20, 284}, pageFont);
    Label2a = MakeLabel(page, "Label2a", QStringLiteral("C2"), {20, 313}, pageFont);
    Label103 = MakeLabel(page, "Label103", QStringLiteral("R1"), {20, 341}, pageFont);
    Label104 = MakeLabel(page, "Label104", QStringLiteral("R2"), {113, 284}, pageFont);
    Label105 = MakeLabel(page, "Label105", QStringLiteral("RL"), {113, 313}, pageFont);
    Label8 = MakeLabel(page, "Label8", QStringLiteral("Rs"), {113, 341}, pageFont);
    for (QLabel* rightAligned : {Label105, Label8}) {
        rightAligned->setAlignment(Qt::AlignRight | Qt::AlignTop);
        rightAligned->resize(16, rightAligned->height());
    }
    LblC1 = MakeResultField(page, "LblC1", QStringLiteral("C1"), {38, 282});
    LblC2 = MakeResultField(page, "LblC2", QStringLiteral("C2"), {38, 310});
    LblR1 = MakeResultField(page, "LblR1", QStringLiteral("R1"), {38, 338});
    LblR2 = MakeResultField(page, "LblR2", QStringLiteral("R2"), {132, 282});
    LblR3 = MakeResultField(page, "LblR3", QStringLiteral("RL"), {132, 310});
    LblR4 = MakeResultField(page, "LblR4", QStringLiteral("Rs"), {132, 338});

    Bevel3 = Named(new Bevel(Bevel::Shape::EtchedFrame, page), "Bevel3");
    Bevel3->setGeometry(216, 10, 408, 253);
    SetShowHint(Bevel3, true);
    Notebook2 = new SchematicView(page);
    Notebook2->move(217, 11);
    LMDSimplePanel1 = Named(new Bevel(Bevel::Shape::RaisedBars, page), "LMDSimplePanel1");
    LMDSimplePanel1->setGeometry(216, 138, 408, 7);

    LMDRadioGroupCircuits = Named(new RadioGroup(QStringLiteral(" Circuits"),
                                                 CircuitCaptions(),
                                                 2, page),
                                  "LMDRadioGroupCircuits");
    LMDRadioGroupCircuits->setGeometry(216, 267, 408, 99);
    SetHint(LMDRadioGroupCircuits, QStringLiteral("Select Circuit Type"));
    SetShowHint(LMDRadioGroupCircuits, true);

    for (int i = 0; i < LMDRadioGroupCircuits->count(); ++i) {
        LMDRadioGroupCircuits->button(i)->setAccessibleDescription(HintOf(LMDRadioGroupCircuits));
    }
    for (int i = 0; i < RdGrpElement->count(); ++i) {
        RdGrpElement->button(i)->setAccessibleDescription(QStringLiteral("The element whose value the value box edits"));
    }

    // The layout's order; each radio group is one stop, at its selected item, so its items stay together.
    QList<QWidget*> tabOrder{CmbBxR, CmbBxC, ChkBxStdR, ChckBxRs, ChckBxRL};
    for (const RadioGroup* group : {RdGrpElement, LMDRadioGroupCircuits}) {
        for (int i = 0; i < group->count(); ++i) tabOrder << group->button(i);
    }
    for (qsizetype i = 1; i < tabOrder.size(); ++i) QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);


    // User actions only: setting a text, a check or a selection from the program raises none of these.
    connect(RdGrpElement, &RadioGroup::itemChosen, this, [this] { RunGuarded(this, [this] { RdGrpElementClick(); }); });
    connect(LMDRadioGroupCircuits, &RadioGroup::itemChosen, this,
            [this] { RunGuarded(this, [this] { LMDRadioGroupCircuitsChange(); }); });
    for (QCheckBox* box : {ChckBxRL, ChckBxRs, ChkBxStdR}) {
        connect(box, &QCheckBox::clicked, this, [this] { RunGuarded(this, [this] { ChckBxRLClick(); }); });
    }
}

riaa::CircuitKind CircuitPage::currentCircuit() const {
    return static_cast<riaa::CircuitKind>(LMDRadioGroupCircuits->itemIndex());
}

riaa::ElementKind CircuitPage::currentElement() const { return static_cast<riaa::ElementKind>(RdGrpElement->itemIndex()); }

QList<QLabel*> CircuitPage::resultFields() const { return {LblC1, LblC2, LblR1, LblR2, LblR3, LblR4}; }

void CircuitPage::colourResultFields(const QColor& colour) {
    for (QLabel* field : resultFields()) {
        QPalette colours = field->palette();
        colours.setColor(QPalette::WindowText, colour);
        field->setPalette(colours);
    }
}

void CircuitPage::CalculateP() { calculate(session_.passiveInputs().state); }

void CircuitPage::calculate(const riaa::NetworkState& state) {
    PassiveInputs inputs{state, currentCircuit(),
                         riaa::CalculationOptions{ChckBxRL->isChecked(), ChckBxRs->isChecked(), ChkBxStdR->isChecked()},
                         currentElement()};
    // Calculated before anything is shown, so that a calculation that fails leaves the fields as they were.
    const riaa::CalculationResult result = session_.calculatePassive(inputs);
    colourResultFields(kNormalResult);
    if (result.warning != riaa::NetworkWarning::None) {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), ToQString(riaa::WarningText(result.warning)),
                        QMessageBox::Ok, this);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
    showResult(result);
}

void CircuitPage::showResult(const riaa::CalculationResult& result) {
    if (result.alert) colourResultFields(kAlertResult);
    const QList<QLabel*> fields = resultFields();
    for (int i = 0; i < fields.size(); ++i) fields[i]->setText(ToQString(result.texts[static_cast<std::size_t>(i)]));
    RdGrpElementClick();
}

void CircuitPage::showInputs() {
    const PassiveInputs& inputs = session_.passiveInputs();
    LMDRadioGroupCircuits->setItemIndex(static_cast<int>(inputs.circuit));
    Notebook2->showCircuit(static_cast<int>(inputs.circuit));
    RdGrpElement->setItemIndex(static_cast<int>(inputs.element));
    ChckBxRL->setChecked(inputs.options.IncludeRL);
    ChckBxRs->setChecked(inputs.options.IncludeRs);
    ChkBxStdR->setChecked(inputs.options.UseStandardResistor);
    Notebook2->setRsOverlaysVisible(inputs.options.IncludeRs);
    Notebook2->setRLOverlaysVisible(inputs.options.IncludeRL);
    colourResultFields(kNormalResult);
    if (session_.passiveResult()) showResult(*session_.passiveResult());
}

void CircuitPage::RdGrpElementClick() {
    const riaa::ElementKind element = currentElement();
    session_.setPassiveElement(element);
    const riaa::NetworkState& state = session_.passiveInputs().state;
    LabelPre->setText(RdGrpElement->itemText(RdGrpElement->itemIndex()));
    LabelPre->adjustSize();
    const bool capacitor = riaa::IsCapacitor(element);
    LabelSufix->setText(capacitor ? QStringLiteral("\u00B5F") : QStringLiteral("ohm"));
    LabelSufix->adjustSize();
    CmbBxC->setVisible(capacitor);
    // Under X11 a screen reader reads a box's edit text as its name and the label it is a buddy of as its label.
    LabelPre->setBuddy(capacitor ? CmbBxC : CmbBxR);
    const QString boxName = QStringLiteral("Value of ") + LabelPre->text();
    for (QComboBox* box : {CmbBxC, CmbBxR}) {
        box->setAccessibleName(boxName);
        box->lineEdit()->setAccessibleName(boxName);
    }
    // The resistor box lies beneath: hidden too, so that neither typing nor Tab reaches a box nobody sees.
    CmbBxR->setVisible(!capacitor);
    LabelElement->setText(capacitor ? QStringLiteral(" Capacitor") : QStringLiteral(" Resistor"));
    LabelElement->adjustSize();

    using riaa::ElementKind;
    using namespace riaa::patterns;
    switch (element) {
        case ElementKind::C1: CmbBxC->setEditText(ToQString(riaa::RenderNumber(state.C1, UpToTen, locale_))); break;
        case ElementKind::C2: CmbBxC->setEditText(ToQString(riaa::RenderNumber(state.C2, UpToTen, locale_))); break;
        default: {
            const double values[] = {state.R1, state.R2, state.RL, state.Rs};
            double ohms = values[static_cast<int>(element) - static_cast<int>(ElementKind::R1)];
            if (ChkBxStdR->isChecked() && (element == ElementKind::R1 || element == ElementKind::R2)) {
                ohms = riaa::ClosestStandardResistor(ohms, resistorList_, locale_);
            }
            CmbBxR->setEditText(ToQString(riaa::RenderNumber(ohms, UpToOne, locale_)));
        }
    }
}

void CircuitPage::CmbBxCChange() {
    if (riaa::IsZeroLikeText(ToStdString(CmbBxC->currentText())) || pauseInProgress_) return;
    QPointer<CircuitPage> alive(this);
    PauseWithMessages(typingPauseMs_);
    if (!alive) return;

    // Read anew: the user may have typed on during the wait.
    const std::string text = ToStdString(CmbBxC->currentText());
    const double microfarads = riaa::ParseNumber(text, locale_);
    const riaa::ElementKind element =
        currentElement() == riaa::ElementKind::C1 ? riaa::ElementKind::C1 : riaa::ElementKind::C2;
    // A value the circuit cannot take is refused before it joins the list.
    riaa::NetworkState entered = session_.passiveInputs().state;
    riaa::ApplyElementValue(entered, currentCircuit(), element, microfarads);
    capacitorModel_->insertTypedValue(text, locale_);
    calculate(entered);
}

void CircuitPage::CmbBxRChange() {
    if (riaa::IsZeroLikeText(ToStdString(CmbBxR->currentText())) || pauseInProgress_) return;
    QPointer<CircuitPage> alive(this);
    PauseWithMessages(typingPauseMs_);
    if (!alive) return;

    const std::string text = riaa::ExpandMultiplierSuffix(ToStdString(CmbBxR->currentText()), locale_);
    CmbBxR->setEditText(ToQString(text));
    const double ohms = riaa::ParseNumber(text, locale_);
    const riaa::ElementKind element = currentElement();
    riaa::NetworkState entered = session_.passiveInputs().state;
    if (element != riaa::ElementKind::C1 && element != riaa::ElementKind::C2) {
        riaa::ApplyElementValue(entered, currentCircuit(), element, ohms);
    }
    resistorModel_->insertTypedValue(text, locale_);
    calculate(entered);
}

void CircuitPage::ChckBxRLClick() {
    Notebook2->setRsOverlaysVisible(ChckBxRs->isChecked());
    Notebook2->setRLOverlaysVisible(ChckBxRL->isChecked());
    RdGrpElementClick();
    CalculateP();
}

void CircuitPage::LMDRadioGroupCircuitsChange() {
    Notebook2->showCircuit(LMDRadioGroupCircuits->itemIndex());
    RdGrpElement->setItemIndex(0);
    RdGrpElementClick();
    CalculateP();
}

void CircuitPage::FormKeyPress() { LMDRadioGroupCircuitsChange(); }

void CircuitPage::PauseWithMessages(int milliseconds) {
    if (pauseInProgress_) return;
    pauseInProgress_ = true;
    // Cleared whatever happens during the wait, even if the window goes away.
    struct ClearFlag {
        ~ClearFlag() { pauseInProgress_ = false; }
    } clearFlag;

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(qApp, &QCoreApplication::aboutToQuit, &loop, &QEventLoop::quit);
    timer.start(milliseconds);
    if (!QCoreApplication::closingDown()) loop.exec();
}

void CircuitPage::FormShow() {
    // Selecting from the program raises no change event, so no calculation follows.
    if (capacitorList_.size() <= static_cast<std::size_t>(kFirstCapacitorEntry)) return;
    CmbBxC->setCurrentIndex(kFirstCapacitorEntry);
    CmbBxC->setEditText(CmbBxC->itemText(kFirstCapacitorEntry));
    // The window opens ready for typing into the value box it shows.
    (CmbBxC->isVisible() ? CmbBxC : CmbBxR)->setFocus();
}
