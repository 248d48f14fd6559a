#include "office/excel/xlsx/xlsxstylemap.h"

#include "office/excel/model/formatfallback.h"
#include "office/excel/xlsx/xlsxstyles.h"

/* Nearest kept format for each format beyond the limit. */
XlsxStyleMap::XlsxStyleMap(const FormatTable& formats)
    : m_kept(qMin(formats.size(), XlsxStyles::kMaxCellFormats)) {
    if (m_kept == formats.size()) {
        return;
    }
    FormatFallback fallback;
    for (int i = 0; i < m_kept; ++i) {
        fallback.keep(formats.at(i), i);
    }
    for (int i = m_kept; i < formats.size(); ++i) {
        m_beyond.push_back(qMax(0, fallback.nearest(formats.at(i))));
    }
}
