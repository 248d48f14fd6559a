#include "office/word/model/storyblockbuilder.h"

#include "office/word/model/wordtablegrid.h"
#include "office/word/model/symbolfonts.h"

#include <algorithm>
#include <climits>

namespace {

constexpr int kDefaultCellWidth = 1440;  // one inch, for rows without cell boundaries

/* The boundaries of a row's cells in twips: the row's own, else the previous row's when the
   cell count matches, else cells of one inch; made non-decreasing and one per cell edge. */
std::vector<int> rowBoundaries(const StoryRowFormat& format, int cellCount,
                               const std::vector<int>& previous) {
    std::vector<int> bounds;
    if (format.defined && format.boundaries.size() >= 2) {
        bounds = format.boundaries;
    } else if (static_cast<int>(previous.size()) == cellCount + 1) {
        bounds = previous;
    } else {
        bounds.push_back(0);
    }
    bounds.resize(std::min<size_t>(bounds.size(), static_cast<size_t>(cellCount) + 1));
    // In 64 bits and held below INT_MAX: a damaged row may state boundaries near the limit.
    const auto held = [](qint64 value) {
        return static_cast<int>(std::clamp<qint64>(value, INT_MIN, INT_MAX - 1));
    };
    while (static_cast<int>(bounds.size()) < cellCount + 1) {
        const qint64 width = bounds.size() >= 2 ? static_cast<qint64>(bounds[bounds.size() - 1]) -
                                                      static_cast<qint64>(bounds[bounds.size() - 2])
                                                : static_cast<qint64>(kDefaultCellWidth);
        bounds.push_back(held(static_cast<qint64>(bounds.back()) + std::max<qint64>(width, 1)));
    }
    for (size_t i = 1; i < bounds.size(); ++i) {
        bounds[i] = std::max(bounds[i], held(static_cast<qint64>(bounds[i - 1]) + 1));
    }
    return bounds;
}

/* Colour of the model (0xRRGGBB or automatic). */
std::uint32_t modelColor(bool has, quint32 color) {
    return has ? (color & 0xFFFFFFu) : kAutoColor;
}

}  // namespace

/* Map a Word border to the line the model keeps. */
BorderLine StoryBlockBuilder::borderLine(const StoryBorder& border) {
    BorderLine line;
    if (!border.visible()) {
        return line;
    }
    line.color = modelColor(border.hasColor, border.color);
    switch (border.type) {
        case 3:
            line.style = BorderLine::Double;
            return line;
        case 5:
            line.style = BorderLine::Hair;
            return line;
        case 6:
            line.style = BorderLine::Dotted;
            return line;
        case 7:
        case 8:
        case 9:
        case 22:
            line.style = BorderLine::Dashed;
            return line;
        default:
            break;
    }
    if (border.eighths >= 18) {
        line.style = BorderLine::Thick;
    } else if (border.eighths >= 9 || border.type == 2) {
        line.style = BorderLine::Medium;
    } else {
        line.style = BorderLine::Thin;
    }
    return line;
}

/* Convert a character format, naming its fonts through the font table. */
WordRunFormat StoryBlockBuilder::runFormat(const StoryCharFormat& format) const {
    WordRunFormat out;
    out.fontName = m_fonts.name(format.fontAscii);
    out.eastAsiaFontName = m_fonts.name(format.fontEastAsia);
    out.fontSize = format.halfPoints / 2.0;
    out.bold = format.bold;
    out.italic = format.italic;
    out.strike = format.strike;
    if (format.underline == 3) {
        out.underline = WordRunFormat::Underline::Double;
    } else if (format.underline != 0) {
        out.underline = WordRunFormat::Underline::Single;
    }
    out.color = modelColor(format.hasColor, format.color);
    return out;
}

/* Convert a run. Text in a symbol font (the run's, or a sprmCSymbol's own) maps to Unicode
   where the table knows the code, in the paragraph mark's font, as the symbol font would draw
   it as something else; other codes keep the run's font. */
void StoryBlockBuilder::appendRun(const StoryRun& run, const QString& plainFont,
                                  WordParagraph& out) const {
    const WordRunFormat format = runFormat(run.format);
    const SymbolFonts::Font font = SymbolFonts::fontOf(
        run.format.symbolChar != 0 ? m_fonts.name(run.format.symbolFont) : format.fontName);
    if (font == SymbolFonts::Font::None) {
        out.runs.push_back(WordRun{run.text, format});
        return;
    }
    WordRunFormat plain = format;
    plain.fontName = plainFont;
    for (const QChar c : run.text) {
        const QString mapped = SymbolFonts::toUnicode(font, c.unicode());
        const WordRunFormat& target = mapped.isEmpty() ? format : plain;
        if (out.runs.empty() || out.runs.back().format != target) {
            out.runs.push_back(WordRun{QString(), target});
        }
        out.runs.back().text += mapped.isEmpty() ? QString(c) : mapped;
    }
}

/* Convert a paragraph with its runs and alignment. */
WordParagraph StoryBlockBuilder::paragraph(const StoryParagraph& source) const {
    WordParagraph out;
    out.runs.reserve(source.runs.size());
    out.markFormat = runFormat(source.markFormat);
    for (const StoryRun& run : source.runs) {
        appendRun(run, out.markFormat.fontName, out);
    }
    switch (source.format.justification) {
        case 0:
            out.alignment = WordParagraph::Alignment::Default;
            break;
        case 1:
            out.alignment = WordParagraph::Alignment::Center;
            break;
        case 2:
            out.alignment = WordParagraph::Alignment::Right;
            break;
        default:
            out.alignment = WordParagraph::Alignment::Justify;
            break;
    }
    return out;
}

/* Walk the paragraphs, opening and closing tables as the table depth changes. */
std::vector<WordBlock> StoryBlockBuilder::build(const std::vector<StoryParagraph>& paragraphs) {
    m_stack.clear();
    m_body.clear();
    for (const StoryParagraph& source : paragraphs) {
        add(source);
    }
    return finish();
}

/* Place one paragraph: in the body, in the current cell, or as the end of a row. */
void StoryBlockBuilder::add(const StoryParagraph& source) {
    const size_t depth = static_cast<size_t>(std::min(source.format.depth(), m_maxTableDepth));
    while (m_stack.size() > depth) {
        closeTable();
    }
    while (m_stack.size() < depth) {
        m_stack.emplace_back();
    }
    if (depth == 0) {
        m_body.push_back(WordBlock::ofParagraph(paragraph(source)));
        return;
    }
    OpenTable& table = m_stack.back();
    const bool deepest = source.format.depth() == static_cast<int>(depth);
    if (deepest && source.isRowEnd()) {
        if (!table.cell.empty()) {
            table.cells.push_back(std::move(table.cell));
        }
        table.cell.clear();
        table.rows.push_back(PendingRow{std::move(table.cells), source.row});
        table.cells.clear();
        return;
    }
    table.cell.push_back(WordBlock::ofParagraph(paragraph(source)));
    if (deepest && source.isCellEnd()) {
        table.cells.push_back(std::move(table.cell));
        table.cell.clear();
    }
}

/* Close the tables still open and hand over the blocks. */
std::vector<WordBlock> StoryBlockBuilder::finish() {
    while (!m_stack.empty()) {
        closeTable();
    }
    std::vector<WordBlock> body = std::move(m_body);
    m_body.clear();
    return body;
}

/* The blocks that receive the next block: the innermost open cell, else the body. */
std::vector<WordBlock>& StoryBlockBuilder::container() {
    return m_stack.empty() ? m_body : m_stack.back().cell;
}

/* Finish the innermost open table (an unfinished row is kept) and place it in its parent. */
void StoryBlockBuilder::closeTable() {
    OpenTable table = std::move(m_stack.back());
    m_stack.pop_back();
    if (!table.cell.empty()) {
        table.cells.push_back(std::move(table.cell));
    }
    if (!table.cells.empty()) {
        table.rows.push_back(PendingRow{std::move(table.cells), StoryRowFormat()});
    }
    if (table.rows.empty()) {
        return;
    }
    container().push_back(WordBlock::ofTable(makeTable(table.rows)));
}

/* The cell edges of each row; a cell merged into its neighbour (fMerged) widens that
   neighbour, so its blocks, edge and format go to the cell before it. */
std::vector<std::vector<int>> StoryBlockBuilder::mergedRowEdges(std::vector<PendingRow>& rows) {
    std::vector<std::vector<int>> bounds(rows.size());
    std::vector<int> previous;
    for (size_t r = 0; r < rows.size(); ++r) {
        PendingRow& row = rows[r];
        std::vector<int> edges =
            rowBoundaries(row.format, static_cast<int>(row.cells.size()), previous);
        previous = edges;
        for (size_t c = row.cells.size(); c-- > 1;) {
            if (c < row.format.cells.size() && row.format.cells[c].horizontalMerge == 2) {
                auto& into = row.cells[c - 1];
                into.insert(into.end(), row.cells[c].begin(), row.cells[c].end());
                row.cells.erase(row.cells.begin() + static_cast<long>(c));
                edges.erase(edges.begin() + static_cast<long>(c));
                row.format.cells.erase(row.format.cells.begin() + static_cast<long>(c));
            }
        }
        bounds[r] = edges;
    }
    return bounds;
}

/* A cell's merge, alignment, shading and borders from its format. */
void StoryBlockBuilder::applyCellFormat(const StoryCellFormat& format, WordCell& cell) {
    if (format.verticalMerge == StoryCellFormat::Restart) {
        cell.verticalMerge = WordCell::VerticalMerge::Restart;
    } else if (format.verticalMerge == StoryCellFormat::Continue) {
        cell.verticalMerge = WordCell::VerticalMerge::Continue;
    }
    if (format.verticalAlign == 1) {
        cell.verticalAlignment = WordCell::VerticalAlignment::Center;
    } else if (format.verticalAlign == 2) {
        cell.verticalAlignment = WordCell::VerticalAlignment::Bottom;
    }
    cell.shading = modelColor(format.hasShading, format.shading);
    const StoryBorder* sides[] = {&format.top, &format.left, &format.bottom, &format.right};
    WordBorder* targets[] = {&cell.borders.top, &cell.borders.left, &cell.borders.bottom,
                             &cell.borders.right};
    for (int i = 0; i < 4; ++i) {
        targets[i]->set = sides[i]->defined;
        targets[i]->line = borderLine(*sides[i]);
    }
}

/* One row of the model: its place on the grid, its height and its cells. */
WordRow StoryBlockBuilder::makeRow(PendingRow& source, const std::vector<int>& edges,
                                   const WordTableGrid& grid, size_t r) {
    WordRow row;
    row.gridBefore = grid.line(r, 0);
    row.gridAfter = grid.columnCount() - grid.line(r, edges.size() - 1);
    if (source.format.heightTwips != 0) {
        row.heightTwips = std::abs(source.format.heightTwips);
        row.heightRule = source.format.heightTwips < 0 ? WordRow::HeightRule::Exact
                                                       : WordRow::HeightRule::AtLeast;
    }
    for (size_t c = 0; c < source.cells.size(); ++c) {
        WordCell cell;
        cell.blocks = std::move(source.cells[c]);
        cell.gridSpan = grid.line(r, c + 1) - grid.line(r, c);
        cell.widthTwips = edges[c + 1] - edges[c];
        if (c < source.format.cells.size()) {
            applyCellFormat(source.format.cells[c], cell);
        }
        row.cells.push_back(std::move(cell));
    }
    return row;
}

/* Lay the rows on the grid of their cell boundaries and fill the model's table; the table's
   borders are the first row's. */
std::shared_ptr<WordTable> StoryBlockBuilder::makeTable(std::vector<PendingRow>& rows) {
    auto table = std::make_shared<WordTable>();
    const std::vector<std::vector<int>> bounds = mergedRowEdges(rows);
    const WordTableGrid grid(bounds);
    table->gridColumnTwips = grid.columnTwips();
    for (size_t r = 0; r < rows.size(); ++r) {
        table->rows.push_back(makeRow(rows[r], bounds[r], grid, r));
    }
    const StoryRowFormat& first = rows.front().format;
    const StoryBorder* sides[] = {&first.top,   &first.left,    &first.bottom,
                                  &first.right, &first.insideH, &first.insideV};
    WordBorder* targets[] = {&table->borders.top,
                             &table->borders.left,
                             &table->borders.bottom,
                             &table->borders.right,
                             &table->borders.insideHorizontal,
                             &table->borders.insideVertical};
    for (int i = 0; i < 6; ++i) {
        targets[i]->set = sides[i]->defined;
        targets[i]->line = borderLine(*sides[i]);
    }
    return table;
}
