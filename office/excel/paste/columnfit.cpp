#include "office/excel/paste/columnfit.h"

#include "office/excel/paste/pasteengine.h"
#include "office/excel/paste/rowlayout.h"
#include "office/excel/paste/textmetrics.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>

namespace {

// Width in characters of the default column, as a new sheet shows it.
const double kDefaultWidth = 8.43;
// Days from Excel's day 0 (1899-12-30, 1900 date system) to 1970-01-01.
const double kUnixEpochSerial = 25569;

/* The width in points of the longest line of `text` at a font size. */
double longestLine(const QString& text, double fontSize) {
    double longest = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        double width = 0;
        for (const uint codePoint : line.toUcs4()) {
            width += TextMetrics::characterWidth(codePoint, fontSize);
        }
        longest = std::max(longest, width);
    }
    return longest;
}

}  // namespace

/* Fit each column to its widest text. */
void ColumnFit::fitColumns(Worksheet& sheet, int firstColumn, int lastColumn) {
    std::map<int, double> widest;  // column -> points
    for (const auto& row : sheet.rows()) {
        for (const Cell& cell : row.second.cells) {
            if (cell.column < firstColumn || cell.column > lastColumn ||
                cell.kind == Cell::Kind::Empty) {
                continue;
            }
            const CellFormat& format = sheet.format(row.first, cell.column);
            const double size =
                format.fontSize > 0 ? format.fontSize : TextMetrics::kDefaultFontSize;
            const QString text =
                cell.kind == Cell::Kind::Text ? cell.text : QString::number(cell.number);
            widest[cell.column] = std::max(widest[cell.column], longestLine(text, size));
        }
    }
    for (const auto& column : widest) {
        // Points to pixels at 96 dpi, plus the cell's padding, in characters of 7 pixels.
        const double pixels = std::ceil(column.second / 0.75) + 5;
        const double width = std::min(kMaxWidth, std::max(kDefaultWidth, pixels / 7.0));
        sheet.setColumnWidth(column.first, std::round(width * 100) / 100);
    }
}

/* Write rows of values, then fit the rows' heights. */
bool ColumnFit::writeBlock(Worksheet& sheet, int row, int column, const QVariantList& rows) {
    int widest = 0;
    for (const QVariant& line : rows) {
        widest = std::max(widest, static_cast<int>(line.toList().size()));
    }
    if (rows.isEmpty() || row + rows.size() - 1 > kMaxRows || column + widest - 1 > kMaxColumns) {
        return false;
    }
    for (int r = 0; r < rows.size(); ++r) {
        const QVariantList values = rows[r].toList();
        for (int c = 0; c < values.size(); ++c) {
            writeValue(sheet, row + r, column + c, values[c]);
        }
    }
    RowLayout::fitRows(sheet, row, row + rows.size() - 1);
    return true;
}

/* One value as typed. */
void ColumnFit::writeValue(Worksheet& sheet, int row, int column, const QVariant& value) {
    if (!value.isValid() || value.isNull()) {
        sheet.clearValue(row, column);
    } else if (value.type() == QVariant::Bool) {
        sheet.setBoolean(row, column, value.toBool());
    } else if (value.type() == QVariant::Date || value.type() == QVariant::DateTime) {
        const QDateTime at(value.toDate(), QTime(0, 0), Qt::UTC);
        sheet.setNumber(row, column, kUnixEpochSerial + at.toSecsSinceEpoch() / 86400.0);
        CellFormat format = sheet.format(row, column);
        format.numberFormat = QStringLiteral("yyyy-mm-dd");
        sheet.setFormat(row, column, format);
    } else if (value.type() == QVariant::String) {
        const QString text = value.toString();
        PasteEngine::storeTyped(sheet, row, column, text);
        if (text.contains(QLatin1Char('\n'))) {
            CellFormat format = sheet.format(row, column);
            format.wrap = true;
            sheet.setFormat(row, column, format);
        }
    } else {
        sheet.setNumber(row, column, value.toDouble());
    }
}
