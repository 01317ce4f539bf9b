#include "report/ReportPdf.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextObjectInterface>
#include <QTextTable>

#include <algorithm>
#include <array>
#include <cmath>

#include "common/Fonts.h"

namespace {

// The page in device pixels at this resolution; fine enough for the error plot's picture as well.
constexpr int kDotsPerInch = 300;
constexpr double kMillimetre = kDotsPerInch / 25.4;
// The text layout takes margins, paddings and borders in pixels of a 96 dpi screen and scales them to the page.
constexpr double kLayoutMillimetre = 96 / 25.4;
const QMarginsF kPageMargins{18, 15, 18, 12};  // mm
constexpr double kFooterHeight = 7 * kMillimetre;

const QSize kPlotPixels{640, 230};
constexpr qreal kPlotPixelRatio = 3;

constexpr int kSchematicObject = QTextFormat::UserObject + 1;
constexpr int kPlotObject = QTextFormat::UserObject + 2;
constexpr int kObjectSize = QTextFormat::UserProperty + 1;

const QString kBodyFamily = QStringLiteral("Arial");
const QColor kHeadingColour(0, 0, 110);
const QColor kRuleColour(150, 150, 150);
const QColor kHeaderFill(228, 232, 240);
const QColor kNameColour(70, 70, 70);

[[noreturn]] void Fail(const QString& path, const QString& reason) {
    throw riaa::EngineError(QStringLiteral("The report could not be saved to %1: %2")
                                .arg(QDir::toNativeSeparators(path), reason)
                                .toStdString());
}

// The drawings of the report as objects in its text, painted straight into the PDF's page: the
// schematic by the pages' own painter, as vectors.
class DrawingObjects : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    explicit DrawingObjects(const ReportContent& content) : content_(content) {}

    QSizeF intrinsicSize(QTextDocument*, int, const QTextFormat& format) override {
        return format.property(kObjectSize).toSizeF();
    }

    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int, const QTextFormat& format) override {
        painter->save();
        if (format.objectType() == kSchematicObject) {
            const QRectF& bounds = content_.schematic.bounds;
            const double scale = rect.width() / bounds.width();
            painter->translate(rect.topLeft());
            painter->scale(scale, scale);
            painter->translate(-bounds.topLeft());
            PaintDrawing(*painter, OnPaper(content_.schematic.drawing));
        } else {
            const QImage plot = drawErrorPlot(kPlotPixels.width(), kPlotPixels.height(), content_.errorPlot,
                                              content_.locale, kPlotPixelRatio);
            painter->drawImage(rect, plot);
        }
        painter->restore();
    }

private:
    // The masks that cut the wires under the symbols take the paper's white instead of the page's grey.
    static SchematicDrawing OnPaper(SchematicDrawing drawing) {
        for (SchematicPrimitive& p : drawing) {
            if (auto* mask = std::get_if<FilledPolygonPrimitive>(&p); mask && mask->colour == schematic_colours::kBackground)
                mask->colour = Qt::white;
        }
        return drawing;
    }

    const ReportContent& content_;
};

QTextCharFormat CharFormat(double points, bool bold = false, const QColor& colour = Qt::black) {
    QTextCharFormat format;
    format.setFont(QFont(kBodyFamily));
    format.setFontPointSize(points);
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    format.setForeground(colour);
    return format;
}

// The headings' positions, so that a heading the page would strand can move on with its text.
using Headings = std::vector<int>;

void Heading(QTextCursor& cursor, Headings& headings, const QString& text, bool newPage = false) {
    headings.push_back(cursor.position() + 1);
    QTextBlockFormat block;
    block.setTopMargin(6 * kLayoutMillimetre);
    block.setBottomMargin(1.5 * kLayoutMillimetre);
    if (newPage) block.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    cursor.insertBlock(block, CharFormat(13, true, kHeadingColour));
    cursor.insertText(text);
}

void Paragraph(QTextCursor& cursor, const QString& text, const QTextCharFormat& format) {
    QTextBlockFormat block;
    block.setBottomMargin(1 * kLayoutMillimetre);
    cursor.insertBlock(block, format);
    cursor.insertText(text);
}

QTextTable* Table(QTextCursor& cursor, int rows, const std::vector<double>& percents, bool ruled) {
    QTextTableFormat format;
    format.setCellPadding(ruled ? 1.2 * kLayoutMillimetre : 0.7 * kLayoutMillimetre);
    format.setCellSpacing(0);
    format.setBorder(ruled ? 0.2 * kLayoutMillimetre : 0);
    format.setBorderBrush(kRuleColour);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderCollapse(true);
    format.setHeaderRowCount(ruled ? 1 : 0);
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    QList<QTextLength> widths;
    for (const double p : percents) widths << QTextLength(QTextLength::PercentageLength, p);
    format.setColumnWidthConstraints(widths);
    QTextTable* table = cursor.insertTable(rows, static_cast<int>(percents.size()), format);
    return table;
}

void Cell(QTextTable* table, int row, int column, const QString& text, const QTextCharFormat& format,
          Qt::Alignment alignment = Qt::AlignLeft) {
    QTextCursor cell = table->cellAt(row, column).firstCursorPosition();
    QTextBlockFormat block;
    block.setAlignment(alignment);
    cell.setBlockFormat(block);
    cell.insertText(text, format);
}

void HeaderFill(QTextTable* table) {
    for (int column = 0; column < table->columns(); ++column) {
        QTextTableCellFormat format = table->cellAt(0, column).format().toTableCellFormat();
        format.setBackground(kHeaderFill);
        table->cellAt(0, column).setFormat(format);
    }
}

void LinesTable(QTextCursor& cursor, const std::vector<ReportLine>& lines) {
    QTextTable* table = Table(cursor, static_cast<int>(lines.size()), {30, 70}, false);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        Cell(table, static_cast<int>(i), 0, lines[i].name, CharFormat(10, false, kNameColour));
        Cell(table, static_cast<int>(i), 1, lines[i].value, CharFormat(10));
    }
    cursor.movePosition(QTextCursor::End);
}

void RowsTable(QTextCursor& cursor, const std::vector<QStringList>& rows) {
    int columns = 0;
    for (const QStringList& row : rows) columns = std::max(columns, static_cast<int>(row.size()));
    if (columns == 0) return;
    // Each column as wide as its longest text asks, so that a note keeps to one line where it can.
    std::vector<double> widths(static_cast<std::size_t>(columns), 6);
    for (const QStringList& row : rows) {
        for (qsizetype c = 0; c < row.size(); ++c) {
            double& width = widths[static_cast<std::size_t>(c)];
            width = std::max(width, static_cast<double>(row[c].size()));
        }
    }
    double total = 0;
    for (const double w : widths) total += w;
    for (double& w : widths) w *= 100 / total;
    QTextTable* table = Table(cursor, static_cast<int>(rows.size()), widths, true);
    HeaderFill(table);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < static_cast<int>(rows[r].size()); ++c)
            Cell(table, static_cast<int>(r), c, rows[r][c], CharFormat(r == 0 ? 9 : 9.5, r == 0));
    }
    cursor.movePosition(QTextCursor::End);
}

void ElementsTable(QTextCursor& cursor, const std::vector<ReportElementRow>& rows) {
    QTextTable* table = Table(cursor, static_cast<int>(rows.size()) + 1, {20, 35, 45}, true);
    HeaderFill(table);
    const std::array<QString, 3> header{QStringLiteral("Element"), QStringLiteral("Designed"), QStringLiteral("As built")};
    for (int c = 0; c < 3; ++c) Cell(table, 0, c, header[static_cast<std::size_t>(c)], CharFormat(9, true));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int row = static_cast<int>(r) + 1;
        Cell(table, row, 0, rows[r].element, CharFormat(10, true));
        Cell(table, row, 1, rows[r].designed, CharFormat(10));
        Cell(table, row, 2, rows[r].asBuilt, CharFormat(10));
    }
    cursor.movePosition(QTextCursor::End);
}

void Drawing(QTextCursor& cursor, int type, QSizeF size) {
    QTextBlockFormat block;
    block.setAlignment(Qt::AlignHCenter);
    block.setTopMargin(2 * kLayoutMillimetre);
    block.setBottomMargin(2 * kLayoutMillimetre);
    cursor.insertBlock(block);
    QTextCharFormat object;
    object.setObjectType(type);
    object.setProperty(kObjectSize, size);
    cursor.insertText(QString(QChar::ObjectReplacementCharacter), object);
}

void Netlist(QTextCursor& cursor, const QString& netlist) {
    QFont mono(QStringLiteral("Liberation Mono"));
    mono.setStyleHint(QFont::Monospace);
    QTextCharFormat format;
    format.setFont(mono);
    format.setFontPointSize(8.5);
    QTextBlockFormat block;
    block.setLineHeight(115, QTextBlockFormat::ProportionalHeight);
    for (const QString& line : netlist.split(QLatin1Char('\n'))) {
        cursor.insertBlock(block, format);
        cursor.insertText(line);
    }
}

Headings Fill(QTextDocument& document, const ReportContent& c, double textWidth) {
    Headings headings;
    QTextCursor cursor(&document);
    cursor.setBlockCharFormat(CharFormat(20, true, kHeadingColour));
    cursor.insertText(c.title);
    QString subtitle = c.date;
    if (!c.fileName.isEmpty()) subtitle += QStringLiteral("  \u00B7  ") + c.fileName;
    Paragraph(cursor, subtitle, CharFormat(10, false, kNameColour));

    Heading(cursor, headings, QStringLiteral("Design"));
    LinesTable(cursor, c.design);

    Heading(cursor, headings, QStringLiteral("Schematic"));
    const QRectF& bounds = c.schematic.bounds;
    if (bounds.width() > 0) {
        const double scale = std::min(c.schematic.millimetresPerPixel * kMillimetre, textWidth / bounds.width());
        Drawing(cursor, kSchematicObject, bounds.size() * scale);
    }

    Heading(cursor, headings, QStringLiteral("Elements"));
    ElementsTable(cursor, c.elements);
    if (!c.billOfMaterials.empty()) {
        Heading(cursor, headings, QStringLiteral("Bill of materials"));
        RowsTable(cursor, c.billOfMaterials);
    }

    Heading(cursor, headings, QStringLiteral("Accuracy"));
    std::vector<ReportLine> accuracy = c.accuracy;
    accuracy.insert(accuracy.end(), c.tolerance.begin(), c.tolerance.end());
    LinesTable(cursor, accuracy);
    // The legend goes above the plot: below it, it would be the line that a page break strands.
    QString legend = QStringLiteral("The error as built, 20 Hz to 20 kHz, 0 dB at 1 kHz.");
    if (c.errorPlot.band) legend += QStringLiteral(" Shaded: the band that holds 95 % of the builds.");
    Paragraph(cursor, legend, CharFormat(9, false, kNameColour));
    Drawing(cursor, kPlotObject, QSizeF(textWidth, textWidth * kPlotPixels.height() / kPlotPixels.width()));

    if (!c.noise.empty()) {
        Heading(cursor, headings, QStringLiteral("Noise and headroom"));
        LinesTable(cursor, c.noise);
    }
    Heading(cursor, headings, QStringLiteral("Netlist"), true);
    Paragraph(cursor, QStringLiteral("For ngspice's batch mode: ngspice -b network.cir"), CharFormat(9, false, kNameColour));
    Netlist(cursor, c.netlist);
    return headings;
}

// A heading whose first line of text falls on the next page starts that page itself.
void KeepHeadingsWithTheirText(QTextDocument& document, const Headings& headings, double pageHeight) {
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    const auto page = [&](double y) { return std::floor(y / pageHeight); };
    for (const int position : headings) {
        const QTextBlock heading = document.findBlock(position);
        const QTextBlock next = document.findBlock(heading.position() + heading.length());
        if (!next.isValid()) continue;
        if (page(layout->blockBoundingRect(heading).top()) == page(layout->blockBoundingRect(next).bottom() - 1)) continue;
        QTextCursor cursor(heading);
        QTextBlockFormat format = cursor.blockFormat();
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        cursor.setBlockFormat(format);
    }
}

void Footer(QPainter& painter, const QRectF& body, const ReportContent& c, int page, int pages) {
    painter.save();
    painter.setPen(kRuleColour);
    const double y = body.bottom() + 2 * kMillimetre;
    painter.drawLine(QPointF(0, y), QPointF(body.width(), y));
    QFont font(kBodyFamily);
    font.setPointSizeF(8);
    painter.setFont(font);
    painter.setPen(kNameColour);
    const QRectF line(0, y + 0.8 * kMillimetre, body.width(), kFooterHeight - 3 * kMillimetre);
    const QString left = c.fileName.isEmpty() ? c.title : c.title + QStringLiteral("  \u00B7  ") + c.fileName;
    painter.drawText(line, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Mirelund  \u00B7  ") + left);
    painter.drawText(line, Qt::AlignRight | Qt::AlignTop, QStringLiteral("Page %1 of %2").arg(page).arg(pages));
    painter.restore();
}

}  // namespace

QPageSize ReportPageSize(const QLocale& locale) {
    return QPageSize(locale.measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter : QPageSize::A4);
}

void WriteReportPdf(const ReportContent& content, const QString& path, const QPageSize& pageSize) {
    InstallFontSubstitutions();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) Fail(path, file.errorString());
    {
        QPdfWriter writer(&file);
        writer.setResolution(kDotsPerInch);
        writer.setPageSize(pageSize);
        writer.setPageMargins(kPageMargins, QPageLayout::Millimeter);
        writer.setTitle(content.title);
        writer.setCreator(QStringLiteral("Mirelund"));
        const QRectF paintRect = writer.pageLayout().paintRectPixels(kDotsPerInch);
        const QRectF body(0, 0, paintRect.width(), paintRect.height() - kFooterHeight);

        QTextDocument document;
        document.setUndoRedoEnabled(false);
        document.setDocumentMargin(0);
        document.setDefaultFont(QFont(kBodyFamily, 10));
        // The layout comes into being when the text is whole, and lays it out once on the page: one
        // kept up to date insert by insert takes seconds.
        const Headings headings = Fill(document, content, body.width());
        DrawingObjects objects(content);
        document.documentLayout()->registerHandler(kSchematicObject, &objects);
        document.documentLayout()->registerHandler(kPlotObject, &objects);
        document.documentLayout()->setPaintDevice(&writer);
        document.setPageSize(body.size());
        KeepHeadingsWithTheirText(document, headings, body.height());
        // Qt 6.4 lays out again only from a moved heading up to some point and leaves the rest, the
        // netlist, unlaid; the whole text laid out afresh has every line.
        document.markContentsDirty(0, document.characterCount());

        QPainter painter;
        if (!painter.begin(&writer)) Fail(path, QStringLiteral("the PDF could not be started"));
        const int pages = document.pageCount();
        for (int page = 0; page < pages; ++page) {
            if (page > 0) writer.newPage();
            painter.save();
            painter.translate(0, -page * body.height());
            document.drawContents(&painter, body.translated(0, page * body.height()));
            painter.restore();
            Footer(painter, body, content, page + 1, pages);
        }
        painter.end();
    }
    if (!file.commit()) Fail(path, file.errorString());
}

#include "ReportPdf.moc"
