#pragma once

#include "office/excel/model/formattable.h"

#include <vector>

// The style index each cell format is written with: its own while the styles part holds it
// (the first XlsxStyles::kMaxCellFormats formats), else that of the nearest format it holds.
class XlsxStyleMap {
public:
    // Keep the first kMaxCellFormats formats of `formats`; map the rest onto their nearest.
    explicit XlsxStyleMap(const FormatTable& formats);

    /* The style index of format `format`. */
    int operator()(int format) const {
        const int beyond = format - m_kept;
        return beyond < 0 || beyond >= static_cast<int>(m_beyond.size())
                   ? format
                   : m_beyond[static_cast<size_t>(beyond)];
    }

    // How many formats took the style of another.
    int replaced() const { return static_cast<int>(m_beyond.size()); }

private:
    int m_kept;
    std::vector<int> m_beyond;  // style of format m_kept + i
};
