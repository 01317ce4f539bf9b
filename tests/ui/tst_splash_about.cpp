// Tests of the bevelled colour panel, the splash window, the About box with its link, and the icon.
#include <QApplication>
#include <QFontMetricsF>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>
#include <set>

#include "common/Fonts.h"
#include "windows/About1.h"
#include "windows/AppIcon.h"
#include "windows/Custcolp.h"
#include "windows/Frame3D.h"
#include "windows/Resources.h"
#include "windows/Splash.h"

namespace {

const QRgb Silver = qRgb(192, 192, 192);
const QRgb Grey = qRgb(128, 128, 128);
const QRgb White = qRgb(255, 255, 255);

using Bevel = TCustomColorPanel::BevelKind;

QRgb colorOfLetter(QChar letter) {
    switch (letter.toLatin1()) {
    case 'S': return Silver;
    case 'G': return Grey;
    default: return White;
    }
}

// A panel in the splash's colours: silver highlight, grey shadow, white fill.
std::unique_ptr<TCustomColorPanel> splashColoredPanel(QSize size) {
    auto panel = std::make_unique<TCustomColorPanel>();
    panel->resize(size);
    panel->setHighLightColor(QColor(Silver));
    panel->setShadowColor(QColor(Grey));
    panel->setColor(Qt::white);
    return panel;
}

QImage render(QWidget& widget) { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Whether any pixel differs from the fill colour.
bool hasInk(const QImage& image, QRgb fill) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != fill) {
                return true;
            }
        }
    }
    return false;
}

QImage panelCaptionImage(const QString& caption, Qt::Alignment alignment = Qt::AlignHCenter, int width = 120) {
    auto panel = splashColoredPanel(QSize(width, 40));
    panel->setBevelOuter(Bevel::None);
    panel->setFont(PixelFont(QStringLiteral("Arial"), 12));
    panel->setAlignment(alignment);
    panel->setCaption(caption);
    return render(*panel);
}

void leftClick(QWidget* widget, QPoint at) {
    QTest::mousePress(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

bool showsColor(const QImage& image, QRgb color) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == color) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

class SplashAboutTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void bevelRings_data();
    void bevelRings();
    void frameWidthsBeyondTheSize_data();
    void frameWidthsBeyondTheSize();
    void captionIsCutAt255Characters();
    void captionTextKeepsCharactersWhole();
    void captionAmpersands();
    void captionShowsOnlyItsFirstLine();
    void captionFollowsAlignment();

    void splashWindow();
    void splashChildren_data();
    void splashChildren();
    void splashPaintingOrder();
    void splashWordmarkBaselines_data();
    void splashWordmarkBaselines();
    void splashWordmarkRunsMeetTheInitials();
    void splashRightsNoticeEndsAt420_data();
    void splashRightsNoticeEndsAt420();
    void splashPixels_data();
    void splashPixels();

    void aboutBoxLayout();
    void aboutBoxPanelBevels();
    void aboutBoxKeepsItsMovedPlace();
    void linkAddress_data();
    void linkAddress();
    void linkClickOpensItsTarget();
    void linkPressTurnsPurpleWithoutOpeningWhenReleasedOutside();
    void linkFailureDisablesItForGood();
    void linkMailtoClick();

    void applicationIcon_data();
    void applicationIcon();
    void iconColumnScalesBlockForBlock_data();
    void iconColumnScalesBlockForBlock();
    void iconOfNoSize();
    void windowIconHoldsEverySize();
};

void SplashAboutTest::initTestCase() {
    InstallFontSubstitutions();
    InitMirelundResources();
}

// Each ring is given as its top-left colour and its bottom-right colour; S silver, G grey, W white fill.
void SplashAboutTest::bevelRings_data() {
    QTest::addColumn<Bevel>("outer");
    QTest::addColumn<Bevel>("inner");
    QTest::addColumn<int>("bevelWidth");
    QTest::addColumn<int>("borderWidth");
    QTest::addColumn<QStringList>("rings");

    QTest::newRow("raised, 1") << Bevel::Raised << Bevel::None << 1 << 0 << QStringList{"SG"};
    QTest::newRow("lowered swaps") << Bevel::Lowered << Bevel::None << 1 << 0 << QStringList{"GS"};
    QTest::newRow("space looks raised") << Bevel::Space << Bevel::None << 1 << 0 << QStringList{"SG"};
    QTest::newRow("splash: raised and raised, 2") << Bevel::Raised << Bevel::Raised << 2 << 0
                                                  << QStringList{"SG", "SG", "SG", "SG"};
    QTest::newRow("about: lowered and raised, 1") << Bevel::Lowered << Bevel::Raised << 1 << 0
                                                  << QStringList{"GS", "SG"};
    QTest::newRow("border between the bevels") << Bevel::Raised << Bevel::Lowered << 1 << 2
                                               << QStringList{"SG", "WW", "WW", "GS"};
    QTest::newRow("width 0 draws nothing") << Bevel::Raised << Bevel::Raised << 0 << 0 << QStringList{};
    QTest::newRow("no bevels, fill only") << Bevel::None << Bevel::None << 3 << 0 << QStringList{};
    QTest::newRow("inner bevel alone") << Bevel::None << Bevel::Lowered << 2 << 0 << QStringList{"GS", "GS"};
}

void SplashAboutTest::bevelRings() {
    QFETCH(Bevel, outer);
    QFETCH(Bevel, inner);
    QFETCH(int, bevelWidth);
    QFETCH(int, borderWidth);
    QFETCH(QStringList, rings);

    const int width = 30;
    const int height = 20;
    auto panel = splashColoredPanel(QSize(width, height));
    panel->setBevelOuter(outer);
    panel->setBevelInner(inner);
    panel->setBevelWidth(bevelWidth);
    panel->setBorderWidth(borderWidth);
    const QImage image = render(*panel);

    for (int ring = 0; ring < rings.size(); ++ring) {
        const QRgb top = colorOfLetter(rings[ring][0]);
        const QRgb bottom = colorOfLetter(rings[ring][1]);
        const int left = ring;
        const int right = width - 1 - ring;
        const int upper = ring;
        const int lower = height - 1 - ring;
        const QString where = QStringLiteral("ring %1").arg(ring);
        QVERIFY2(image.pixel(left, upper) == top, qPrintable(where + " top-left corner"));
        QVERIFY2(image.pixel(width / 2, upper) == top, qPrintable(where + " top edge"));
        QVERIFY2(image.pixel(left, height / 2) == top, qPrintable(where + " left edge"));
        QVERIFY2(image.pixel(right, upper) == bottom, qPrintable(where + " top-right corner"));
        QVERIFY2(image.pixel(left, lower) == bottom, qPrintable(where + " bottom-left corner"));
        QVERIFY2(image.pixel(right, height / 2) == bottom, qPrintable(where + " right edge"));
        QVERIFY2(image.pixel(width / 2, lower) == bottom, qPrintable(where + " bottom edge"));
        QVERIFY2(image.pixel(right, lower) == bottom, qPrintable(where + " bottom-right corner"));
    }
    // Inside the rings only the fill remains.
    const QImage inside = image.copy(QRect(0, 0, width, height).adjusted(rings.size(), rings.size(),
                                                                          -int(rings.size()), -int(rings.size())));
    QVERIFY(!hasInk(inside, White));
}

void SplashAboutTest::frameWidthsBeyondTheSize_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("width");
    QTest::newRow("0 x 0, width 1") << QSize(0, 0) << 1;
    QTest::newRow("1 x 1, width 1") << QSize(1, 1) << 1;
    QTest::newRow("3 x 1, width 2") << QSize(3, 1) << 2;
    QTest::newRow("5 x 5, width 3") << QSize(5, 5) << 3;
    QTest::newRow("10 x 10, huge width") << QSize(10, 10) << std::numeric_limits<int>::max();
    QTest::newRow("negative width") << QSize(10, 10) << -5;
}

// However wide the frame, the rings stay inside the rectangle and the rectangle that is left is the
// starting one shrunk by the width (or nothing at all).
void SplashAboutTest::frameWidthsBeyondTheSize() {
    QFETCH(QSize, size);
    QFETCH(int, width);
    QImage image(12, 12, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QRect start(QPoint(1, 1), size);
    QRect left;
    {
        QPainter painter(&image);
        left = DrawFrame3D(painter, start, Qt::black, Qt::black, width);
    }
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!start.contains(x, y)) {
                QVERIFY2(image.pixel(x, y) == White, "no pixel outside the rectangle");
            }
        }
    }
    if (width <= 0) {
        QCOMPARE(left, start);
    } else if (width < 1000) {
        QCOMPARE(left, start.adjusted(width, width, -width, -width));
    } else {
        QVERIFY(left.isEmpty());
    }

    // And the panel itself paints at such sizes without harm.
    auto panel = splashColoredPanel(size);
    panel->setBevelInner(Bevel::Raised);
    panel->setBevelWidth(width);
    panel->setBorderWidth(width);
    panel->setCaption(QStringLiteral("Caption"));
    QCOMPARE(panel->grab().size(), size);
}

// The 256th character is the first one left out: a W there shows nothing, a W in 255th place shows.
void SplashAboutTest::captionIsCutAt255Characters() {
    const QString blanks254(254, QLatin1Char(' '));
    const QImage within = panelCaptionImage(blanks254 + QStringLiteral("W"), Qt::AlignLeft, 1500);
    const QImage beyond = panelCaptionImage(blanks254 + QStringLiteral(" W"), Qt::AlignLeft, 1500);
    QVERIFY(hasInk(within, White));
    QVERIFY(!hasInk(beyond, White));
    QCOMPARE(PanelCaptionText(QString(300, QLatin1Char('x'))).size(), 255);
    QCOMPARE(PanelCaptionText(QString(255, QLatin1Char('x'))).size(), 255);
    QCOMPARE(PanelCaptionText(QString()), QString());
}

void SplashAboutTest::captionTextKeepsCharactersWhole() {
    // A character outside the basic plane straddling the cut is left out whole, not split in two.
    const QString clef = QString::fromUcs4(U"\U0001D11E");
    const QString caption = QString(254, QLatin1Char('a')) + clef + QStringLiteral("b");
    const QString shown = PanelCaptionText(caption);
    QCOMPARE(shown.size(), 254);
    QVERIFY(!shown.back().isHighSurrogate());
}

void SplashAboutTest::captionAmpersands() {
    const QImage lone = panelCaptionImage(QStringLiteral("&"));
    const QImage doubled = panelCaptionImage(QStringLiteral("&&"));
    const QImage plainW = panelCaptionImage(QStringLiteral("W"));
    const QImage underlinedW = panelCaptionImage(QStringLiteral("&W"));
    QVERIFY2(!hasInk(lone, White), "a lone ampersand is not drawn");
    QVERIFY2(hasInk(doubled, White), "two ampersands draw one");
    QVERIFY(hasInk(plainW, White));
    QVERIFY2(underlinedW != plainW, "the ampersand underlines the next letter");
}

void SplashAboutTest::captionShowsOnlyItsFirstLine() {
    QCOMPARE(panelCaptionImage(QStringLiteral("W\nW")), panelCaptionImage(QStringLiteral("W")));
    QCOMPARE(panelCaptionImage(QStringLiteral("W\nsecond line")), panelCaptionImage(QStringLiteral("W")));
    // An empty caption leaves the fill alone, as on the splash.
    QVERIFY(!hasInk(panelCaptionImage(QString()), White));
}

void SplashAboutTest::captionFollowsAlignment() {
    const auto inkColumns = [](const QImage& image) {
        int first = image.width();
        int last = -1;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) != White) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
            }
        }
        return std::pair{first, last};
    };
    const auto [leftStart, leftEnd] = inkColumns(panelCaptionImage(QStringLiteral("W"), Qt::AlignLeft));
    const auto [centreStart, centreEnd] = inkColumns(panelCaptionImage(QStringLiteral("W"), Qt::AlignHCenter));
    const auto [rightStart, rightEnd] = inkColumns(panelCaptionImage(QStringLiteral("W"), Qt::AlignRight));
    QVERIFY(leftStart <= 1);
    QVERIFY(rightEnd >= 118);
    QVERIFY(centreStart > 40 && centreEnd < 80);
    Q_UNUSED(leftEnd);
    Q_UNUSED(rightStart);

    // The band is one line high and centred vertically in the panel.
    const QImage image = panelCaptionImage(QStringLiteral("W"));
    const int lineHeight = QFontMetrics(PixelFont(QStringLiteral("Arial"), 12)).height();
    const int bandTop = (40 - lineHeight) / 2;
    for (int y = 0; y < 40; ++y) {
        if (y < bandTop || y >= bandTop + lineHeight) {
            QVERIFY(!hasInk(image.copy(0, y, 120, 1), White));
        }
    }
}

void SplashAboutTest::splashWindow() {
    TSplashForm splash;
    QCOMPARE(splash.size(), QSize(437, 201));
    QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(!splash.isVisible());
    QCOMPARE(splash.windowTitle(), QStringLiteral("SplashForm"));
    const QScreen* screen = QGuiApplication::primaryScreen();
    QVERIFY(screen);
    QCOMPARE(splash.geometry().center(), screen->geometry().center());
    QCOMPARE(splash.CustomColorPanel1->Caption(), QString());
    QCOMPARE(splash.CustomColorPanel1->BevelWidth(), 2);
}

void SplashAboutTest::splashChildren_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("panel") << "CustomColorPanel1" << QRect(0, 0, 437, 201);
    QTest::newRow("large silver") << "Label1" << QRect(120, 28, 188, 42);
    QTest::newRow("version") << "Label2" << QRect(355, 124, 59, 16);
    QTest::newRow("large navy") << "Label5" << QRect(119, 27, 188, 42);
    QTest::newRow("product name") << "Label7" << QRect(109, 81, 314, 40);
    QTest::newRow("picture") << "Image1" << QRect(5, 12, 95, 176);
    QTest::newRow("white bar") << "Shape1" << QRect(97, 12, 9, 178);
    QTest::newRow("small silver") << "Label6" << QRect(142, 38, 274, 29);
    QTest::newRow("small navy") << "Label8" << QRect(141, 37, 274, 29);
}

void SplashAboutTest::splashChildren() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    TSplashForm splash;
    const QWidget* child = splash.findChild<QWidget*>(name);
    QVERIFY(child);
    QCOMPARE(child->geometry(), geometry);
}

void SplashAboutTest::splashPaintingOrder() {
    TSplashForm splash;
    QStringList order;
    for (const QObject* child : splash.CustomColorPanel1->children()) {
        if (child->isWidgetType()) {
            order << child->objectName();
        }
    }
    QCOMPARE(order, (QStringList{"Label1", "Label2", "Label3", "Label4", "Label5", "Label7", "Image1", "Shape1",
                                 "Label6", "Label8"}));
    QCOMPARE(splash.Label3->pos(), QPoint(111, 153));
    QCOMPARE(splash.Label5->text(), QStringLiteral("F      AMP I"));
    QCOMPARE(splash.Label8->text(), QStringLiteral("INE                   NSIGHT"));
}

void SplashAboutTest::splashWordmarkBaselines_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("baseline");
    QTest::newRow("large navy") << "Label5" << 60;
    QTest::newRow("small navy") << "Label8" << 60;
    QTest::newRow("large silver") << "Label1" << 61;
    QTest::newRow("small silver") << "Label6" << 61;
}

void SplashAboutTest::splashWordmarkBaselines() {
    QFETCH(QString, name);
    QFETCH(int, baseline);
    TSplashForm splash;
    const auto* label = splash.findChild<WordmarkLabel*>(name);
    QVERIFY(label);
    QCOMPARE(label->y() + label->baseline(), baseline);
}

// The blank counts hold only for the metrics they were measured with; this catches a font that differs.
void SplashAboutTest::splashWordmarkRunsMeetTheInitials() {
    TSplashForm splash;
    const QFontMetricsF large(splash.Label5->font());
    const QFontMetricsF small(splash.Label8->font());
    const QString largeText = splash.Label5->text();
    const QString smallText = splash.Label8->text();
    const double largeLeft = splash.Label5->x();
    const double smallLeft = splash.Label8->x();

    const double fEnds = largeLeft + large.horizontalAdvance(largeText.left(1));
    QVERIFY2(std::abs(fEnds - smallLeft) <= 1.0, qPrintable(QString::number(fEnds)));

    const double iEnds = largeLeft + large.horizontalAdvance(largeText);
    const qsizetype nsight = smallText.indexOf(QStringLiteral("NSIGHT"));
    const double nsightBegins = smallLeft + small.horizontalAdvance(smallText.left(nsight));
    QVERIFY2(std::abs(iEnds - nsightBegins) <= 1.5, qPrintable(QStringLiteral("%1 %2").arg(iEnds).arg(nsightBegins)));

    const qsizetype amp = largeText.indexOf(QStringLiteral("AMP"));
    const double ampBegins = largeLeft + large.horizontalAdvance(largeText.left(amp));
    const double ampEnds = largeLeft + large.horizontalAdvance(largeText.left(amp + 3));
    const double ineEnds = smallLeft + small.horizontalAdvance(QStringLiteral("INE"));
    QVERIFY(ineEnds < ampBegins);
    QVERIFY(ampEnds < nsightBegins);
    // Both rows fit their labels.
    QVERIFY(large.horizontalAdvance(largeText) <= splash.Label5->width());
    QVERIFY(small.horizontalAdvance(smallText) <= splash.Label8->width());
}

void SplashAboutTest::splashRightsNoticeEndsAt420_data() {
    QTest::addColumn<QString>("notice");
    QTest::newRow("as built") << QString();
    QTest::newRow("short") << QStringLiteral("Free.");
    QTest::newRow("long") << QStringLiteral("Free to use, to copy and to change. No warranty of any kind.");
    QTest::newRow("empty") << QStringLiteral("");
}

void SplashAboutTest::splashRightsNoticeEndsAt420() {
    QFETCH(QString, notice);
    TSplashForm splash;
    const int builtLeft = splash.Label4->x();
    if (!notice.isNull()) {
        splash.setRightsNotice(notice);
        QCOMPARE(splash.Label4->text(), notice);
    }
    QCOMPARE(splash.Label4->x() + splash.Label4->width(), 420);
    QCOMPARE(splash.Label4->y(), 153);
    if (notice.size() > 40) {
        QVERIFY2(splash.Label4->x() < builtLeft, "a longer notice grows to the left");
    }
}

void SplashAboutTest::splashPixels_data() {
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QRgb>("color");
    QTest::newRow("outer ring top-left") << QPoint(0, 0) << Silver;
    QTest::newRow("inner ring top-left") << QPoint(3, 3) << Silver;
    QTest::newRow("outer ring top-right corner") << QPoint(436, 0) << Grey;
    QTest::newRow("inner ring top-right corner") << QPoint(433, 3) << Grey;
    QTest::newRow("outer ring bottom-left corner") << QPoint(0, 200) << Grey;
    QTest::newRow("inner ring bottom-left corner") << QPoint(3, 197) << Grey;
    QTest::newRow("right edge") << QPoint(434, 100) << Grey;
    QTest::newRow("bottom edge") << QPoint(300, 199) << Grey;
    QTest::newRow("left edge") << QPoint(2, 100) << Silver;
    QTest::newRow("white field inside the frame") << QPoint(4, 4) << White;
    QTest::newRow("white bar hides the picture's edge") << QPoint(98, 150) << White;
    QTest::newRow("green box") << QPoint(112, 84) << qRgb(51, 153, 102);
}

void SplashAboutTest::splashPixels() {
    QFETCH(QPoint, at);
    QFETCH(QRgb, color);
    TSplashForm splash;
    const QImage image = render(splash);
    QCOMPARE(image.size(), QSize(437, 201));
    QCOMPARE(QColor(image.pixel(at)), QColor(color));
}

void SplashAboutTest::aboutBoxLayout() {
    TAboutBox box;
    const std::pair<const char*, QRect> placed[] = {
        {"Panel1", QRect(8, 8, 281, 161)},
        {"LMDSimpleLabel1", QRect(72, 80, 149, 20)},
        {"OKButton", QRect(111, 180, 75, 25)},
    };
    for (const auto& [name, geometry] : placed) {
        const QWidget* child = box.findChild<QWidget*>(QString::fromLatin1(name));
        QVERIFY2(child, name);
        QCOMPARE(child->geometry(), geometry);
    }

    QCOMPARE(box.size(), QSize(298, 213));
    QCOMPARE(box.minimumSize(), box.maximumSize());
    QCOMPARE(box.windowTitle(), QStringLiteral("About"));
    QCOMPARE(box.ProductName->pos(), QPoint(40, 16));
    QCOMPARE(box.Version->pos(), QPoint(203, 36));
    QCOMPARE(box.Copyright->pos(), QPoint(16, 136));
    QCOMPARE(box.Comments->geometry().topLeft(), QPoint(184, 136));
    QCOMPARE(box.Comments->width(), 83);
    QVERIFY(box.Comments->wordWrap());
    QVERIFY(box.OKButton->isDefault());
    QCOMPARE(box.ProductName->text(), QStringLiteral("Mirelund"));
    QCOMPARE(box.Version->text(), QStringLiteral("Version 1"));
    // The push button is the only control that takes the keyboard focus.
    for (const QWidget* control : box.findChildren<QWidget*>()) {
        QCOMPARE(control->focusPolicy() != Qt::NoFocus, control == box.OKButton);
    }
    // The notices are wholly inside the panel.
    QVERIFY(box.Panel1->rect().contains(box.Copyright->geometry()));
    QVERIFY(box.Panel1->rect().contains(box.Comments->geometry()));
}

void SplashAboutTest::aboutBoxPanelBevels() {
    TAboutBox box;
    const QImage image = render(*box.Panel1);
    const QRgb highlight = box.Panel1->HighLightColor().rgb();
    const QRgb shadow = box.Panel1->ShadowColor().rgb();
    QVERIFY(highlight != shadow);
    // Outer ring lowered: shadow above and left, highlight below and right (and in the top-right corner).
    QCOMPARE(image.pixel(0, 50), shadow);
    QCOMPARE(image.pixel(280, 0), highlight);
    QCOMPARE(image.pixel(0, 160), highlight);
    // Inner ring raised.
    QCOMPARE(image.pixel(1, 50), highlight);
    QCOMPARE(image.pixel(279, 1), shadow);
    QCOMPARE(image.pixel(140, 159), shadow);
}

void SplashAboutTest::aboutBoxKeepsItsMovedPlace() {
    TAboutBox box;
    const QScreen* screen = QGuiApplication::primaryScreen();
    QVERIFY(screen);
    const QPoint moved(40, 50);
    QPoint firstPlace;
    bool stayedOpenOnEscape = false;

    QTimer::singleShot(0, &box, [&] {
        QCOMPARE(QApplication::activeModalWidget(), &box);
        firstPlace = box.pos();
        QTest::keyClick(box.OKButton, Qt::Key_Escape);  // from the focused button up to the box
        stayedOpenOnEscape = box.isVisible();
        box.move(moved);
        QTest::keyClick(&box, Qt::Key_Return);  // Enter presses the default button
    });
    QCOMPARE(box.exec(), int(QDialog::Accepted));
    QVERIFY2(stayedOpenOnEscape, "Escape does nothing");
    QCOMPARE(firstPlace + box.rect().center(), screen->geometry().center());

    QPoint secondPlace;
    QTimer::singleShot(0, &box, [&] {
        secondPlace = box.pos();
        box.close();  // the caption bar's close button
    });
    QCOMPARE(box.exec(), int(QDialog::Rejected));
    QCOMPARE(secondPlace, moved);

    QPoint thirdPlace;
    QTimer::singleShot(0, &box, [&] {
        thirdPlace = box.pos();
        box.OKButton->click();
    });
    QCOMPARE(box.exec(), int(QDialog::Accepted));
    QCOMPARE(thirdPlace, moved);
}

void SplashAboutTest::linkAddress_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("address");
    QTest::newRow("target as stored") << " https://a.example/ " << "b.example" << " https://a.example/ ";
    QTest::newRow("empty target, plain caption") << "" << "mirelund.example" << "mirelund.example";
    QTest::newRow("empty target, mail caption") << "" << "info@mirelund.example" << "mailto:info@mirelund.example";
    QTest::newRow("blank target, mail caption") << "   " << "info@mirelund.example" << "mailto:info@mirelund.example";
    QTest::newRow("target wins over mail caption") << "https://x.example/" << "a@b" << "https://x.example/";
    QTest::newRow("both empty") << "" << "" << "";
}

void SplashAboutTest::linkAddress() {
    QFETCH(QString, target);
    QFETCH(QString, caption);
    QFETCH(QString, address);
    QCOMPARE(LinkAddressText(target, caption), address);
}

void SplashAboutTest::linkClickOpensItsTarget() {
    TAboutBox box;
    LinkLabel* link = box.LMDSimpleLabel1;
    QList<QUrl> opened;
    link->setUrlOpener([&](const QUrl& url) {
        opened << url;
        return true;
    });
    QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(link->font().underline());
    QCOMPARE(link->palette().color(QPalette::Active, QPalette::WindowText), QColor(0, 0, 255));
    QVERIFY(showsColor(render(*link), qRgb(0, 0, 255)));

    leftClick(link, QPoint(5, 5));
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened[0], QUrl(QStringLiteral("https://www.mirelund.example/")));
    QVERIFY(link->isEnabled());
    QVERIFY(showsColor(render(*link), qRgb(128, 0, 128)));

    leftClick(link, QPoint(5, 5));
    QCOMPARE(opened.size(), 2);
    // The right button is no click.
    QTest::mouseClick(link, Qt::RightButton, {}, QPoint(5, 5));
    QCOMPARE(opened.size(), 2);
}

void SplashAboutTest::linkPressTurnsPurpleWithoutOpeningWhenReleasedOutside() {
    TAboutBox box;
    LinkLabel* link = box.LMDSimpleLabel1;
    int openCount = 0;
    link->setUrlOpener([&](const QUrl&) {
        ++openCount;
        return true;
    });
    QTest::mousePress(link, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(link->wasPressed());
    QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(link->width() + 30, 5));
    QCOMPARE(openCount, 0);
    QCOMPARE(link->palette().color(QPalette::Active, QPalette::WindowText), QColor(128, 0, 128));

    // Purple stays across closing and reopening the box.
    QTimer::singleShot(0, &box, [&] { box.OKButton->click(); });
    box.exec();
    QTimer::singleShot(0, &box, [&] { box.OKButton->click(); });
    box.exec();
    QCOMPARE(link->palette().color(QPalette::Active, QPalette::WindowText), QColor(128, 0, 128));
    QVERIFY(showsColor(render(*link), qRgb(128, 0, 128)));
}

void SplashAboutTest::linkFailureDisablesItForGood() {
    TAboutBox box;
    LinkLabel* link = box.LMDSimpleLabel1;
    int openCount = 0;
    link->setUrlOpener([&](const QUrl&) {
        ++openCount;
        return false;
    });
    leftClick(link, QPoint(5, 5));
    QCOMPARE(openCount, 1);
    QVERIFY(!link->isEnabled());
    QCOMPARE(link->jumpMode(), LinkLabel::JumpMode::None);
    QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(link->activeColor(), QColor(128, 0, 128));
    // Greyed: neither blue nor purple text any more.
    const QImage greyed = render(*link);
    QVERIFY(!showsColor(greyed, qRgb(0, 0, 255)));
    QVERIFY(!showsColor(greyed, qRgb(128, 0, 128)));
    QVERIFY(hasInk(greyed, box.Panel1->Color().rgb()));

    QTimer::singleShot(0, &box, [&] {
        leftClick(link, QPoint(5, 5));
        box.OKButton->click();
    });
    box.exec();
    QCOMPARE(openCount, 1);
    QVERIFY(!link->isEnabled());

    // Even enabled again, a label that is no longer a link opens nothing.
    link->setEnabled(true);
    leftClick(link, QPoint(5, 5));
    QCOMPARE(openCount, 1);
}

void SplashAboutTest::linkMailtoClick() {
    LinkLabel link;
    link.resize(200, 20);
    link.setText(QStringLiteral("info@mirelund.example"));
    link.setJumpTarget(QStringLiteral("  "));
    QUrl opened;
    link.setUrlOpener([&](const QUrl& url) {
        opened = url;
        return true;
    });
    leftClick(&link, QPoint(5, 5));
    QCOMPARE(opened.scheme(), QStringLiteral("mailto"));
    QCOMPARE(opened.toString(), QStringLiteral("mailto:info@mirelund.example"));

    link.setText(QStringLiteral("mirelund.example"));
    leftClick(&link, QPoint(5, 5));
    QCOMPARE(opened.host(), QStringLiteral("mirelund.example"));
}

namespace {

const std::set<QRgb> ClassicColours{
    qRgb(0, 0, 0),     qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0), qRgb(0, 0, 128),     qRgb(128, 0, 128),
    qRgb(0, 128, 128), qRgb(192, 192, 192), qRgb(128, 128, 128), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(255, 255, 0),
    qRgb(0, 0, 255),   qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};

// The pixel of a picture of `size` px under a point given on the 32-unit design grid.
QRgb IconPixelAt(const QImage& icon, double designX, double designY) {
    const double scale = icon.width() / 32.0;
    return icon.pixel(int(designX * scale), int(designY * scale));
}

bool CloseTo(QRgb actual, QRgb expected, int tolerance) {
    return qAbs(qRed(actual) - qRed(expected)) <= tolerance && qAbs(qGreen(actual) - qGreen(expected)) <= tolerance &&
           qAbs(qBlue(actual) - qBlue(expected)) <= tolerance && qAlpha(actual) >= 255 - tolerance;
}

}  // namespace

void SplashAboutTest::applicationIcon_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("aliased");
    // Whole multiples of the design grid keep the sixteen colours; the others are smoothed.
    QTest::addRow("16") << 16 << false;
    QTest::addRow("32") << 32 << true;
    QTest::addRow("48") << 48 << false;
    QTest::addRow("64") << 64 << true;
    QTest::addRow("128") << 128 << true;
    QTest::addRow("256") << 256 << true;
}

void SplashAboutTest::applicationIcon() {
    QFETCH(int, size);
    QFETCH(bool, aliased);
    const QImage icon = MirelundIconImage(size);
    QCOMPARE(icon.size(), QSize(size, size));
    QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(icon.pixel(size - 1, size - 1)), 0);

    // Places on the design grid that belong to one part of the drawing, well inside it.
    const int tolerance = aliased ? 0 : 8;
    const struct {
        double x, y;
        QRgb colour;
        const char* part;
    } places[] = {{16.5, 6.5, qRgb(128, 0, 0), "the column's cap"},
                  {16.5, 26.5, qRgb(128, 0, 0), "the column's foot"},
                  {12.5, 16.5, qRgb(128, 128, 0), "the first stripe"},
                  {14.5, 16.5, qRgb(128, 0, 128), "the second stripe"},
                  {18.5, 16.5, qRgb(128, 128, 128), "the last stripe"},
                  {22.5, 23.5, qRgb(0, 128, 128), "the disc"},
                  {25, 11.5, qRgb(255, 255, 0), "the bolt"}};
    for (const auto& place : places) {
        const QRgb pixel = IconPixelAt(icon, place.x, place.y);
        QVERIFY2(CloseTo(pixel, place.colour, tolerance),
                 qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(place.part)).arg(pixel, 8, 16)));
    }

    int partlyTransparent = 0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const QRgb pixel = icon.pixel(x, y);
            if (qAlpha(pixel) == 0) {
                continue;
            }
            if (qAlpha(pixel) < 255) {
                ++partlyTransparent;
            } else if (ClassicColours.count(pixel) == 0) {
                QVERIFY2(!aliased, qPrintable(QStringLiteral("%1 at %2, %3").arg(pixel, 8, 16).arg(x).arg(y)));
            }
        }
    }
    QCOMPARE(partlyTransparent == 0, aliased);
    if (aliased) {
        // The rim alternates grey dots and silver cell by cell, on the design grid.
        QCOMPARE(IconPixelAt(icon, 15.5, 1.5), qRgb(128, 128, 128));
        QCOMPARE(IconPixelAt(icon, 16.5, 1.5), qRgb(192, 192, 192));
        QCOMPARE(IconPixelAt(icon, 16.5, 2.5), qRgb(128, 128, 128));
    } else {
        // Smoothed, the checked rim reads as one shade between grey and silver.
        const QRgb rim = IconPixelAt(icon, 17, 1.5);  // a pixel that straddles two cells
        QVERIFY(qRed(rim) > 128 && qRed(rim) < 192);
    }
}

// The column is made of rectangles on the grid: a multiple of 32 px must repeat each of its pixels as a block.
void SplashAboutTest::iconColumnScalesBlockForBlock_data() {
    QTest::addColumn<int>("factor");
    QTest::addRow("64") << 2;
    QTest::addRow("128") << 4;
    QTest::addRow("256") << 8;
}

void SplashAboutTest::iconColumnScalesBlockForBlock() {
    QFETCH(int, factor);
    const QImage design = MirelundIconImage(32);
    const QImage scaled = MirelundIconImage(32 * factor);
    for (int y = 5; y <= 28; ++y) {
        for (int x = 11; x <= 20; ++x) {
            for (int dy = 0; dy < factor; ++dy) {
                for (int dx = 0; dx < factor; ++dx) {
                    QVERIFY2(scaled.pixel(x * factor + dx, y * factor + dy) == design.pixel(x, y),
                             qPrintable(QStringLiteral("cell %1, %2").arg(x).arg(y)));
                }
            }
        }
    }
}

void SplashAboutTest::iconOfNoSize() {
    QVERIFY(MirelundIconImage(0).isNull());
    QVERIFY(MirelundIconImage(-32).isNull());
    QCOMPARE(MirelundIconImage(1).size(), QSize(1, 1));
}

void SplashAboutTest::windowIconHoldsEverySize() {
    const QIcon icon = MirelundIcon();
    QVERIFY(!icon.isNull());
    QList<QSize> expected;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        expected << QSize(size, size);
    }
    QCOMPARE(icon.availableSizes(), expected);
    // Asked for a size it holds, the icon gives that picture, not a scaled neighbour.
    QCOMPARE(icon.pixmap(QSize(48, 48)).toImage().convertToFormat(QImage::Format_ARGB32), MirelundIconImage(48));
}

QTEST_MAIN(SplashAboutTest)
#include "tst_splash_about.moc"
