#include "office/excel/paste/texttocolumns.h"

#include "office/excel/paste/pasteengine.h"
#include "office/excel/paste/rowlayout.h"

#include <QStringList>

#include <vector>

namespace {

/* True when `c` is one of the chosen delimiters. */
bool isDelimiter(QChar c, const TextToColumns::Options& options) {
    return (options.tab && c == QLatin1Char('\t')) ||
           (options.semicolon && c == QLatin1Char(';')) ||
           (options.comma && c == QLatin1Char(',')) || (options.space && c == QLatin1Char(' ')) ||
           (options.other && !options.otherChar.isNull() && c == options.otherChar);
}

/* The quote character of a qualifier, or a null character. */
QChar quoteOf(int qualifier) {
    if (qualifier == TextToColumns::DoubleQuote) {
        return QLatin1Char('"');
    }
    if (qualifier == TextToColumns::SingleQuote) {
        return QLatin1Char('\'');
    }
    return QChar();
}

// Above this many cells an unmerged range's cells are left with their own formats.
const long long kMaxCopiedFormats = 1 << 20;

/* A row's source value and where it goes. */
struct PendingRow {
    int sourceRow = 0;
    Cell cell;  // a copy: writing the parts may move the sheet's cells
    QStringList parts;
    bool cut = false;  // the last part holds the rest of the text unsplit
};

/* Unmerge the merged ranges that would hide a part written at (row, column): those covering
   the cell other than at their top-left. The cells they covered keep the range's format. */
void uncoverCell(Worksheet& sheet, int row, int column) {
    std::vector<CellRange> hiding;
    for (const CellRange& merge : sheet.merges()) {
        if (merge.contains(row, column) && (merge.firstRow != row || merge.firstColumn != column)) {
            hiding.push_back(merge);
        }
    }
    for (const CellRange& merge : hiding) {
        sheet.removeMergesIn(merge);
        const int format = sheet.formatIndex(merge.firstRow, merge.firstColumn);
        const long long cells = static_cast<long long>(merge.rowCount()) * merge.columnCount();
        for (int r = merge.firstRow; r <= merge.lastRow && cells <= kMaxCopiedFormats; ++r) {
            for (int c = merge.firstColumn; c <= merge.lastColumn; ++c) {
                if (sheet.formatIndex(r, c) == sheet.defaultFormatIndex(r, c)) {
                    sheet.setFormatIndex(r, c, format);
                }
            }
        }
    }
}

}  // namespace

/* Split one text at the delimiters; quoted parts keep their delimiters. */
TextToColumns::TextParts TextToColumns::parts(const QString& text, const Options& options,
                                              int maxParts) {
    TextParts result;
    const QChar quote = quoteOf(options.qualifier);
    QString current;
    int currentStart = 0;  // where the current part starts in `text`
    bool quoted = false;
    bool lastWasDelimiter = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull() && c == quote) {
            if (quoted && i + 1 < text.size() && text[i + 1] == quote) {
                current += quote;
                ++i;
            } else {
                quoted = !quoted;
            }
            lastWasDelimiter = false;
            continue;
        }
        if (!quoted && isDelimiter(c, options)) {
            if (!(options.consecutiveDelimiter && lastWasDelimiter)) {
                if (result.texts.size() >= maxParts - 1) {
                    // Another part would follow the last one there is room for.
                    result.texts.append(text.mid(currentStart));
                    result.cut = true;
                    return result;
                }
                result.texts.append(current);
            }
            current.clear();
            currentStart = i + 1;
            lastWasDelimiter = true;
            continue;
        }
        current += c;
        lastWasDelimiter = false;
    }
    result.texts.append(current);
    return result;
}

namespace {

/* The rows of the source column that hold a value, each with its text already split; false
   when a row's target would lie below the sheet's last row. */
bool collectRows(const Worksheet& sheet, const CellRange& source, int destRow, int destColumn,
                 const TextToColumns::Options& options, std::vector<PendingRow>& pending) {
    const int column = source.firstColumn;
    const auto& rows = sheet.rows();
    for (auto it = rows.lower_bound(source.firstRow);
         it != rows.end() && it->first <= source.lastRow; ++it) {
        const Cell* cell = sheet.cell(it->first, column);
        if (cell == nullptr || !cell->hasValue()) {
            continue;
        }
        PendingRow row{it->first, *cell, {}};
        if (cell->kind == Cell::Kind::Text) {
            // A row of more parts than the sheet has columns keeps the rest in its last one.
            TextToColumns::TextParts split =
                TextToColumns::parts(cell->text, options, kMaxColumns - destColumn + 1);
            row.parts = std::move(split.texts);
            row.cut = split.cut;
        }
        if (destRow + (it->first - source.firstRow) > kMaxRows) {
            return false;
        }
        pending.push_back(std::move(row));
    }
    return true;
}

/* Write one row's value (a non-text value moves whole) or its parts from destColumn on. */
void writeRow(Worksheet& sheet, PendingRow& row, int targetRow, int destColumn) {
    if (row.cell.kind != Cell::Kind::Text) {
        row.cell.format = sheet.formatIndex(targetRow, destColumn);
        sheet.setCell(targetRow, destColumn, std::move(row.cell));
        return;
    }
    for (int i = 0; i < row.parts.size(); ++i) {
        const QString& part = row.parts[i];
        if (part.isEmpty()) {
            sheet.clearValue(targetRow, destColumn + i);
        } else {
            uncoverCell(sheet, targetRow, destColumn + i);
            PasteEngine::storeTyped(sheet, targetRow, destColumn + i, part);
        }
    }
    if (row.cut) {
        sheet.noteUnsplitRest(targetRow, kMaxColumns);
    }
}

}  // namespace

/* Split a column's text cells into the destination. */
Result TextToColumns::split(Worksheet& sheet, const CellRange& source, int destRow, int destColumn,
                            const Options& options) {
    if (source.columnCount() != 1) {
        return Result::failure(QStringLiteral("Text to Columns converts one column at a time"));
    }
    if (destRow < 1 || destColumn < 1 || destRow > kMaxRows || destColumn > kMaxColumns) {
        return Result::failure(QStringLiteral("Bad destination"));
    }
    std::vector<PendingRow> pending;
    if (!collectRows(sheet, source, destRow, destColumn, options, pending)) {
        return Result::failure(QStringLiteral("Bad destination"));
    }
    for (PendingRow& row : pending) {
        writeRow(sheet, row, destRow + (row.sourceRow - source.firstRow), destColumn);
    }
    if (!pending.empty()) {
        // The rows changed: their parts now stand in narrower cells, some no longer merged.
        RowLayout::fitRows(sheet, destRow + (pending.front().sourceRow - source.firstRow),
                           destRow + (pending.back().sourceRow - source.firstRow));
    }
    return Result::success();
}
