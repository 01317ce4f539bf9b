// The Best build page: a search reaching the table and the as-built fields, and what stops a search.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTableWidget>
#include <QtTest>
#include <cmath>
#include <functional>
#include <memory>

#include "KAQ2_RIAA.h"
#include "best/BestBuildPage.h"
#include "circuit/CircuitPage.h"
#include "circuit/RadioGroup.h"
#include "common/AppStyle.h"
#include "common/Fonts.h"
#include "session/DesignSession.h"

namespace {

using riaa::ElementKind;

// Sanitizer builds search and run tolerances many times slower.
constexpr int kSearchTimeoutMs = 60000;

std::unique_ptr<TRiaaForm> Window() {
    StartupOptions options;
    options.locale = riaa::NumberLocale{".", ","};
    auto w = std::make_unique<TRiaaForm>(options);
    QAbstractButton* button = w->CircuitPage->LMDRadioGroupCircuits->button(4);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    w->BestBuild1->trigger();
    return w;
}

void Retype(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

bool IsRed(const QLineEdit* field) {
    const QColor base = field->palette().color(QPalette::Active, QPalette::Base);
    return base.red() > base.green() + 60 && base.red() > base.blue() + 60;
}

// A small space: E6 capacitors from 1 nF to 47 nF, E12 resistors.
void AskSmallSearch(BestBuildPage& page) {
    page.CmbBxCapSeries->setCurrentIndex(0);
    page.CmbBxResSeries->setCurrentIndex(0);
    Retype(page.EdtCapLow, QStringLiteral("1n"));
    Retype(page.EdtCapHigh, QStringLiteral("47n"));
}

// A space that takes far longer than any test waits: pairs of E24 capacitors and E192 resistors.
void AskLongSearch(BestBuildPage& page) {
    page.CmbBxCapSeries->setCurrentIndex(2);
    page.CmbBxResSeries->setCurrentIndex(4);
    if (!page.ChckBxPairs->isChecked()) page.ChckBxPairs->click();
}

QString Cell(const QTableWidget* table, int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item == nullptr ? QString() : item->text();
}

}  // namespace

class BestBuildTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        InstallApplicationStyle();
        InstallFontSubstitutions();
    }

    void menuCommandAfterParts() {
        auto w = Window();
        const QList<QAction*> commands = w->MainMenu1->actions();
        QCOMPARE(commands.indexOf(w->BestBuild1), commands.indexOf(w->Parts1) + 1);
        QCOMPARE(w->Notebook1->currentWidget()->objectName(), QStringLiteral("BestBuildPage"));
        QCOMPARE(w->BestBuildPage1->size(), QSize(634, 373));
    }

    void searchFillsTableBestFirstAndRowBuildsIt() {
        auto w = Window();
        BestBuildPage& page = *w->BestBuildPage1;
        AskSmallSearch(page);
        QTest::mouseClick(page.BtnSearch, Qt::LeftButton);
        QVERIFY(page.searching());
        QVERIFY(QTest::qWaitFor([&page] { return !page.searching(); }, kSearchTimeoutMs));

        const std::vector<riaa::BestBuild> builds = page.buildsOnShow();
        QCOMPARE(static_cast<int>(builds.size()), 10);
        for (std::size_t i = 1; i < builds.size(); ++i) {
            QVERIFY(std::fabs(builds[i - 1].largestErrorDb) <= std::fabs(builds[i].largestErrorDb));
        }
        const QTableWidget* table = page.TblBuilds;
        QCOMPARE(table->columnCount(), 7);  // C1, C2, R1, R2, error, gain, 95 %
        QCOMPARE(table->horizontalHeaderItem(0)->text(), QStringLiteral("C1"));
        for (int row = 0; row < 10; ++row) QVERIFY(!Cell(table, row, 6).isEmpty());
        QVERIFY(page.RdBtnRankP95->isEnabled());

        // A row other than the first, so that the row reaches its own build.
        const int row = 3;
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualItemRect(table->item(row, 0)).center());
        DesignSession& session = *w->session();
        for (int column = 0; column < 4; ++column) {
            const riaa::BestBuildPart& part = builds[static_cast<std::size_t>(row)].parts[static_cast<std::size_t>(column)];
            QCOMPARE(session.field(part.element).text, Cell(table, row, column));
            QVERIFY(std::fabs(session.builtNetwork()->value(part.element) - part.value) <= 1e-9 * part.value);
        }
        // The builds still belong to the design: the table stays, the row on show chosen.
        QCOMPARE(page.buildsOnShow().size(), builds.size());
        QCOMPARE(table->selectionModel()->selectedRows().value(0).row(), row);

        page.RdBtnRankP95->click();
        const auto p95 = [table](int r) { return Cell(table, r, 6).section(QLatin1Char(' '), 0, 0).toDouble(); };
        for (int r = 1; r < 10; ++r) QVERIFY(p95(r - 1) <= p95(r) && p95(r) > 0);
    }

    // Whatever stops a search, nothing of it arrives afterwards.
    void whatStopsASearch() {
        const std::vector<std::pair<const char*, std::function<void(TRiaaForm&)>>> stops{
            {"an as-built edit", [](TRiaaForm& w) { w.session()->setAsBuiltText(ElementKind::R1, QStringLiteral("300k")); }},
            {"a new design",
             [](TRiaaForm& w) { w.CircuitPage->LMDRadioGroupCircuits->button(5)->click(); }},
            {"Cancel", [](TRiaaForm& w) { QTest::mouseClick(w.BestBuildPage1->BtnCancel, Qt::LeftButton); }},
        };
        for (const auto& [name, stop] : stops) {
            auto w = Window();
            BestBuildPage& page = *w->BestBuildPage1;
            AskLongSearch(page);
            QTest::mouseClick(page.BtnSearch, Qt::LeftButton);
            QVERIFY2(page.searching() && page.BtnCancel->isEnabled(), name);
            stop(*w);
            QVERIFY2(!page.searching() && !page.BtnCancel->isEnabled(), name);
            QVERIFY2(page.LabelSearchStatus->text().startsWith(QStringLiteral("Stopped")), name);
            QTest::qWait(200);
            QVERIFY2(page.buildsOnShow().empty(), name);
        }
    }

    void rangeTextIsReadAsTyped_data() {
        QTest::addColumn<QString>("low");
        QTest::addColumn<QString>("high");
        QTest::addColumn<bool>("lowBad");
        QTest::addColumn<bool>("highBad");
        QTest::newRow("nano to micro") << "1n" << "1u" << false << false;
        QTest::newRow("pico to a bare microfarad") << "470p" << "1" << false << false;
        QTest::newRow("no number") << "1x" << "1u" << true << false;
        QTest::newRow("a sum") << "1n+1n" << "1u" << true << false;
        QTest::newRow("ends equal") << "10n" << "10n" << false << true;
        QTest::newRow("ends crossed") << "100n" << "10n" << false << true;
        QTest::newRow("beyond a capacitor") << "1n" << "100" << false << true;
    }

    void rangeTextIsReadAsTyped() {
        QFETCH(QString, low);
        QFETCH(QString, high);
        QFETCH(bool, lowBad);
        QFETCH(bool, highBad);
        auto w = Window();
        BestBuildPage& page = *w->BestBuildPage1;
        Retype(page.EdtCapLow, low);
        Retype(page.EdtCapHigh, high);
        QCOMPARE(IsRed(page.EdtCapLow), lowBad);
        QCOMPARE(IsRed(page.EdtCapHigh), highBad);
        QCOMPARE(page.BtnSearch->isEnabled(), !lowBad && !highBad);
        QCOMPARE(page.LabelSearchMessage->text().isEmpty(), !lowBad && !highBad);
    }
};

QTEST_MAIN(BestBuildTest)
#include "tst_bestbuild.moc"
