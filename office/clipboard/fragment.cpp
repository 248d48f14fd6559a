#include "office/clipboard/fragment.h"

/* Make an empty grid with the default format in slot 0. */
Fragment Fragment::sized(int rows, int columns) {
    Fragment fragment;
    fragment.rowCount = rows > 0 ? rows : 0;
    fragment.columnCount = columns > 0 ? columns : 0;
    fragment.cells.resize(static_cast<size_t>(fragment.rowCount) * fragment.columnCount);
    fragment.formats.emplace_back();
    fragment.columnWidths.assign(static_cast<size_t>(fragment.columnCount), -1.0);
    fragment.rowHeights.assign(static_cast<size_t>(fragment.rowCount), -1.0);
    return fragment;
}

/* Find or add a format through the index, rebuilding it when the table changed behind it. */
int Fragment::internFormat(const CellFormat& format) {
    if (m_formatIndex.size() != static_cast<int>(formats.size())) {
        m_formatIndex.clear();
        for (size_t i = formats.size(); i-- > 0;) {
            m_formatIndex.insert(formats[i], static_cast<int>(i));
        }
    }
    const auto found = m_formatIndex.constFind(format);
    if (found != m_formatIndex.constEnd()) {
        return found.value();
    }
    formats.push_back(format);
    const int index = static_cast<int>(formats.size() - 1);
    m_formatIndex.insert(format, index);
    return index;
}
