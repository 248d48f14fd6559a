#pragma once

#include "office/excel/model/workbook.h"
#include "office/excel/model/workbookfileresult.h"
#include "office/excel/xlsx/xmlsink.h"

#include <QHash>
#include <QString>

#include <vector>

// xl/sharedStrings.xml (CT_Sst, ECMA-376 Part 1, 18.4.9): every distinct cell text of a
// workbook once, in the order the sheets first use it.
class XlsxSharedStringsPart {
public:
    // The longest text a cell holds.
    static const int kMaxCellText = 32767;

    // Collect every cell text of `workbook`; fails, naming the cell, on a text longer than
    // kMaxCellText (nothing is cut). Call once.
    WorkbookFileResult collect(const Workbook& workbook);
    // Write the part.
    void write(XmlSink& out) const;
    // The string index of every text cell, in the order the sheets are written, so that
    // writing them needs no second lookup.
    const std::vector<int>& cellIndices() const { return m_cellIndices; }

private:
    void add(const QString& text);

    QHash<QString, int> m_index;
    std::vector<const QString*> m_strings;  // keys of m_index, in index order
    long long m_references = 0;
    std::vector<int> m_cellIndices;
};
