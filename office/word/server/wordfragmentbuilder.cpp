#include "office/word/server/wordfragmentbuilder.h"

#include <QtMath>

#include <algorithm>

namespace {

/* Rows a table adds to a fragment. */
int tableRowCount(const WordTable& table) {
    return static_cast<int>(table.rows.size());
}

/* True when the text holds a character of an East Asian script. */
bool hasEastAsianText(const QString& text) {
    for (const QChar ch : text) {
        const ushort u = ch.unicode();
        if ((u >= 0x2E80 && u <= 0x9FFF) || (u >= 0xAC00 && u <= 0xD7AF) ||
            (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFF00 && u <= 0xFFEF) || ch.isHighSurrogate()) {
            return true;
        }
    }
    return false;
}

/* Word's paragraph alignment as a cell's horizontal alignment. */
CellFormat::HAlign cellAlignment(WordParagraph::Alignment alignment) {
    switch (alignment) {
        case WordParagraph::Alignment::Left:
            return CellFormat::HAlign::Left;
        case WordParagraph::Alignment::Center:
            return CellFormat::HAlign::Center;
        case WordParagraph::Alignment::Right:
            return CellFormat::HAlign::Right;
        case WordParagraph::Alignment::Justify:
            return CellFormat::HAlign::Justify;
        case WordParagraph::Alignment::Default:
            break;
    }
    return CellFormat::HAlign::General;
}

/* Word's vertical cell alignment as a spreadsheet's. */
CellFormat::VAlign cellVerticalAlignment(WordCell::VerticalAlignment alignment) {
    switch (alignment) {
        case WordCell::VerticalAlignment::Center:
            return CellFormat::VAlign::Center;
        case WordCell::VerticalAlignment::Bottom:
            return CellFormat::VAlign::Bottom;
        case WordCell::VerticalAlignment::Top:
            break;
    }
    return CellFormat::VAlign::Top;
}

/* The first paragraph of a cell that holds text, else its first paragraph. */
const WordParagraph* leadingParagraph(const WordCell& cell) {
    const WordParagraph* first = nullptr;
    for (const WordBlock& block : cell.blocks) {
        if (block.kind != WordBlock::Kind::Paragraph) {
            continue;
        }
        if (first == nullptr) {
            first = &block.paragraph;
        }
        for (const WordRun& run : block.paragraph.runs) {
            if (!run.text.isEmpty()) {
                return &block.paragraph;
            }
        }
    }
    return first;
}

/* A cell side: its own line when stated, else the table's edge or inside line. */
BorderLine resolveSide(const WordBorder& own, const WordBorder& edge, const WordBorder& inside,
                       bool atEdge) {
    if (own.set) {
        return own.line;
    }
    const WordBorder& inherited = atEdge ? edge : inside;
    return inherited.set ? inherited.line : BorderLine();
}

// Where a cell sits in its table, for border inheritance.
struct CellPlace {
    bool firstRow = false;
    bool lastRow = false;
    bool firstCell = false;
    bool lastCell = false;
};

/* The complete cell format of one Word table cell. */
CellFormat tableCellFormat(const WordTable& table, const WordCell& cell, const QString& text,
                           const CellPlace& place) {
    CellFormat format;
    if (const WordParagraph* paragraph = leadingParagraph(cell)) {
        WordFragmentBuilder::applyRunFormat(paragraph->leadingFormat(), text, format);
        format.hAlign = cellAlignment(paragraph->alignment);
    }
    format.vAlign = cellVerticalAlignment(cell.verticalAlignment);
    format.fillColor = cell.shading;
    const WordBorders& own = cell.borders;
    const WordBorders& tb = table.borders;
    format.top = resolveSide(own.top, tb.top, tb.insideHorizontal, place.firstRow);
    format.bottom = resolveSide(own.bottom, tb.bottom, tb.insideHorizontal, place.lastRow);
    format.left = resolveSide(own.left, tb.left, tb.insideVertical, place.firstCell);
    format.right = resolveSide(own.right, tb.right, tb.insideVertical, place.lastCell);
    format.wrap = text.contains(QLatin1Char('\n'));
    return format;
}

// A merged area under construction.
struct Region {
    int firstRow;
    int firstColumn;
    int lastRow;
    int lastColumn;
    int topCell;  // index of the top-left cell in Fragment::cells
};

// The merged areas of a table being laid out, and the one open at each grid column (-1: none).
struct RegionTracker {
    std::vector<int> openRegion;
    std::vector<Region> regions;
};

/* A row's height: an exact height is fixed; an "at least" row grows with its text, so its
   height is only the least the paste may fit the row to. */
void placeRowHeight(const WordRow& row, int fragmentRow, Fragment& out) {
    if (row.heightRule == WordRow::HeightRule::Exact && row.heightTwips > 0) {
        out.rowHeights[static_cast<size_t>(fragmentRow)] = row.heightTwips / 20.0;
    } else if (row.heightTwips > 0) {
        out.minRowHeights.resize(static_cast<size_t>(out.rowCount), -1.0);
        out.minRowHeights[static_cast<size_t>(fragmentRow)] = row.heightTwips / 20.0;
    }
}

/* Give a cell's text a place: a vertically continued cell extends the area open at its
   column, any other cell opens an area of its own (table row r, `span` columns wide). */
void placeCellText(RegionTracker& tracker, const WordCell& cell, const QString& text, int r,
                   int fragmentRow, int column, int span, Fragment& out) {
    int& open = tracker.openRegion[static_cast<size_t>(column)];
    const bool continues =
        cell.verticalMerge == WordCell::VerticalMerge::Continue && open >= 0 &&
        tracker.regions[static_cast<size_t>(open)].lastRow == r - 1 &&
        tracker.regions[static_cast<size_t>(open)].lastColumn == column + span - 1;
    if (continues) {
        Region& region = tracker.regions[static_cast<size_t>(open)];
        region.lastRow = r;
        if (!text.isEmpty()) {
            // Text in a continued cell is kept below the merged area's own text.
            FragmentCell& top = out.cells[static_cast<size_t>(region.topCell)];
            top.text = top.text.isEmpty() ? text : top.text + QLatin1Char('\n') + text;
            top.kind = FragmentCell::Kind::Text;
        }
    } else {
        const int index = fragmentRow * out.columnCount + column;
        open = static_cast<int>(tracker.regions.size());
        tracker.regions.push_back({r, column, r, column + span - 1, index});
        if (!text.isEmpty()) {
            FragmentCell& target = out.at(fragmentRow, column);
            target.kind = FragmentCell::Kind::Text;
            target.text = text;
        }
    }
    for (int k = 1; k < span; ++k) {
        tracker.openRegion[static_cast<size_t>(column + k)] = -1;
    }
}

/* Lay the cells of table row r into fragment row `fragmentRow`, up to `columns` columns. */
void placeRowCells(const WordTable& table, int r, int fragmentRow, int columns,
                   RegionTracker& tracker, Fragment& out) {
    const WordRow& row = table.rows[static_cast<size_t>(r)];
    const int rowCount = tableRowCount(table);
    int column = std::max(0, row.gridBefore);
    const int cellCount = static_cast<int>(row.cells.size());
    for (int c = 0; c < cellCount && column < columns; ++c) {
        const WordCell& cell = row.cells[static_cast<size_t>(c)];
        const int span = std::max(1, std::min(cell.gridSpan, columns - column));
        const QString text = cell.text();
        CellPlace place{r == 0, r == rowCount - 1, c == 0, c == cellCount - 1};
        const int format = out.internFormat(tableCellFormat(table, cell, text, place));
        for (int k = 0; k < span; ++k) {
            out.at(fragmentRow, column + k).format = format;
        }
        placeCellText(tracker, cell, text, r, fragmentRow, column, span, out);
        column += span;
    }
}

/* Lay one table's rows into `out` from row `rowOffset`, column 0. */
void placeTable(const WordTable& table, int rowOffset, Fragment& out) {
    const int columns = std::min(table.gridColumnCount(), out.columnCount);
    RegionTracker tracker{std::vector<int>(static_cast<size_t>(columns), -1), {}};
    const int rowCount = tableRowCount(table);
    for (int r = 0; r < rowCount; ++r) {
        placeRowHeight(table.rows[static_cast<size_t>(r)], rowOffset + r, out);
        placeRowCells(table, r, rowOffset + r, columns, tracker, out);
    }
    for (const Region& region : tracker.regions) {
        if (region.lastRow > region.firstRow || region.lastColumn > region.firstColumn) {
            out.merges.push_back({region.firstRow + rowOffset, region.firstColumn,
                                  region.lastRow + rowOffset, region.lastColumn});
        }
    }
}

/* Grid column widths of a table, from its grid or, without one, from its first row's cells. */
std::vector<int> tableColumnTwips(const WordTable& table) {
    std::vector<int> widths = table.gridColumnTwips;
    const int columns = table.gridColumnCount();
    if (static_cast<int>(widths.size()) >= columns || table.rows.empty()) {
        return widths;
    }
    widths.resize(static_cast<size_t>(columns), -1);
    const WordRow& row = table.rows.front();
    int column = std::max(0, row.gridBefore);
    for (const WordCell& cell : row.cells) {
        const int span = std::max(1, cell.gridSpan);
        for (int k = 0; k < span && column + k < columns; ++k) {
            int& width = widths[static_cast<size_t>(column + k)];
            if (width < 0 && cell.widthTwips > 0) {
                width = cell.widthTwips / span;
            }
        }
        column += span;
    }
    return widths;
}

/* Widen the fragment's columns to a table's grid widths. */
void applyColumnWidths(const WordTable& table, Fragment& out) {
    const std::vector<int> twips = tableColumnTwips(table);
    const size_t count = std::min(twips.size(), out.columnWidths.size());
    for (size_t i = 0; i < count; ++i) {
        if (twips[i] > 0) {
            const double width = WordFragmentBuilder::excelColumnWidth(twips[i]);
            out.columnWidths[i] = std::max(out.columnWidths[i], width);
        }
    }
}

/* Put one paragraph into the first cell of a fragment row. */
void placeParagraph(const WordParagraph& paragraph, int row, Fragment& out) {
    const QString text = paragraph.text();
    CellFormat format;
    WordFragmentBuilder::applyRunFormat(paragraph.leadingFormat(), text, format);
    format.hAlign = cellAlignment(paragraph.alignment);
    format.wrap = text.contains(QLatin1Char('\n'));
    FragmentCell& cell = out.at(row, 0);
    cell.format = out.internFormat(format);
    if (!text.isEmpty()) {
        cell.kind = FragmentCell::Kind::Text;
        cell.text = text;
    }
}

}  // namespace

/* Twips -> pixels at 96 dpi -> Excel characters, the way Excel sizes columns. */
double WordFragmentBuilder::excelColumnWidth(int twips) {
    const double pixels = twips / 15.0;
    const double characters = pixels >= 12 ? (pixels - 5) / 7.0 : pixels / 12.0;
    return qRound(std::max(0.0, characters) * 100) / 100.0;
}

/* Copy the font fields of a run format into a cell format. */
void WordFragmentBuilder::applyRunFormat(const WordRunFormat& run, const QString& text,
                                         CellFormat& cell) {
    const bool eastAsian =
        !run.eastAsiaFontName.isEmpty() && (run.fontName.isEmpty() || hasEastAsianText(text));
    cell.fontName = eastAsian ? run.eastAsiaFontName : run.fontName;
    cell.fontSize = run.fontSize;
    cell.bold = run.bold;
    cell.italic = run.italic;
    cell.strike = run.strike;
    switch (run.underline) {
        case WordRunFormat::Underline::Single:
            cell.underline = CellFormat::Underline::Single;
            break;
        case WordRunFormat::Underline::Double:
            cell.underline = CellFormat::Underline::Double;
            break;
        case WordRunFormat::Underline::None:
            cell.underline = CellFormat::Underline::None;
            break;
    }
    cell.fontColor = run.color;
}

/* Paragraphs one row each, tables on their grids, all from the first column. */
bool WordFragmentBuilder::wholeStory(const WordDocument& document, Fragment& out) {
    long long rows = 0;
    int columns = 1;
    for (const WordBlock& block : document.blocks) {
        if (block.kind == WordBlock::Kind::Table && block.table) {
            rows += tableRowCount(*block.table);
            columns = std::max(columns, block.table->gridColumnCount());
        } else {
            rows += 1;
        }
    }
    // A story always ends with a paragraph mark: even an empty one copies as one empty row.
    rows = std::max(rows, 1ll);
    if (rows * columns > kMaxCells) {
        return false;
    }
    Fragment fragment = Fragment::sized(static_cast<int>(rows), columns);
    fragment.source = Fragment::Source::Document;
    int row = 0;
    for (const WordBlock& block : document.blocks) {
        if (block.kind == WordBlock::Kind::Table && block.table) {
            placeTable(*block.table, row, fragment);
            applyColumnWidths(*block.table, fragment);
            row += tableRowCount(*block.table);
        } else {
            placeParagraph(block.paragraph, row, fragment);
            row += 1;
        }
    }
    out = std::move(fragment);
    return true;
}

/* One table on its own grid. */
bool WordFragmentBuilder::table(const WordTable& table, Fragment& out) {
    const long long rows = tableRowCount(table);
    const int columns = std::max(1, table.gridColumnCount());
    if (rows * columns > kMaxCells) {
        return false;
    }
    Fragment fragment = Fragment::sized(static_cast<int>(rows), columns);
    fragment.source = Fragment::Source::Document;
    placeTable(table, 0, fragment);
    applyColumnWidths(table, fragment);
    out = std::move(fragment);
    return true;
}
