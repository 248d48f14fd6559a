#pragma once

#include "office/excel/model/worksheet.h"

#include <QByteArray>
#include <QString>

#include <vector>

// A fast reader for the bulk of a worksheet part: the <sheetData> element (ECMA-376 Part 1,
// 18.3.1.80) of the unprefixed SpreadsheetML that Excel and most writers produce. It scans
// the UTF-8 bytes directly, which is several times faster than a general XML reader on
// hundreds of thousands of cells. Parts it cannot take (namespace prefixes, CDATA sections,
// comments, processing instructions inside the sheet data) are left to the general reader.
class XlsxSheetScanner {
public:
    // The shared strings and the map from style (xf) index to workbook format index.
    XlsxSheetScanner(const std::vector<QString>& strings, const std::vector<int>& formatIndex);

    // True when `part` holds one plain <sheetData> this scanner can take.
    static bool canScan(const QByteArray& part);

    // `part` with its <sheetData> element emptied (for the general reader to take the rest);
    // `part` itself when it has none.
    static QByteArray withoutSheetData(const QByteArray& part);

    // Read the rows and cells of `part`'s <sheetData> into `sheet`. Malformed cells are
    // skipped; returns false when the element is cut short.
    bool scan(const QByteArray& part, Worksheet& sheet) const;

    // Read the string items of a plain sharedStrings part (CT_Sst, 18.4.9) with the same
    // scanner: the text of each <si>, its rich-text runs joined, phonetic runs left out.
    // False (and `strings` untouched) when the part needs the general reader.
    static bool scanSharedStrings(const QByteArray& part, std::vector<QString>* strings);

private:
    const std::vector<QString>& m_strings;
    const std::vector<int>& m_formatIndex;
};
