#include "office/excel/model/formattable.h"

/* Start with the default format at index 0. */
FormatTable::FormatTable() {
    intern(CellFormat());
}

/* Look the format up, appending it when it is new. */
int FormatTable::intern(const CellFormat& format) {
    const auto found = m_index.constFind(format);
    if (found != m_index.constEnd()) {
        return found.value();
    }
    const int index = static_cast<int>(m_formats.size());
    m_formats.push_back(format);
    m_index.insert(format, index);
    return index;
}

/* Resolve an index, falling back to the default format. */
const CellFormat& FormatTable::at(int index) const {
    if (index < 0 || index >= static_cast<int>(m_formats.size())) {
        return m_formats.front();
    }
    return m_formats[static_cast<size_t>(index)];
}
