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

/* Find or add a format; fragments hold few distinct formats, so a scan is enough. */
int Fragment::internFormat(const CellFormat& format) {
    for (size_t i = 0; i < formats.size(); ++i) {
        if (formats[i] == format) {
            return static_cast<int>(i);
        }
    }
    formats.push_back(format);
    return static_cast<int>(formats.size() - 1);
}
