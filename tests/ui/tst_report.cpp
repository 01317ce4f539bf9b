// The report read back from its PDF, the whole-stage drawing's labels, the CSV rows and the page size.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "active/StageSchematicView.h"
#include "active/StageSchematics.h"
#include "common/Fonts.h"
#include "engine/ActiveStage.h"
#include "engine/Response.h"
#include "report/ReportPdf.h"

using riaa::BuiltNetwork;
using riaa::DesignKind;
using riaa::ElementKind;

Q_DECLARE_METATYPE(riaa::BuiltNetwork)

namespace {

const QString kBom = QStringLiteral(
    "Designator,Value,Exact,Series,Tolerance,Type,Quantity,Note\r\n"
    "R1a,270 k,280 k,E24,1 %,metal film,2,\"R1a, R1b in series\"\r\n"
    "R1b,10 k,,E24,1 %,metal film,2,\"R1a, R1b in series\"\r\n"
    "C2,3.3 nF,3.429 nF,E12,2 %,C0G/NP0,2,\r\n");

BuiltNetwork Passive() {
    BuiltNetwork n;
    n.circuit = riaa::CircuitKind::CompleteRiaaVersion1;
    n.set(ElementKind::C1, 0.01);
    n.set(ElementKind::C2, 0.003429);
    n.set(ElementKind::R1, 280'000);
    n.set(ElementKind::R2, 31'600);
    n.set(ElementKind::Rs, 1000);
    n.set(ElementKind::RL, 1e6);
    return n;
}

BuiltNetwork Stage(DesignKind kind, riaa::NetworkForm form, bool iec) {
    riaa::ActiveStageRequest r;
    r.stage = kind;
    r.form = form;
    r.c0 = 100;
    r.rl = 47'000;
    r.curve.iecAmendment = iec;
    return riaa::DesignActiveStage(r);
}

QString PdfText(const QString& path) {
    QProcess run;
    run.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!run.waitForFinished(20'000) || run.exitCode() != 0) return {};
    return QString::fromUtf8(run.readAllStandardOutput());
}

QStringList Texts(const SchematicDrawing& drawing) {
    QStringList texts;
    for (const SchematicPrimitive& p : drawing) {
        if (const auto* t = std::get_if<TextPrimitive>(&p)) texts << t->text;
    }
    return texts;
}

}  // namespace

class ReportTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        InstallFontSubstitutions();
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(), "poppler-utils is needed");
    }

    void reportReadsBackItsPartsAndBill_data() {
        QTest::addColumn<BuiltNetwork>("network");
        QTest::newRow("passive circuit 4 with Rs and RL") << Passive();
        QTest::newRow("non-inverting, C0, IEC coupling") << Stage(DesignKind::NonInverting, riaa::NetworkForm::B, true);
        QTest::newRow("inverting with C0") << Stage(DesignKind::Inverting, riaa::NetworkForm::D, false);
    }
    void reportReadsBackItsPartsAndBill() {
        QFETCH(BuiltNetwork, network);
        ReportSource source;
        source.calculated = network;
        source.built = network;
        source.built->set(ElementKind::R1, 280'820);
        source.asBuiltTexts[riaa::Index(ElementKind::R1)] = QStringLiteral("280k+820");
        source.report = riaa::EvaluateAccuracy(*source.built);
        source.billOfMaterialsCsv = kBom;
        source.fileName = QStringLiteral("bench.mirelund");
        source.designInputs = {{QStringLiteral("Rounding"), QStringLiteral("E96 resistors")}};
        source.noise = {{QStringLiteral("Headroom at 1 kHz"), QStringLiteral("24.1 dB")}};
        const ReportContent content = MakeReportContent(source);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("report.pdf"));
        WriteReportPdf(content, path);
        const QString text = PdfText(path);
        QVERIFY(!text.isEmpty());

        for (const ReportElementRow& row : content.elements) {
            for (const QString& cell : {row.element, row.designed, row.asBuilt}) QVERIFY2(text.contains(cell), qPrintable(cell));
        }
        const QString r1 = PartValueText(ElementKind::R1, 280'820, source.locale);
        QVERIFY(text.contains(QStringLiteral("280k+820 = ") + r1));
        // The schematic writes the values as text, not as a picture: the as-built R1 shows there too.
        QVERIFY2(text.count(r1) >= 2, "R1's value beside it in the schematic");
        for (const QString& cell : {QStringLiteral("R1a"), QStringLiteral("R1b"), QStringLiteral("C0G/NP0"),
                                    QStringLiteral("R1a, R1b in series"), QStringLiteral("Designator")})
            QVERIFY2(text.contains(cell), qPrintable(cell));
        QVERIFY(text.contains(QStringLiteral(".print ac vdb(out)")));
        QVERIFY(text.contains(QStringLiteral("bench.mirelund")));
        for (const ReportLine& line : {source.designInputs.front(), source.noise.front()}) {
            QVERIFY2(text.contains(line.name) && text.contains(line.value), qPrintable(line.name));
        }
    }

    void failedWriteLeavesNoFile() {
        QTemporaryDir dir;
        // A folder that is a file cannot be written to, whoever runs the test.
        QFile blocker(dir.filePath(QStringLiteral("notafolder")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString path = dir.filePath(QStringLiteral("notafolder/report.pdf"));
        ReportSource source;
        source.calculated = Passive();
        try {
            WriteReportPdf(MakeReportContent(source), path);
            QFAIL("no error");
        } catch (const riaa::EngineError& e) {
            QVERIFY2(QString::fromStdString(e.what()).startsWith(QStringLiteral("The report could not be saved to ") +
                                                                 QDir::toNativeSeparators(path) + QStringLiteral(": ")),
                     e.what());
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("notafolder")});
    }

    void pageSizeFollowsTheLocale_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("page");
        QTest::newRow("US: Letter") << QLocale(QLocale::English, QLocale::UnitedStates) << int(QPageSize::Letter);
        QTest::newRow("UK: A4") << QLocale(QLocale::English, QLocale::UnitedKingdom) << int(QPageSize::A4);
        QTest::newRow("Germany: A4") << QLocale(QLocale::German, QLocale::Germany) << int(QPageSize::A4);
    }
    void pageSizeFollowsTheLocale() {
        QFETCH(QLocale, locale);
        QFETCH(int, page);
        QCOMPARE(int(ReportPageSize(locale).id()), page);
    }

    void csvRows_data() {
        QTest::addColumn<QString>("csv");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::newRow("quoted comma, CRLF") << QStringLiteral("a,\"b, c\"\r\nd,e\r\n")
                                            << QList<QStringList>{{"a", "b, c"}, {"d", "e"}};
        QTest::newRow("doubled quote, line break inside, no last break")
            << QStringLiteral("\"say \"\"hi\"\"\",\"x\ny\"\nlast,") << QList<QStringList>{{"say \"hi\"", "x\ny"}, {"last", ""}};
        QTest::newRow("empty") << QString() << QList<QStringList>{};
    }
    void csvRows() {
        QFETCH(QString, csv);
        QFETCH(QList<QStringList>, rows);
        const std::vector<QStringList> read = CsvRows(csv);
        QCOMPARE(QList<QStringList>(read.begin(), read.end()), rows);
    }
    void csvQuoteLeftOpenIsRefused() {
        QVERIFY_THROWS_EXCEPTION(riaa::EngineError, CsvRows(QStringLiteral("a,\"b\r\n")));
    }

    // Every part of every stage is drawn with its name and, right after it, its value as the pages write it.
    void stageDrawingNamesEveryPartWithItsValue_data() {
        QTest::addColumn<BuiltNetwork>("stage");
        for (const riaa::NetworkForm form : {riaa::NetworkForm::A, riaa::NetworkForm::B, riaa::NetworkForm::C, riaa::NetworkForm::D}) {
            const QString letter = QChar(u'A' + static_cast<int>(form));
            QTest::addRow("non-inverting %s, IEC", qPrintable(letter)) << Stage(DesignKind::NonInverting, form, true);
            QTest::addRow("inverting %s", qPrintable(letter)) << Stage(DesignKind::Inverting, form, false);
        }
        QTest::newRow("two stages with RL") << Stage(DesignKind::TwoStage, riaa::NetworkForm::A, false);
    }
    void stageDrawingNamesEveryPartWithItsValue() {
        QFETCH(BuiltNetwork, stage);
        const riaa::NumberLocale comma{",", "."};
        const StageSchematic drawn = StageSchematicOf(stage, comma);
        const QStringList texts = Texts(drawn.drawing);
        for (const ElementKind e : riaa::kAllElements) {
            const QString name = QString::fromLatin1(riaa::ElementName(e).data());
            const qsizetype at = texts.indexOf(name);
            QCOMPARE(at >= 0, stage.has(e));
            if (at >= 0) QCOMPARE(texts.value(at + 1), PartValueText(e, stage.value(e), comma));
        }
        const QRectF room(QPointF(0, 0), drawn.size);
        for (const SchematicPrimitive& p : drawn.drawing) {
            if (const auto* t = std::get_if<TextPrimitive>(&p)) QVERIFY2(room.contains(t->topLeft), qPrintable(t->text));
        }
    }

    // The circuit page's drawing writes each part's value beside it, and Rs and RL only where in circuit.
    void passiveDrawingNamesEveryPartWithItsValue_data() {
        QTest::addColumn<int>("circuit");
        QTest::addColumn<bool>("outerParts");
        for (int circuit = 0; circuit < riaa::kCircuitCount; ++circuit) {
            QTest::addRow("circuit %d with Rs and RL", circuit) << circuit << true;
            QTest::addRow("circuit %d alone", circuit) << circuit << false;
        }
    }
    void passiveDrawingNamesEveryPartWithItsValue() {
        QFETCH(int, circuit);
        QFETCH(bool, outerParts);
        BuiltNetwork network = Passive();
        network.circuit = static_cast<riaa::CircuitKind>(circuit);
        if (circuit < 4) network.remove(ElementKind::C2);
        if (circuit < 2) network.remove(ElementKind::R2);
        if (!outerParts) {
            network.remove(ElementKind::Rs);
            network.remove(ElementKind::RL);
        }
        const DesignSchematic drawn = DesignSchematicOf(network, {});
        const QStringList texts = Texts(drawn.drawing);
        for (const ElementKind e : riaa::kAllElements) {
            if (network.has(e)) QVERIFY(texts.contains(PartValueText(e, network.value(e), {})));
        }
        QCOMPARE(texts.contains(QStringLiteral("S")), outerParts);
        QCOMPARE(texts.contains(QStringLiteral("L")), outerParts);
        for (const SchematicPrimitive& p : drawn.drawing) {
            if (const auto* t = std::get_if<TextPrimitive>(&p)) QVERIFY2(drawn.bounds.contains(t->topLeft), qPrintable(t->text));
        }
    }

    // The page's view of the stage, once: it paints the stage, and nothing for a passive network.
    void stageViewPaintsTheStage() {
        StageSchematicView view(QSize(320, 150));
        const auto inked = [&] {
            const QImage picture = view.grab().toImage();
            for (int y = 0; y < picture.height(); ++y) {
                for (int x = 0; x < picture.width(); ++x) {
                    if (picture.pixelColor(x, y) != schematic_colours::kBackground) return true;
                }
            }
            return false;
        };
        view.showStage(Passive(), {});
        QVERIFY(!inked());
        view.showStage(Stage(DesignKind::TwoStage, riaa::NetworkForm::A, false), {});
        QVERIFY(inked());
        QVERIFY(view.accessibleDescription().startsWith(QStringLiteral("Zf = ")));
    }
};

QTEST_MAIN(ReportTest)
#include "tst_report.moc"
