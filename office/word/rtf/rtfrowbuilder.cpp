#include "office/word/rtf/rtfrowbuilder.h"

#include <optional>

namespace {

constexpr int kSolidShading = 10000;  // \clshdng10000: the pattern colour covers the cell

/* The colour at index, none when it is automatic or missing. */
std::optional<quint32> tableColor(const RtfRowBuilder::ColorTable& colors, int index) {
    if (index < 0 || static_cast<size_t>(index) >= colors.size() ||
        colors[static_cast<size_t>(index)] < 0) {
        return std::nullopt;
    }
    return static_cast<quint32>(colors[static_cast<size_t>(index)]);
}

/* A border's colour from \brdrcf: an automatic or missing one keeps the colour stated
   before, only no longer shown. */
void setColor(StoryBorder& border, const std::optional<quint32>& color) {
    border.hasColor = color.has_value();
    if (color) {
        border.color = *color;
    }
}

}  // namespace

/* Forget the previous row's definition. */
void RtfRowBuilder::reset() {
    m_row = StoryRowFormat();
    m_row.defined = true;
    m_row.boundaries.push_back(0);
    m_cell = StoryCellFormat();
    m_backColor = -1;
    m_foreColor = -1;
    m_shading = 0;
    m_border = nullptr;
}

/* Dispatch a word to the row, cell or border it belongs to. */
bool RtfRowBuilder::apply(RtfKeyword keyword, int parameter, int borderType,
                          const ColorTable& colors) {
    switch (keyword) {
        case RtfKeyword::RowDefaults:
            reset();
            return true;
        case RtfKeyword::RowLeft:
            m_row.boundaries[0] = parameter;
            return true;
        case RtfKeyword::RowHeight:
            // > 0 at least, < 0 exactly, as in the binary format's dyaRowHeight.
            m_row.heightTwips = parameter;
            return true;
        case RtfKeyword::CellBoundary:
            if (static_cast<qint64>(m_row.cells.size()) >= m_maxCells) {
                return false;
            }
            addCell(parameter, colors);
            return true;
        default:
            break;
    }
    // \trgaph (the cell margins) and other row words change nothing the model keeps.
    if (!applyCell(keyword, parameter)) {
        applyBorder(keyword, parameter, borderType, colors);
    }
    return true;
}

/* Close the pending cell at its right boundary (\cellxN). */
void RtfRowBuilder::addCell(int boundary, const ColorTable& colors) {
    // A solid pattern shows its own colour; any other shows the ground, as in the other readers.
    const std::optional<quint32> fore = tableColor(colors, m_foreColor);
    const std::optional<quint32> back = tableColor(colors, m_backColor);
    if (m_shading >= kSolidShading && fore) {
        m_cell.hasShading = true;
        m_cell.shading = *fore;
    } else if (back) {
        m_cell.hasShading = true;
        m_cell.shading = *back;
    }
    m_row.cells.push_back(m_cell);
    m_row.boundaries.push_back(boundary);
    m_cell = StoryCellFormat();
    m_backColor = -1;
    m_foreColor = -1;
    m_shading = 0;
    m_border = nullptr;
}

/* Words that describe the pending cell. */
bool RtfRowBuilder::applyCell(RtfKeyword keyword, int parameter) {
    switch (keyword) {
        case RtfKeyword::CellMergeFirst:
            m_cell.horizontalMerge = 1;
            return true;
        case RtfKeyword::CellMerge:
            m_cell.horizontalMerge = 2;
            return true;
        case RtfKeyword::CellVMergeFirst:
            m_cell.verticalMerge = StoryCellFormat::Restart;
            return true;
        case RtfKeyword::CellVMerge:
            m_cell.verticalMerge = StoryCellFormat::Continue;
            return true;
        case RtfKeyword::CellAlignTop:
            m_cell.verticalAlign = 0;
            return true;
        case RtfKeyword::CellAlignCenter:
            m_cell.verticalAlign = 1;
            return true;
        case RtfKeyword::CellAlignBottom:
            m_cell.verticalAlign = 2;
            return true;
        case RtfKeyword::CellBackColor:
            m_backColor = parameter;
            return true;
        case RtfKeyword::CellForeColor:
            m_foreColor = parameter;
            return true;
        case RtfKeyword::CellShading:
            m_shading = parameter;
            return true;
        default:
            return false;
    }
}

/* Border sides (\clbrdr*, \trbrdr*) and the line words that follow them. */
bool RtfRowBuilder::applyBorder(RtfKeyword keyword, int parameter, int borderType,
                                const ColorTable& colors) {
    switch (keyword) {
        case RtfKeyword::CellBorderTop:
            setBorder(m_cell.top);
            return true;
        case RtfKeyword::CellBorderLeft:
            setBorder(m_cell.left);
            return true;
        case RtfKeyword::CellBorderBottom:
            setBorder(m_cell.bottom);
            return true;
        case RtfKeyword::CellBorderRight:
            setBorder(m_cell.right);
            return true;
        case RtfKeyword::RowBorderTop:
            setBorder(m_row.top);
            return true;
        case RtfKeyword::RowBorderLeft:
            setBorder(m_row.left);
            return true;
        case RtfKeyword::RowBorderBottom:
            setBorder(m_row.bottom);
            return true;
        case RtfKeyword::RowBorderRight:
            setBorder(m_row.right);
            return true;
        case RtfKeyword::RowBorderInsideH:
            setBorder(m_row.insideH);
            return true;
        case RtfKeyword::RowBorderInsideV:
            setBorder(m_row.insideV);
            return true;
        default:
            break;
    }
    if (!m_border) {
        return false;
    }
    switch (keyword) {
        case RtfKeyword::BorderKind:
            m_border->type = borderType;
            return true;
        case RtfKeyword::BorderWidth:
            // \brdrwN is in twips; the binary format counts eighths of a point.
            m_border->eighths = parameter * 8 / 20;
            return true;
        case RtfKeyword::BorderColor:
            setColor(*m_border, tableColor(colors, parameter));
            return true;
        default:
            return false;
    }
}

/* Make a side the target of the following line words; it counts as stated from here on. */
void RtfRowBuilder::setBorder(StoryBorder& border) {
    m_border = &border;
    border = StoryBorder();
    border.defined = true;
}
