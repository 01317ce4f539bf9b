// The File menu through the window: designs saved and opened back as typed, bad files refused, unsaved changes offered for saving.
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "KAQ2_RIAA.h"
#include "ModalBoxWatcher.h"
#include "accuracy/AccuracyPage.h"
#include "active/ActiveStagePage.h"
#include "file/DesignFiles.h"
#include "parts/PartsPage.h"
#include "session/DesignSession.h"

namespace {

using riaa::ElementKind;

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A passive network with a sum in R1, Rs left out, a cartridge and tolerances of the user's own.
void SetUpPassive(TRiaaForm& window) {
    DesignSession& session = *window.session();
    PassiveInputs inputs;
    inputs.circuit = riaa::CircuitKind::CompleteRiaaVersion1;
    inputs.options = {true, true, true};
    session.calculatePassive(inputs);
    session.setAsBuiltText(ElementKind::R1, QStringLiteral("270k+8.2k"));
    session.setInCircuit(ElementKind::Rs, false);
    session.setCartridgeTexts(true, {QStringLiteral("400"), QStringLiteral("1k"), QStringLiteral("47k"), QStringLiteral("150")});
    session.setToleranceTexts(QStringLiteral("0.5"), QStringLiteral("1"), QStringLiteral("5"),
                              riaa::ToleranceDistribution::Normal);
    session.setSeriesChoices({riaa::SeriesKind::E12, riaa::SeriesKind::E96, riaa::SeriesKind::E24});
}

// An inverting stage typed on its page: "2.2k" must come back as typed, not as 2200.
void SetUpStage(TRiaaForm& window) {
    ActiveStagePage& page = *window.ActiveStagePage1;
    page.RdBtnInverting->setChecked(true);
    page.field(ActiveField::Scale)->setText(QStringLiteral("2.2k"));
    page.field(ActiveField::Gain)->setText(QStringLiteral("30"));
    page.InputChange();
    // An op-amp picked on the Noise page goes into the stage's texts as well.
    window.session()->setStageOpAmp(riaa::OpAmp{false, 120, 5e6});
    window.session()->setAsBuiltText(ElementKind::R1, QStringLiteral("22k+680"));
}

}  // namespace

class DesignFileTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // The recent files and the folder go to a test location, never the user's own settings.
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("MirelundTests"));
        QCoreApplication::setApplicationName(QStringLiteral("tst_designfile"));
        QSettings().clear();
        QVERIFY(dir_.isValid());
    }

    void designComesBackAsTyped_data() {
        QTest::addColumn<bool>("stage");
        QTest::newRow("passive network with a sum") << false;
        QTest::newRow("inverting stage") << true;
    }
    void designComesBackAsTyped() {
        QFETCH(bool, stage);
        TRiaaForm window;
        window.show();
        stage ? SetUpStage(window) : SetUpPassive(window);
        const QString path = dir_.filePath(QStringLiteral("round.mirelund"));
        window.designFiles()->save(path);
        const riaa::DesignDocument saved = window.designFiles()->document();
        QCOMPARE(window.windowTitle(), QStringLiteral("round.mirelund[*] \u2014 Mirelund"));
        QVERIFY(!window.isWindowModified());

        window.FileNew1->trigger();
        QVERIFY(window.designFiles()->document() != saved);
        QCOMPARE(window.windowTitle(), QStringLiteral("Mirelund"));

        window.openDesignFile(path);
        QVERIFY(window.designFiles()->document() == saved);
        QVERIFY(!window.isWindowModified());
        QCOMPARE(window.designFiles()->recentFiles().value(0), QFileInfo(path).absoluteFilePath());
        // Every page shows what the file holds, as if it had been typed there.
        window.Accuracy1Click();
        QCOMPARE(window.AccuracyPage1->findChild<QLineEdit*>(QStringLiteral("EdtR1"))->text(),
                 stage ? QStringLiteral("22k+680") : QStringLiteral("270k+8.2k"));
        window.Parts1Click();
        QCOMPARE(window.PartsPage1->EdtTolR->text(), stage ? QStringLiteral("1") : QStringLiteral("0.5"));
        QCOMPARE(window.PartsPage1->RdBtnNormal->isChecked(), !stage);
        if (stage) {
            window.ActiveStage1Click();
            QCOMPARE(window.ActiveStagePage1->field(ActiveField::Scale)->text(), QStringLiteral("2.2k"));
            QVERIFY(window.ActiveStagePage1->RdBtnInverting->isChecked());
            QCOMPARE(window.ActiveStagePage1->field(ActiveField::OpenLoopGain)->text(), QStringLiteral("120"));
            QVERIFY(!window.ActiveStagePage1->ChckBxIdealOpAmp->isChecked());
        } else {
            window.Accuracy1Click();
            QCOMPARE(window.AccuracyPage1->findChild<QLineEdit*>(QStringLiteral("EdtCartCL"))->text(), QStringLiteral("150"));
        }

        const QString again = dir_.filePath(QStringLiteral("again.mirelund"));
        window.designFiles()->save(again);
        QCOMPARE(ReadBytes(again), ReadBytes(path));

        // The sum in R1 is bought as two parts.
        const QString bom = dir_.filePath(QStringLiteral("parts.csv"));
        window.designFiles()->exportBillOfMaterials(bom);
        QVERIFY(ReadBytes(bom).startsWith("Designator,Value,Exact,Series,Tolerance,Type,Quantity,Note\r\n"));
        QVERIFY(ReadBytes(bom).contains("\r\nR1b,"));
    }

    void badFileRefusedNamingIt_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("problem");
        QTest::newRow("not JSON") << QByteArray("{\n  \"format\": x}") << QStringLiteral("line 2, column 14");
        QTest::newRow("newer version") << QByteArray(R"({"format": "mirelund-design", "version": 2, "design": "passive"})")
                                       << QStringLiteral("version 2");
        QTest::newRow("bad value")
            << QByteArray(R"({"format": "mirelund-design", "version": 1, "design": "passive", "passive": {"Rs": -1}})")
            << QStringLiteral("passive.Rs must lie between");
        QTest::newRow("text that does not read")
            << QByteArray(R"({"format": "mirelund-design", "version": 1, "design": "active", "stage": {"gain": "3x"}})")
            << QStringLiteral("stage.gain:");
    }
    void badFileRefusedNamingIt() {
        QFETCH(QByteArray, text);
        QFETCH(QString, problem);
        TRiaaForm window;
        window.show();
        SetUpPassive(window);
        // Saved, so that no offer to save comes before the refusal.
        window.designFiles()->save(dir_.filePath(QStringLiteral("good.mirelund")));
        const riaa::DesignDocument before = window.designFiles()->document();
        const QString path = dir_.filePath(QStringLiteral("bad.mirelund"));
        WriteBytes(path, text);

        ModalBoxWatcher watcher;
        window.openDesignFile(path);
        QTRY_COMPARE(watcher.boxes().size(), 1);
        const SeenBox& box = watcher.boxes().constFirst();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QVERIFY2(box.text.contains(QStringLiteral("bad.mirelund")) && box.text.contains(problem), qPrintable(box.text));
        QVERIFY(window.designFiles()->document() == before);
        QCOMPARE(window.windowTitle(), QStringLiteral("good.mirelund[*] \u2014 Mirelund"));
        QVERIFY(!window.isWindowModified());
    }

    void unsavedChangesOfferedOnce() {
        TRiaaForm window;
        window.show();
        const QString path = dir_.filePath(QStringLiteral("kept.mirelund"));
        window.designFiles()->save(path);
        window.session()->setAsBuiltText(ElementKind::C1, QStringLiteral("10n+220p"));
        QVERIFY(window.isWindowModified());
        const riaa::DesignDocument changed = window.designFiles()->document();

        // The box is closed without a choice, which counts as Cancel: New does nothing.
        ModalBoxWatcher watcher;
        window.FileNew1->trigger();
        QCOMPARE(watcher.boxes().size(), 1);
        QStringList buttons = watcher.boxes().constFirst().buttons;
        buttons.sort();
        QCOMPARE(buttons, (QStringList{QStringLiteral("Cancel"), QStringLiteral("Discard"), QStringLiteral("Save")}));
        QVERIFY(window.designFiles()->document() == changed);
        QVERIFY(window.isWindowModified());
    }

private:
    QTemporaryDir dir_;
};

QTEST_MAIN(DesignFileTest)
#include "tst_designfile.moc"
