#pragma once

#include "office/format/cellformat.h"

#include <QHash>

#include <vector>

// The interned cell formats of one workbook. Index 0 is always the default format
// (CellFormat{}); a format once interned keeps its index for the life of the table.
class FormatTable {
public:
    FormatTable();

    // Index of `format`, adding it when new.
    int intern(const CellFormat& format);

    // The format at `index`; the default format for an index out of range.
    const CellFormat& at(int index) const;

    int size() const { return static_cast<int>(m_formats.size()); }
    const std::vector<CellFormat>& formats() const { return m_formats; }

private:
    std::vector<CellFormat> m_formats;
    QHash<CellFormat, int> m_index;
};
