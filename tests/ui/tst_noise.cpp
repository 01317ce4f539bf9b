// The Noise page: the window's menu reaching it, its fields and op-amp choice reaching the figures and the design.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QtTest>

#include "FieldActions.h"
#include "KAQ2_RIAA.h"
#include "common/AppStyle.h"
#include "common/Fonts.h"
#include "engine/ActiveStage.h"
#include "noise/NoisePage.h"
#include "noise/NoisePlotView.h"
#include "session/DesignSession.h"

namespace {

void Choose(QComboBox* box, const QString& item) {
    const int index = box->findText(item);
    QVERIFY(index >= 0);
    Choose(box, index);
}

}  // namespace

class NoiseTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // The window reads the user's op-amp table: not this machine's user's.
        QStandardPaths::setTestModeEnabled(true);
        InstallApplicationStyle();
        InstallFontSubstitutions();
    }

    // The window's own wiring: the command after "Active stage" shows the page of that name.
    void menuShowsThePage() {
        StartupOptions options;
        options.locale = riaa::NumberLocale{};
        TRiaaForm window(options);
        const QList<QAction*> commands = window.MainMenu1->actions();
        const auto active = std::find(commands.begin(), commands.end(), window.ActiveStage1);
        QVERIFY(active != commands.end() && active + 1 != commands.end());
        QCOMPARE((*(active + 1))->objectName(), QStringLiteral("Noise1"));
        window.Noise1->trigger();
        QCOMPARE(window.Notebook1->currentWidget()->objectName(), QStringLiteral("NoisePage"));
        // The circuit page's first calculation is on show: a passive network, which has no margin.
        QVERIFY(window.NoisePage1->figures().has_value());
        QVERIFY(!window.NoisePage1->figures()->headroom);
        const QString shot = qEnvironmentVariable("MIRELUND_NOISE_PICTURE");
        if (!shot.isEmpty()) {
            riaa::ActiveStageRequest request;
            request.opAmp = {false, 100, 10e6};
            window.session()->setActiveRequest(request);
            window.session()->setSource(riaa::Cartridge{});
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            window.grab().save(shot);
            window.NoisePage1->CmbBxPlot->setCurrentIndex(1);
            emit window.NoisePage1->CmbBxPlot->activated(1);
            window.grab().save(QString(shot).replace(QStringLiteral(".png"), QStringLiteral("-margin.png")));
        }
    }

    void fieldsAndOpAmpReachFiguresAndDesign() {
        DesignSession session(riaa::NumberLocale{}, riaa::MakeResistorList());
        riaa::ActiveStageRequest request;
        request.opAmp = {false, 100, 10e6};
        session.setActiveRequest(request);
        session.setSource(riaa::Cartridge{});
        NoisePage page(session, {}, QString());
        page.show();
        QVERIFY(page.figures().has_value());
        auto* en = page.findChild<QLineEdit*>(QStringLiteral("EdtEn"));
        auto* output = page.findChild<QLabel*>(QStringLiteral("LblOutput"));
        QVERIFY(en && output);
        QVERIFY(!en->accessibleName().isEmpty());
        const QString before = output->text();
        QVERIFY(before.endsWith(QStringLiteral("\u00B5V")));

        // A bad value marks its field and says why; the last good figures stay.
        Retype(en, QStringLiteral("-3"));
        QVERIFY(IsRed(en));
        QVERIFY(page.LabelMessage->text().startsWith(QStringLiteral("en,")));
        QCOMPARE(output->text(), before);

        // A quieter op-amp: its figures into the fields, its A0 and GBW into the design, lower noise.
        Choose(page.CmbBxOpAmp, QStringLiteral("OPA1612"));
        QVERIFY(!IsRed(en));
        QCOMPARE(en->text(), QStringLiteral("1.1"));
        QVERIFY(page.LabelMessage->text().isEmpty());
        QCOMPARE(session.builtNetwork()->opAmp, (riaa::OpAmp{false, 130, 40e6}));
        const riaa::NoiseFigures expected =
            riaa::EvaluateNoise(*session.builtNetwork(), riaa::WithOpAmp({}, *riaa::FindOpAmp("OPA1612")));
        QCOMPARE(page.figures()->outputUv, expected.outputUv);
        // The same figure typed keeps the op-amp; another makes it Custom.
        Retype(en, QStringLiteral("1.1"));
        QCOMPARE(page.CmbBxOpAmp->currentText(), QStringLiteral("OPA1612"));
        Retype(en, QStringLiteral("1.2"));
        QCOMPARE(page.CmbBxOpAmp->currentText(), QStringLiteral("Custom"));

        // The plot switches to the margin, one curve.
        Choose(page.CmbBxPlot, QStringLiteral("Overload margin"));
        QVERIFY(page.ImageNoise->data().margin);
        QCOMPARE(page.ImageNoise->data().curves.size(), std::size_t(1));
    }
};

QTEST_MAIN(NoiseTest)
#include "tst_noise.moc"
