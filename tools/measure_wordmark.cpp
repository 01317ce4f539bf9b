// Prints the splash wordmark's metrics, from which the blank counts of its two rows were chosen.
#include <QApplication>
#include <QFontInfo>
#include <QFontMetricsF>
#include <cstdio>

#include "common/Fonts.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    InstallFontSubstitutions();
    // The splash draws the wordmark without pair kerning, as the layout was made with plain advances.
    QFont largeFont = PixelFont(QStringLiteral("Times New Roman"), 37, true);
    QFont smallFont = PixelFont(QStringLiteral("Times New Roman"), 25, true);
    const bool kerning = argc > 1 && QString::fromLocal8Bit(argv[1]) == QStringLiteral("--kerning");
    largeFont.setKerning(kerning);
    smallFont.setKerning(kerning);
    std::printf("family %s, kerning %s\n", qPrintable(QFontInfo(largeFont).family()), kerning ? "on" : "off");
    const QFontMetricsF large(largeFont);
    const QFontMetricsF small(smallFont);
    // The navy rows stand at x = 119 (large) and x = 141 (small).
    const double largeLeft = 119;
    const double smallLeft = 141;
    std::printf("large: ascent %.2f descent %.2f height %.2f blank %.3f\n", large.ascent(), large.descent(),
                large.height(), large.horizontalAdvance(QLatin1Char(' ')));
    std::printf("small: ascent %.2f descent %.2f height %.2f blank %.3f\n", small.ascent(), small.descent(),
                small.height(), small.horizontalAdvance(QLatin1Char(' ')));
    std::printf("large F ends at %.2f, small INE begins at %.2f\n", largeLeft + large.horizontalAdvance("F"),
                smallLeft);
    for (int largeBlanks = 4; largeBlanks <= 8; ++largeBlanks) {
        const QString head = QStringLiteral("F") + QString(largeBlanks, QLatin1Char(' '));
        const QString row = head + QStringLiteral("AMP I");
        std::printf("large blanks %d: AMP from %.2f to %.2f, I ends at %.2f, row width %.2f\n", largeBlanks,
                    largeLeft + large.horizontalAdvance(head),
                    largeLeft + large.horizontalAdvance(head + QStringLiteral("AMP")),
                    largeLeft + large.horizontalAdvance(row), large.horizontalAdvance(row));
    }
    std::printf("small INE ends at %.2f\n", smallLeft + small.horizontalAdvance(QStringLiteral("INE")));
    for (int smallBlanks = 16; smallBlanks <= 22; ++smallBlanks) {
        const QString head = QStringLiteral("INE") + QString(smallBlanks, QLatin1Char(' '));
        std::printf("small blanks %d: NSIGHT begins at %.2f, row width %.2f\n", smallBlanks,
                    smallLeft + small.horizontalAdvance(head),
                    small.horizontalAdvance(head + QStringLiteral("NSIGHT")));
    }
    return 0;
}
