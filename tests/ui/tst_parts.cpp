// The parts page: its table and pairs against the engine, the tolerance runs and their band on the Accuracy page.
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTableWidget>
#include <QtTest>
#include <cmath>
#include <memory>

#include "engine/ActiveStage.h"
#include "KAQ2_RIAA.h"
#include "engine/PairSearch.h"
#include "accuracy/AccuracyPage.h"
#include "accuracy/ErrorPlot.h"
#include "accuracy/ErrorPlotView.h"
#include "circuit/CircuitPage.h"
#include "circuit/RadioGroup.h"
#include "common/AppStyle.h"
#include "common/ErrorTexts.h"
#include "common/Fonts.h"
#include "common/Hints.h"
#include "parts/PartsPage.h"
#include "session/DesignSession.h"
#include "session/ToleranceWorker.h"
#include "WindowProbes.h"

namespace {

using riaa::ElementKind;
using riaa::SeriesKind;

const riaa::NumberLocale kPoint{".", ","};
// Sanitizer builds run a tolerance run many times slower.
constexpr int kRunTimeoutMs = 30000;

std::unique_ptr<TRiaaForm> Window(int circuit = 4, const riaa::NumberLocale& locale = kPoint) {
    StartupOptions options;
    options.locale = locale;
    auto w = std::make_unique<TRiaaForm>(options);
    QAbstractButton* button = w->CircuitPage->LMDRadioGroupCircuits->button(circuit);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    return w;
}

// A control of a page by its object name; a missing one ends the run.
template <class T>
T* Child(QObject* page, const char* name) {
    auto* control = page->findChild<T*>(QString::fromLatin1(name));
    if (control == nullptr) qFatal("No control named %s", name);
    return control;
}

// The whole text at once, as a paste puts it, so that no half-typed text starts a run of its own.
void Paste(QLineEdit* field, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
}

void Retype(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

// As a pick from the drop-down reaches the page.
void Choose(QComboBox* box, int index) {
    box->setCurrentIndex(index);
    emit box->activated(index);
}

void ClickRow(QTableWidget* table, int row) {
    const QRect cell = table->visualItemRect(table->item(row, 1));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
}

bool IsRed(const QLineEdit* field) {
    const QColor base = field->palette().color(QPalette::Active, QPalette::Base);
    return base.red() > base.green() + 60 && base.red() > base.blue() + 60;
}

QString Part(double value, bool capacitor) {
    const riaa::PartPair single{value, 0, value, 0};
    return QString::fromStdString(capacitor ? riaa::CapacitorPairText(single, kPoint)
                                            : riaa::ResistorPairText(single, kPoint));
}

double Round(double value, SeriesKind kind, bool capacitor) {
    return riaa::MakePartSeries(kind, capacitor ? riaa::kCapacitorRange : riaa::kResistorRange).round(value);
}

// The figures of the newest run, in the session and on the parts page, which must be on show.
bool WaitForFigures(TRiaaForm& w) {
    return QTest::qWaitFor(
        [&w] {
            const DesignSession& session = *w.session();
            return session.tolerance().status == ToleranceStatus::Done && !ToleranceWorkerProbe::busy(session.toleranceWorker()) &&
                   !w.PartsPage1->LblP95->text().isEmpty();
        },
        kRunTimeoutMs);
}

// What the session's changes tell of its runs, from now on: each run it asks for, each finished run
// whose figures it comes to show, and each time a band to draw comes or goes.
class RunLog : public QObject {
public:
    explicit RunLog(DesignSession& session)
        : session_(session), done_(session.tolerance().status == ToleranceStatus::Done),
          band_(session.toleranceBand() != nullptr) {
        if (session.tolerance().status == ToleranceStatus::Running) {
            running_ = RunKey{session.builtNetwork(), session.toleranceSettings()};
        }
        connect(&session, &DesignSession::changed, this, [this] { note(); });
    }

    int started = 0;
    int shown = 0;
    QList<bool> bands;  // whether a band fits, at each change of it

private:
    struct RunKey {
        std::optional<riaa::BuiltNetwork> network;
        std::optional<riaa::ToleranceSettings> settings;
        bool operator==(const RunKey&) const = default;
    };

    void note() {
        const ToleranceStatus status = session_.tolerance().status;
        if (status == ToleranceStatus::Running) {
            const RunKey key{session_.builtNetwork(), session_.toleranceSettings()};
            if (running_ != key) ++started;
            running_ = key;
        } else {
            running_.reset();
        }
        if (status == ToleranceStatus::Done && !done_) ++shown;
        done_ = status == ToleranceStatus::Done;
        const bool band = session_.toleranceBand() != nullptr;
        if (band != band_) bands << band;
        band_ = band;
    }

    DesignSession& session_;
    std::optional<RunKey> running_;
    bool done_;
    bool band_;
};

riaa::ToleranceResult RunDirectly(const riaa::BuiltNetwork& network, double resistors, double capacitors,
                                  riaa::ToleranceDistribution distribution) {
    riaa::ToleranceSettings settings;
    settings.resistorPercent = resistors;
    settings.capacitorPercent = capacitors;
    settings.distribution = distribution;
    const std::atomic<bool> never{false};
    return *riaa::RunTolerance(network, settings, never);
}

int BandPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == qRgb(170, 200, 255) ? 1 : 0;
    }
    return count;
}

}  // namespace

class PartsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        InstallApplicationStyle();
        InstallFontSubstitutions();
    }

    void menuCommandAfterAccuracy() {
        auto w = Window();
        const QList<QAction*> commands = w->MainMenu1->actions();
        QCOMPARE(commands.indexOf(w->Parts1), commands.indexOf(w->Accuracy1) + 1);
        QVERIFY(commands.indexOf(w->ActiveStage1) > commands.indexOf(w->Parts1));
        QCOMPARE(commands.indexOf(w->About1), commands.indexOf(w->Noise1) + 1);
        w->Parts1->trigger();
        QCOMPARE(w->Notebook1->currentWidget()->objectName(), QStringLiteral("PartsPage"));
        QCOMPARE(w->PartsPage1->size(), QSize(634, 373));
    }

    // A row against the engine: R1 and R2 from the calculation rounded to the row's series, C1 and C2
    // from the as-built fields rounded to the capacitor series, the network built with them.
    void tableFollowsAsBuiltNetwork_data() {
        QTest::addColumn<int>("capacitorChoice");  // 0 exact, 1 E6, 2 E12, 3 E24
        QTest::addColumn<QString>("c1Typed");
        QTest::addColumn<int>("row");
        QTest::newRow("exact, E24 row") << 0 << "0.0105" << 1;
        QTest::newRow("E6 capacitors, E96 row") << 1 << "0.0105" << 3;
        QTest::newRow("E12 capacitors, E192 row") << 2 << "12.5n" << 4;
        QTest::newRow("E24 capacitors, list row") << 3 << "0.0107" << 5;
    }
    void tableFollowsAsBuiltNetwork() {
        QFETCH(int, capacitorChoice);
        QFETCH(QString, c1Typed);
        QFETCH(int, row);
        auto w = Window();
        PartsPage* page = w->PartsPage1;
        w->Parts1Click();
        const QString before = page->TblParts->item(row, 3)->text();
        w->Accuracy1Click();
        Retype(Child<QLineEdit>(w->AccuracyPage1, "EdtC1"), c1Typed);
        w->Parts1Click();
        Choose(page->CmbBxCapSeries, capacitorChoice);

        const riaa::BuiltNetwork calculated = *w->session()->calculatedNetwork();
        riaa::BuiltNetwork expected = *w->session()->builtNetwork();
        const std::optional<SeriesKind> capacitorSeries[] = {std::nullopt, SeriesKind::E6, SeriesKind::E12,
                                                             SeriesKind::E24};
        if (const auto kind = capacitorSeries[capacitorChoice]) {
            expected.set(riaa::ElementKind::C1, Round(expected.value(riaa::ElementKind::C1), *kind, true));
            expected.set(riaa::ElementKind::C2, Round(expected.value(riaa::ElementKind::C2), *kind, true));
        }
        const SeriesKind resistorSeries[] = {SeriesKind::E12, SeriesKind::E24, SeriesKind::E48, SeriesKind::E96,
                                             SeriesKind::E192};
        const riaa::PartSeries resistors =
            row < 5 ? riaa::MakePartSeries(resistorSeries[row], riaa::kResistorRange)
                    : riaa::MakeListSeries(WindowProbe::resistorList(*w), riaa::kResistorRange);
        expected.set(riaa::ElementKind::R1, resistors.round(calculated.value(riaa::ElementKind::R1)));
        expected.set(riaa::ElementKind::R2, resistors.round(calculated.value(riaa::ElementKind::R2)));
        const riaa::AccuracyReport report = riaa::EvaluateAccuracy(expected);

        QCOMPARE(page->TblParts->item(row, 1)->text(), Part(expected.value(riaa::ElementKind::R1), false));
        QCOMPARE(page->TblParts->item(row, 2)->text(), Part(expected.value(riaa::ElementKind::R2), false));
        QCOMPARE(page->TblParts->item(row, 3)->text(), FormatErrorDb(report.largestErrorDb, kPoint));
        QVERIFY(page->TblParts->item(row, 3)->text() != before);
        QCOMPARE(page->LblCapsUsed->text(),
                 QStringLiteral("C1 %1, C2 %2").arg(Part(expected.value(riaa::ElementKind::C1), true), Part(expected.value(riaa::ElementKind::C2), true)));
    }

    void rowClickFillsAsBuiltFields_data() {
        QTest::addColumn<int>("capacitorChoice");
        QTest::addColumn<int>("row");
        QTest::newRow("E12 with E6 capacitors") << 1 << 0;
        QTest::newRow("E96, capacitors kept") << 0 << 3;
    }
    void rowClickFillsAsBuiltFields() {
        QFETCH(int, capacitorChoice);
        QFETCH(int, row);
        auto w = Window();
        AccuracyPage* accuracy = w->AccuracyPage1;
        PartsPage* page = w->PartsPage1;
        auto* edtC1 = Child<QLineEdit>(accuracy, "EdtC1");
        auto* edtC2 = Child<QLineEdit>(accuracy, "EdtC2");
        w->Accuracy1Click();
        Retype(edtC1, QStringLiteral("0.0105"));
        const QString c2Before = edtC2->text();
        Choose(page->CmbBxCapSeries, capacitorChoice);
        w->show();
        w->Parts1Click();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        const QString rowError = page->TblParts->item(row, 3)->text();
        ClickRow(page->TblParts, row);

        w->Accuracy1Click();
        QCOMPARE(Child<QLineEdit>(accuracy, "EdtR1")->text(), page->TblParts->item(row, 1)->text());
        QCOMPARE(Child<QLineEdit>(accuracy, "EdtR2")->text(), page->TblParts->item(row, 2)->text());
        const bool rounded = capacitorChoice != 0;
        QCOMPARE(edtC1->text(), rounded ? QStringLiteral("10n") : QStringLiteral("0.0105"));
        QCOMPARE(edtC2->text() == c2Before, !rounded);
        // The Accuracy page reads the fields back to the very network the row stands for.
        QVERIFY2(accuracy->LblLargestError->text().startsWith(rowError + QStringLiteral(" at ")),
                 qPrintable(accuracy->LblLargestError->text() + " / " + rowError));
        QCOMPARE(accuracy->LabelValuesSource->text(), QStringLiteral("Edited values"));
        // The rows rest on the calculation, so the click leaves them as they were.
        QCOMPARE(page->TblParts->item(row, 3)->text(), rowError);
    }

    // The pair realises the calculated value even after the field was edited, goes into the field as a
    // sum, and the Accuracy page builds the network with the sum's total.
    void pairWritesSumThatAccuracyReads_data() {
        QTest::addColumn<int>("element");
        QTest::addColumn<int>("seriesChoice");  // 0 E6 ... 5 E192
        QTest::addColumn<QString>("edited");
        QTest::newRow("C2 from E6") << int(ElementKind::C2) << 0 << "0.02";
        QTest::newRow("C2 from E12") << int(ElementKind::C2) << 1 << "0.002";
        QTest::newRow("R1 from E24") << int(ElementKind::R1) << 2 << "100k";
        QTest::newRow("R1 from E192") << int(ElementKind::R1) << 5 << "1M";
        QTest::newRow("R2 from E96, an exact hit") << int(ElementKind::R2) << 4 << "1k";
    }
    void pairWritesSumThatAccuracyReads() {
        QFETCH(int, element);
        QFETCH(int, seriesChoice);
        QFETCH(QString, edited);
        const auto kind = static_cast<ElementKind>(element);
        const bool capacitor = kind == ElementKind::C1 || kind == ElementKind::C2;
        auto w = Window();
        AccuracyPage* accuracy = w->AccuracyPage1;
        PartsPage* page = w->PartsPage1;
        QLineEdit* fields[] = {Child<QLineEdit>(accuracy, "EdtC1"), Child<QLineEdit>(accuracy, "EdtC2"),
                               Child<QLineEdit>(accuracy, "EdtR1"), Child<QLineEdit>(accuracy, "EdtR2")};
        QPushButton* buttons[] = {Child<QPushButton>(page, "BtnPairC1"), Child<QPushButton>(page, "BtnPairC2"),
                                  Child<QPushButton>(page, "BtnPairR1"), Child<QPushButton>(page, "BtnPairR2")};
        QLabel* pairs[] = {Child<QLabel>(page, "LblPairC1"), Child<QLabel>(page, "LblPairC2"),
                           Child<QLabel>(page, "LblPairR1"), Child<QLabel>(page, "LblPairR2")};
        QLabel* errors[] = {Child<QLabel>(page, "LblPairErrorC1"), Child<QLabel>(page, "LblPairErrorC2"),
                            Child<QLabel>(page, "LblPairErrorR1"), Child<QLabel>(page, "LblPairErrorR2")};
        w->Accuracy1Click();
        Retype(fields[element], edited);
        w->Parts1Click();
        Choose(capacitor ? page->CmbBxPairCSeries : page->CmbBxPairRSeries, seriesChoice);

        const riaa::BuiltNetwork calculated = *w->session()->calculatedNetwork();
        const double target = std::array{calculated.value(riaa::ElementKind::C1), calculated.value(riaa::ElementKind::C2), calculated.value(riaa::ElementKind::R1), calculated.value(riaa::ElementKind::R2)}[element];
        const SeriesKind series[] = {SeriesKind::E6, SeriesKind::E12, SeriesKind::E24,
                                     SeriesKind::E48, SeriesKind::E96, SeriesKind::E192};
        const riaa::PartPair best = *riaa::FindBestPair(
            target, riaa::MakePartSeries(series[seriesChoice], capacitor ? riaa::kCapacitorRange : riaa::kResistorRange));
        const QString text = QString::fromStdString(capacitor ? riaa::CapacitorPairText(best, kPoint)
                                                              : riaa::ResistorPairText(best, kPoint));
        QVERIFY2(best.second > 0, "a case whose best answer is one part tests nothing of the sum");

        QTest::mouseClick(buttons[element], Qt::LeftButton);
        w->Accuracy1Click();
        QCOMPARE(fields[element]->text(), text);
        QCOMPARE(pairs[element]->text(), text);
        const QString error = errors[element]->text();
        if (std::fabs(best.errorPercent) < 0.0005) {
            QCOMPARE(error, QStringLiteral("exact"));
        } else {
            QVERIFY2(error.endsWith(QStringLiteral(" %")) && std::fabs(error.chopped(2).toDouble() - best.errorPercent) < 0.0006,
                     qPrintable(error));
        }
        const riaa::BuiltNetwork built = *w->session()->builtNetwork();
        const double read = std::array{built.value(riaa::ElementKind::C1), built.value(riaa::ElementKind::C2), built.value(riaa::ElementKind::R1), built.value(riaa::ElementKind::R2)}[element];
        QVERIFY2(std::fabs(read - best.total) <= 1e-9 * best.total, qPrintable(QString::number(read)));
        // A new calculation makes the shown pair stale.
        QAbstractButton* other = w->CircuitPage->LMDRadioGroupCircuits->button(5);
        QTest::mouseClick(other, Qt::LeftButton, {}, QPoint(6, other->height() / 2));
        w->Parts1Click();
        QVERIFY(pairs[element]->text().isEmpty());
    }

    // An active stage has more elements than rows: the one pair row pairs the element chosen, and a
    // calculation on the circuit page brings the four rows back.
    void stagePairsTheChosenElement() {
        auto w = Window();
        riaa::ActiveStageRequest request;
        request.c0 = 100;
        w->session()->setActiveRequest(request);
        w->Parts1Click();
        PartsPage* page = w->PartsPage1;
        auto* element = Child<QComboBox>(page, "CmbBxPairElement");
        QVERIFY(element->isVisibleTo(page));
        QVERIFY(!Child<QPushButton>(page, "BtnPairC1")->isVisibleTo(page));
        QStringList offered;
        for (int i = 0; i < element->count(); ++i) offered << element->itemText(i);
        QCOMPARE(offered, (QStringList{"C1", "C2", "R1", "R2", "R0", "C0", "R3", "C3"}));
        element->setCurrentIndex(static_cast<int>(offered.indexOf(QStringLiteral("R3"))));
        QTest::mouseClick(Child<QPushButton>(page, "BtnPairElement"), Qt::LeftButton);
        const QString pair = Child<QLabel>(page, "LblPairElement")->text();
        QVERIFY(!pair.isEmpty());
        QCOMPARE(w->session()->field(riaa::ElementKind::R3).text, pair);
        w->CircuitPage->CalculateP();
        QVERIFY(!element->isVisibleTo(page));
        QVERIFY(Child<QPushButton>(page, "BtnPairC1")->isVisibleTo(page));
    }

    // Rounding to the list on the circuit page leaves the pairs and the table the unrounded R1 to aim at.
    void calculationBeforeRounding() {
        auto w = Window();
        const double exactR1 = w->session()->passiveInputs().state.R1;
        w->CircuitPage->ChkBxStdR->click();
        QVERIFY(w->session()->passiveInputs().state.R1 != exactR1);
        QCOMPARE(w->session()->calculatedNetwork()->value(riaa::ElementKind::R1), exactR1);
        QCOMPARE(w->session()->builtNetwork()->value(riaa::ElementKind::R1), w->session()->passiveInputs().state.R1);
        w->Parts1Click();
        QCOMPARE(w->PartsPage1->TblParts->item(3, 1)->text(), Part(Round(exactR1, SeriesKind::E96, false), false));
    }

    void pairNeedsTheElement() {
        auto w = Window(0);
        w->Parts1Click();
        QVERIFY(Child<QPushButton>(w->PartsPage1, "BtnPairC1")->isEnabled());
        QVERIFY(Child<QPushButton>(w->PartsPage1, "BtnPairR1")->isEnabled());
        QVERIFY(!Child<QPushButton>(w->PartsPage1, "BtnPairC2")->isEnabled());
        QVERIFY(!Child<QPushButton>(w->PartsPage1, "BtnPairR2")->isEnabled());
        QCOMPARE(w->PartsPage1->TblParts->item(0, 2)->text(), QString());
    }

    void badToleranceMarkedRedNothingLost_data() {
        QTest::addColumn<bool>("resistorField");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        const QString range = QStringLiteral("The tolerance must be between 0 % and 20 %");
        QTest::newRow("letters") << true << "1x" << "'1x' is not a valid floating point value";
        QTest::newRow("blank") << false << " " << "'' is not a valid floating point value";
        QTest::newRow("negative") << true << "-0.5" << range;
        QTest::newRow("above 20") << false << "20.5" << range;
        QTest::newRow("comma in a point locale") << true << "1,5" << "'1,5' is not a valid floating point value";
    }
    void badToleranceMarkedRedNothingLost() {
        QFETCH(bool, resistorField);
        QFETCH(QString, text);
        QFETCH(QString, message);
        auto w = Window();
        PartsPage* page = w->PartsPage1;
        DesignSession* session = w->session();
        w->Parts1Click();
        QVERIFY(WaitForFigures(*w));
        QLineEdit* bad = resistorField ? page->EdtTolR : page->EdtTolC;
        QLineEdit* other = resistorField ? page->EdtTolC : page->EdtTolR;
        const QString otherText = other->text();
        const QString p95 = page->LblP95->text();
        RunLog runs(*session);

        Paste(bad, text);
        QVERIFY(IsRed(bad));
        QVERIFY(!IsRed(other));
        QCOMPARE(page->LabelToleranceMessage->text(), message);
        QCOMPARE(bad->text(), text);
        QCOMPARE(other->text(), otherText);
        QCOMPARE(page->LblP95->text(), p95);
        QVERIFY(session->toleranceBand() != nullptr);
        QVERIFY(session->tolerance().status != ToleranceStatus::Running);

        // Back to the start value: the same figures, taken from the last run without a new one.
        Paste(bad, resistorField ? QStringLiteral("1") : QStringLiteral("2"));
        QVERIFY(!IsRed(bad));
        QVERIFY(page->LabelToleranceMessage->text().isEmpty());
        QCOMPARE(page->LblP95->text(), p95);
        QCOMPARE(runs.started, 0);
    }

    // The figures are the engine's for the network as built and the settings on the page.
    void runShowsPercentiles_data() {
        QTest::addColumn<QString>("resistors");
        QTest::addColumn<QString>("capacitors");
        QTest::addColumn<bool>("normal");
        QTest::newRow("defaults") << "1" << "2" << false;
        QTest::newRow("normal spread") << "1" << "2" << true;
        QTest::newRow("exact parts") << "0" << "0" << false;
        QTest::newRow("wide resistors") << "10" << "0.5" << false;
    }
    void runShowsPercentiles() {
        QFETCH(QString, resistors);
        QFETCH(QString, capacitors);
        QFETCH(bool, normal);
        auto w = Window();
        PartsPage* page = w->PartsPage1;
        w->Parts1Click();
        Retype(page->EdtTolR, resistors);
        Retype(page->EdtTolC, capacitors);
        if (normal) QTest::mouseClick(page->RdBtnNormal, Qt::LeftButton, {}, QPoint(6, page->RdBtnNormal->height() / 2));
        QCOMPARE(page->RdBtnNormal->isChecked(), normal);
        QVERIFY(WaitForFigures(*w));

        const riaa::ToleranceResult expected =
            RunDirectly(*w->session()->builtNetwork(), resistors.toDouble(), capacitors.toDouble(),
                        normal ? riaa::ToleranceDistribution::Normal : riaa::ToleranceDistribution::Uniform);
        const riaa::ToleranceResult& shown = *w->session()->tolerance().figures;
        QCOMPARE(shown.p50Db, expected.p50Db);
        QCOMPARE(shown.p95Db, expected.p95Db);
        QCOMPARE(shown.p99Db, expected.p99Db);
        const auto figure = [](double db) {
            if (std::fabs(db) < kExactErrorDb) return QStringLiteral("exact");
            if (std::fabs(db) >= 1) return QString::fromStdString(riaa::FormatDecibels(std::fabs(db), kPoint));
            return QString::fromStdString(riaa::RenderNumber(std::fabs(db), {4, 0, true, false}, kPoint)) +
                   QStringLiteral(" dB");
        };
        QCOMPARE(page->LblNominal->text(), figure(expected.nominalLargestErrorDb));
        QCOMPARE(page->LblP50->text(), figure(expected.p50Db));
        QCOMPARE(page->LblP95->text(), figure(expected.p95Db));
        QCOMPARE(page->LblP99->text(), figure(expected.p99Db));
        QCOMPARE(page->LabelToleranceStatus->text(), QStringLiteral("10,000 builds, the same each time"));
    }

    // Typing starts a run per keystroke; only the last one's figures ever reach the page.
    void newerChangeCancelsOlderRun() {
        auto w = Window();
        PartsPage* page = w->PartsPage1;
        DesignSession* session = w->session();
        w->Parts1Click();
        QVERIFY(WaitForFigures(*w));
        RunLog runs(*session);
        QSignalSpy results(&session->toleranceWorker(), &ToleranceWorker::finished);
        // "5" and "5.5" start a run each, before any result can come back; "5." asks for what runs already.
        Retype(page->EdtTolR, QStringLiteral("5.5"));
        QCOMPARE(runs.started, 2);
        QVERIFY(page->LblP95->text().isEmpty());
        QVERIFY(WaitForFigures(*w));
        // The run for "5" gives nothing back: only the newest result arrives.
        QCOMPARE(results.count(), 1);
        QCOMPARE(runs.shown, 1);
        const riaa::ToleranceResult expected = RunDirectly(*session->builtNetwork(), 5.5, 2,
                                                           riaa::ToleranceDistribution::Uniform);
        QCOMPARE(session->tolerance().figures->p95Db, expected.p95Db);
        // The band went away with the old settings and came back once, with the new run.
        QCOMPARE(runs.bands.count(), 2);
        QVERIFY(!runs.bands.at(0));
    }

    // The band reaches the plot and its scale, goes with an edit of the network and comes back with its run.
    void bandReachesPlot() {
        auto w = Window();
        AccuracyPage* accuracy = w->AccuracyPage1;
        DesignSession* session = w->session();
        w->Parts1Click();
        QVERIFY(WaitForFigures(*w));
        QVERIFY(session->toleranceBand() != nullptr);
        w->Accuracy1Click();
        const ErrorPlotData& data = accuracy->ImageError->data();
        QVERIFY(data.band.has_value());
        QCOMPARE(data.band->hz.size(), session->tolerance().figures->band.size());
        QCOMPARE(data.band->highDb.back(), session->tolerance().figures->band.back().upperDb);
        QVERIFY(BandPixels(accuracy->ImageError->picture()) > 1000);
        // The nominal curve of circuit 4 is exact; the scale is the band's.
        double widest = 0;
        for (std::size_t i = 0; i < data.band->hz.size(); ++i) {
            widest = std::max({widest, std::fabs(data.band->lowDb[i]), std::fabs(data.band->highDb[i])});
        }
        QVERIFY(widest > 0.01);
        QVERIFY(ErrorScaleDb(data) >= widest);

        Retype(Child<QLineEdit>(accuracy, "EdtR1"), QStringLiteral("270k+22k"));
        QVERIFY(session->toleranceBand() == nullptr);
        QCOMPARE(BandPixels(accuracy->ImageError->picture()), 0);
        w->Parts1Click();
        QVERIFY(WaitForFigures(*w));
        w->Accuracy1Click();
        QVERIFY(accuracy->ImageError->data().band.has_value());
        QCOMPARE(session->tolerance().figures->p95Db,
                 RunDirectly(*session->builtNetwork(), 1, 2, riaa::ToleranceDistribution::Uniform).p95Db);
    }

    // A calculation whose R1 cannot be built leaves nothing to round, pair or run.
    void alertStateEmptiesThePage() {
        auto w = Window();
        PartsPage* page = w->PartsPage1;
        DesignSession* session = w->session();
        w->Parts1Click();
        QVERIFY(WaitForFigures(*w));
        Retype(page->EdtTolC, QStringLiteral("3"));
        QVERIFY(session->tolerance().status == ToleranceStatus::Running);
        session->setPassiveCalculation(w->session()->passiveInputs().state, riaa::CircuitKind::CompleteRiaaVersion1, {}, true);
        QVERIFY(session->tolerance().status != ToleranceStatus::Running);
        QVERIFY(page->LblP95->text().isEmpty());
        QCOMPARE(page->TblParts->item(0, 1)->text(), QString());
        QVERIFY(!page->TblParts->isEnabled());
        QVERIFY(!Child<QPushButton>(page, "BtnPairR1")->isEnabled());
        QTest::qWait(100);
        QVERIFY(page->LblP95->text().isEmpty());
    }

    void everyControlNamedHintedAndInside() {
        auto w = Window();
        PartsPage* page = w->PartsPage1;
        const QRect pageRect(0, 0, 634, 373);
        for (QWidget* control : page->findChildren<QWidget*>()) {
            if (control->parentWidget() != page) continue;
            QVERIFY2(pageRect.contains(control->geometry()), qPrintable(control->objectName()));
            const bool interactive = control->focusPolicy() != Qt::NoFocus;
            const bool result = control->autoFillBackground() && qobject_cast<QLabel*>(control) &&
                                control->palette().color(QPalette::Window) == Qt::black;
            if (!interactive && !result) continue;
            QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
            QVERIFY2(!control->accessibleDescription().isEmpty(), qPrintable(control->objectName()));
            const HintParts hint = SplitHint(HintOf(control));
            QVERIFY2(!hint.shortPart.isEmpty() && hint.longPart.startsWith(QLatin1Char(' ')),
                     qPrintable(control->objectName()));
        }
    }

    // Every caption, field and cell holds its text at the design size, with the widest texts the page writes.
    void textsFit_data() {
        QTest::addColumn<int>("circuit");
        QTest::addColumn<bool>("comma");
        QTest::newRow("circuit 5, point") << 5 << false;
        QTest::newRow("circuit 0, comma") << 0 << true;
    }
    void textsFit() {
        QFETCH(int, circuit);
        QFETCH(bool, comma);
        auto w = Window(circuit, comma ? riaa::NumberLocale{",", "."} : kPoint);
        PartsPage* page = w->PartsPage1;
        w->Parts1Click();
        for (const char* name : {"BtnPairC1", "BtnPairC2", "BtnPairR1", "BtnPairR2"}) {
            QTest::mouseClick(Child<QPushButton>(page, name), Qt::LeftButton);
        }
        Paste(page->EdtTolR, QStringLiteral("20"));
        Paste(page->EdtTolC, comma ? QStringLiteral("19,5") : QStringLiteral("19.5"));
        QVERIFY(WaitForFigures(*w));
        Paste(page->EdtTolR, QStringLiteral("x"));
        const QString grabTo = qEnvironmentVariable("MIRELUND_GRAB_DIR");
        if (!grabTo.isEmpty()) {
            page->grab().save(grabTo + QStringLiteral("/parts%1.png").arg(circuit));
            // A hidden page holds what it last drew: the Accuracy page is drawn by showing it.
            w->Accuracy1Click();
            w->AccuracyPage1->grab().save(grabTo + QStringLiteral("/accuracy_band%1.png").arg(circuit));
            w->Parts1Click();
        }
        for (QLabel* label : page->findChildren<QLabel*>()) {
            if (label->text().isEmpty()) continue;
            const QFontMetrics metrics(label->font());
            if (label->wordWrap()) {
                QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(label->objectName()));
            } else {
                const int room = label->contentsRect().width();
                QVERIFY2(metrics.horizontalAdvance(label->text()) <= room, qPrintable(label->objectName()));
            }
        }
        for (QAbstractButton* button : page->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly)) {
            // Room for the radio indicator, or for a push button's bevel; Qt's size hint asks 80 px of any button.
            const int margin = qobject_cast<QRadioButton*>(button) ? 24 : 12;
            QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) + margin <= button->width(),
                     qPrintable(button->objectName()));
        }
        QTableWidget* table = page->TblParts;
        const QFontMetrics cells(table->font());
        for (int row = 0; row < table->rowCount(); ++row) {
            for (int column = 0; column < table->columnCount(); ++column) {
                QVERIFY2(cells.horizontalAdvance(table->item(row, column)->text()) + 6 <= table->columnWidth(column),
                         qPrintable(table->item(row, column)->text()));
            }
        }
        QVERIFY(table->viewport()->height() >= table->rowCount() * table->rowHeight(0));
    }

    void tabOrder() {
        auto w = Window();
        w->show();
        w->Parts1Click();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        PartsPage* page = w->PartsPage1;
        page->CmbBxCapSeries->setFocus();
        QTRY_VERIFY(page->CmbBxCapSeries->hasFocus());
        const QStringList order{"TblParts", "CmbBxPairRSeries", "CmbBxPairCSeries", "BtnPairC1", "BtnPairC2",
                                "BtnPairR1", "BtnPairR2", "EdtTolR", "EdtTolC", "RdBtnUniform"};
        QStringList reached;
        for (qsizetype i = 0; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            reached << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(reached, order);
    }
};

QTEST_MAIN(PartsTest)
#include "tst_parts.moc"
