// The design session without a window: field texts and their parsing, what the pages are told, and which tolerance run counts.
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include "engine/Network.h"
#include "session/DesignSession.h"
#include "session/ToleranceWorker.h"
#include "WindowProbes.h"

Q_DECLARE_METATYPE(DesignSession::Changes)

namespace {

using riaa::CircuitKind;
using riaa::ElementKind;

const riaa::NumberLocale kPoint{};
const riaa::NumberLocale kComma{",", "."};

// What the circuit page leaves after a calculation of this circuit at C1 = 0.01 µF.
struct Calculation {
    riaa::NetworkState state;
    CircuitKind circuit = CircuitKind::CompleteRiaaVersion1;
    riaa::CalculationOptions options;
    bool alert = false;
};

Calculation Calculate(CircuitKind circuit, riaa::CalculationOptions options = {}) {
    Calculation c{{}, circuit, options, false};
    const riaa::CalculationResult result =
        riaa::CalculateNetwork(c.state, circuit, options, riaa::MakeResistorList(), kPoint);
    c.alert = result.alert;
    return c;
}

void Hand(DesignSession& session, const Calculation& c) {
    session.setPassiveCalculation(c.state, c.circuit, c.options, c.alert);
}

// Waits until the newest run's figures arrive, or says why not.
bool WaitForFigures(DesignSession& session) {
    QDeadlineTimer deadline(20000);
    while (session.tolerance().status == ToleranceStatus::Running && !deadline.hasExpired()) QTest::qWait(5);
    return session.tolerance().figures != nullptr;
}

}  // namespace

class SessionTest : public QObject {
    Q_OBJECT
private slots:
    void fieldsReadTypedTexts_data() {
        QTest::addColumn<bool>("comma");
        QTest::addColumn<int>("element");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");  // 0: refused
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("problem");
        const int r1 = static_cast<int>(ElementKind::R1), c2 = static_cast<int>(ElementKind::C2);
        QTest::newRow("plain resistor") << false << r1 << "27000" << 27000.0 << "" << "";
        QTest::newRow("resistor sum") << false << r1 << "27k+820" << 27820.0 << "= 27.82 k\u03A9" << "";
        QTest::newRow("capacitor sum") << false << c2 << "3.3n+120p" << 0.00342 << "= 3.42 nF" << "";
        QTest::newRow("comma locale") << true << c2 << "2,2n+0,5n" << 0.0027 << "= 2,7 nF" << "";
        QTest::newRow("not a number") << false << r1 << "27k+4x7" << 0.0 << ""
                                      << "'4x7' is not a valid floating point value";
        QTest::newRow("zero part") << false << c2 << "0" << 0.0 << "" << "The value must be greater than zero";
        QTest::newRow("no part can be so small") << false << c2 << "1e-300" << 0.0 << ""
                                                 << "C2 must lie between 1 pF and 10,000 \u00B5F";
    }
    void fieldsReadTypedTexts() {
        QFETCH(bool, comma);
        QFETCH(int, element);
        QFETCH(QString, text);
        QFETCH(double, value);
        QFETCH(QString, total);
        QFETCH(QString, problem);
        const riaa::ValueList resistors = riaa::MakeResistorList();
        DesignSession session(comma ? kComma : kPoint, resistors);
        Hand(session, Calculate(CircuitKind::CompleteRiaaVersion1));
        const riaa::BuiltNetwork before = *session.builtNetwork();
        const auto e = static_cast<ElementKind>(element);
        session.setAsBuiltText(e, text);
        QCOMPARE(session.field(e).problem, problem);
        QCOMPARE(session.field(e).total, total);
        QCOMPARE(session.message(), problem);
        QVERIFY(session.valuesEdited());
        // A refused text keeps the last network that could be evaluated on show.
        if (value == 0) {
            QCOMPARE(*session.builtNetwork(), before);
        } else {
            QCOMPARE(session.builtNetwork()->value(e), value);
        }
    }

    void calculationFillsTheFieldsExactly() {
        const riaa::ValueList resistors = riaa::MakeResistorList();
        DesignSession session(kComma, resistors);
        const Calculation c = Calculate(CircuitKind::Shelving50To500Hz, {true, false, true});
        Hand(session, c);
        QCOMPARE(session.field(ElementKind::C1).text, QStringLiteral("0,01"));
        QVERIFY(!session.field(ElementKind::C2).offered);
        QCOMPARE(session.field(ElementKind::R2).text.toDouble() == 0, false);
        // RL is in circuit as the options have it, Rs is offered but out.
        QVERIFY(session.field(ElementKind::RL).inCircuit);
        QVERIFY(session.field(ElementKind::Rs).offered && !session.field(ElementKind::Rs).inCircuit);
        QCOMPARE(session.builtNetwork()->value(ElementKind::R1), c.state.R1);
        // The parts aim at R1 before rounding to the list.
        QVERIFY(session.calculatedNetwork()->value(ElementKind::R1) != c.state.R1);
        session.setAsBuiltText(ElementKind::R1, QStringLiteral("1k"));
        session.setInCircuit(ElementKind::Rs, true);
        QVERIFY(session.builtNetwork()->has(ElementKind::Rs));
        session.restoreCalculated();
        QVERIFY(!session.valuesEdited());
        QVERIFY(!session.builtNetwork()->has(ElementKind::Rs));
        QCOMPARE(session.builtNetwork()->value(ElementKind::R1), c.state.R1);
    }

    void alertStateHasNoReport() {
        const riaa::ValueList resistors = riaa::MakeResistorList();
        DesignSession session(kPoint, resistors);
        QVERIFY(!session.report());
        Calculation c = Calculate(CircuitKind::LowPass50Hz);
        c.alert = true;
        Hand(session, c);
        QVERIFY(!session.report());
        QVERIFY(!session.calculatedNetwork());
        QCOMPARE(session.message(), QString());
        QCOMPARE(session.tolerance().status, ToleranceStatus::None);
    }

    void pagesAreToldWhatChanged() {
        const riaa::ValueList resistors = riaa::MakeResistorList();
        DesignSession session(kPoint, resistors);
        QSignalSpy told(&session, &DesignSession::changed);
        const auto last = [&] { return told.takeLast().at(0).value<DesignSession::Changes>(); };
        Hand(session, Calculate(CircuitKind::CompleteRiaaVersion2));
        QCOMPARE(last(), DesignSession::DesignChanged | DesignSession::AsBuiltChanged | DesignSession::ToleranceChanged);
        session.setAsBuiltText(ElementKind::R1, QStringLiteral("30k"));
        QCOMPARE(last(), DesignSession::AsBuiltChanged | DesignSession::ToleranceChanged);
        session.setToleranceTexts(QStringLiteral("x"), QStringLiteral("2"), QStringLiteral("0"),
                                  riaa::ToleranceDistribution::Uniform);
        QCOMPARE(last(), DesignSession::Changes(DesignSession::ToleranceChanged));
        riaa::CurveChoice columbia;
        columbia.curve = 2;
        session.setCurve(columbia);
        QCOMPARE(last(), DesignSession::TargetChanged | DesignSession::AsBuiltChanged | DesignSession::ToleranceChanged);
        // The complete network is now measured against the other curve.
        QVERIFY(std::fabs(session.report()->largestErrorDb) > 1);
        session.setDesignState(session.designState());
        QVERIFY(last().testFlag(DesignSession::InputsReplaced));
    }

    // The whole design set at once reads back as it was set, and makes the same network as typing
    // did; a design the engine refuses leaves the session as it was.
    void designStateReadsBackAsSet_data() {
        QTest::addColumn<bool>("active");
        QTest::addColumn<double>("gainDb");  // of the active stage
        QTest::addColumn<bool>("refused");
        QTest::newRow("passive, edited, Rs in circuit") << false << 0.0 << false;
        QTest::newRow("active stage") << true << 40.0 << false;
        QTest::newRow("stage the engine refuses") << true << -10.0 << true;
    }
    void designStateReadsBackAsSet() {
        QFETCH(bool, active);
        QFETCH(double, gainDb);
        QFETCH(bool, refused);
        const riaa::ValueList resistors = riaa::MakeResistorList();
        DesignSession typed(kComma, resistors);
        PassiveInputs inputs;
        inputs.circuit = CircuitKind::CompleteRiaaVersion2;
        inputs.options.IncludeRs = true;
        typed.calculatePassive(inputs);
        typed.setAsBuiltText(ElementKind::R1, QStringLiteral("27k+820"));
        typed.setInCircuit(ElementKind::RL, true);
        typed.setCurve(riaa::CurveChoice{0, true, false});
        typed.setToleranceTexts(QStringLiteral("0,5"), QStringLiteral("x"), QStringLiteral("0"),
                                riaa::ToleranceDistribution::Normal);
        DesignState state = typed.designState();
        riaa::ActiveStageRequest request;
        request.gain1kHzDb = gainDb;
        if (active) {
            state.design = request;
            state.asBuiltTexts = {};  // the stage's own values
        }

        DesignSession opened(kComma, resistors);
        opened.calculatePassive(PassiveInputs{});
        const riaa::BuiltNetwork before = *opened.builtNetwork();
        if (refused) {
            QVERIFY_THROWS_EXCEPTION(riaa::EngineError, opened.setDesignState(state));
            QCOMPARE(*opened.builtNetwork(), before);
            QCOMPARE(opened.curve(), riaa::CurveChoice{});
            return;
        }
        opened.setDesignState(state);
        const DesignState read = opened.designState();
        QCOMPARE(read.design.index(), state.design.index());
        QCOMPARE(read.curve, state.curve);
        QCOMPARE(read.toleranceTexts, state.toleranceTexts);
        QCOMPARE(read.distribution, state.distribution);
        QCOMPARE(opened.badToleranceFields(), (std::array<bool, 3>{false, true, false}));
        QCOMPARE(opened.designInUse(), active ? DesignInUse::Active : DesignInUse::Passive);
        if (active) {
            QVERIFY(std::fabs(opened.activeStage()->figures.gain1kHzDb - gainDb) < 1e-9);
            return;
        }
        QCOMPARE(read.asBuiltTexts, state.asBuiltTexts);
        QCOMPARE(read.inCircuit, state.inCircuit);
        QVERIFY(opened.valuesEdited());
        QCOMPARE(*opened.builtNetwork(), *typed.builtNetwork());
    }

    // Bad tolerance text loses nothing: figures that still fit the network stay; a new network drops them.
    void toleranceFiguresBelongToTheirNetwork() {
        const riaa::ValueList resistors = riaa::MakeResistorList();
        DesignSession session(kPoint, resistors);
        Hand(session, Calculate(CircuitKind::CompleteRiaaVersion1));
        QVERIFY(WaitForFigures(session));
        QCOMPARE(session.tolerance().status, ToleranceStatus::Done);
        QCOMPARE(session.tolerance().builds, 10000);
        QVERIFY(session.toleranceBand() != nullptr);

        session.setToleranceTexts(QStringLiteral("25"), QStringLiteral("2"), QStringLiteral("0"),
                                  riaa::ToleranceDistribution::Uniform);
        QCOMPARE(session.tolerance().status, ToleranceStatus::NotRun);
        QCOMPARE(session.tolerance().message, QStringLiteral("The tolerance must be between 0 % and 20 %"));
        QVERIFY(session.tolerance().figures != nullptr);
        QCOMPARE(session.badToleranceFields(), (std::array<bool, 3>{true, false, false}));

        session.setAsBuiltText(ElementKind::R1, QStringLiteral("20k"));
        QVERIFY(session.tolerance().figures == nullptr);
        QVERIFY(session.toleranceBand() == nullptr);
    }

    // Edits faster than the runs: only the newest network's figures arrive.
    void newestRunCounts() {
        const riaa::ValueList resistors = riaa::MakeResistorList();
        DesignSession session(kPoint, resistors);
        Hand(session, Calculate(CircuitKind::CompleteRiaaVersion1));
        for (int r1 = 20000; r1 < 20010; ++r1) session.setAsBuiltText(ElementKind::R1, QString::number(r1));
        QVERIFY(WaitForFigures(session));
        riaa::BuiltNetwork newest = *session.builtNetwork();
        QCOMPARE(newest.value(ElementKind::R1), 20009.0);
        const std::atomic<bool> never{false};
        riaa::ToleranceSettings settings = *session.toleranceSettings();
        QCOMPARE(session.tolerance().figures->p95Db, riaa::RunTolerance(newest, settings, never)->p95Db);
    }

    // A newer request stops the run in hand: one build asked for during a run of 100,000 arrives
    // long before that run could have ended.
    void newRequestStopsTheRunInHand() {
        riaa::BuiltNetwork network;
        network.set(ElementKind::C1, 0.01);
        network.set(ElementKind::R1, 318000);
        riaa::ToleranceSettings many;
        many.builds = riaa::kMaxToleranceBuilds;
        many.band = false;
        riaa::ToleranceSettings one = many;
        one.builds = 1;
        const std::atomic<bool> never{false};
        QElapsedTimer clock;
        clock.start();
        QVERIFY(riaa::RunTolerance(network, many, never).has_value());
        const qint64 wholeRunMs = clock.elapsed();

        ToleranceWorker worker;
        QSignalSpy finished(&worker, &ToleranceWorker::finished);
        worker.request(network, many);
        // Until the long run is surely under way.
        QThread::msleep(static_cast<unsigned long>(wholeRunMs / 10 + 1));
        clock.restart();
        worker.request(network, one);
        QVERIFY(finished.wait(static_cast<int>(wholeRunMs * 20 + 1000)));
        QVERIFY2(clock.elapsed() < wholeRunMs / 2, qPrintable(QStringLiteral("%1 ms of a %2 ms run")
                                                                   .arg(clock.elapsed()).arg(wholeRunMs)));
        QTest::qWait(static_cast<int>(wholeRunMs));
        QCOMPARE(finished.count(), 1);
    }

    // A result already on its way to the GUI thread is dropped by cancel(): nothing arrives after it.
    void cancelDropsAPostedResult() {
        ToleranceWorker worker;
        QSignalSpy finished(&worker, &ToleranceWorker::finished);
        riaa::BuiltNetwork network;
        network.set(ElementKind::C1, 0.01);
        network.set(ElementKind::R1, 318000);
        riaa::ToleranceSettings settings;
        settings.builds = 10;
        worker.request(network, settings);
        // Finished on its thread and posted, but not delivered: no events are processed meanwhile.
        for (int waited = 0; ToleranceWorkerProbe::busy(worker) && waited < 20000; ++waited) QThread::msleep(1);
        QVERIFY(!ToleranceWorkerProbe::busy(worker));
        worker.cancel();
        QTest::qWait(50);
        QCOMPARE(finished.count(), 0);
        worker.request(network, settings);
        QTRY_COMPARE(finished.count(), 1);
    }
};

QTEST_GUILESS_MAIN(SessionTest)
#include "tst_session.moc"
