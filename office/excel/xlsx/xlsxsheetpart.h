#pragma once

#include "office/excel/model/workbook.h"
#include "office/excel/model/workbookfileresult.h"
#include "office/excel/xlsx/xlsxstylemap.h"
#include "office/excel/xlsx/xmlsink.h"

#include <QByteArray>

#include <vector>

// xl/worksheets/sheetN.xml (CT_Worksheet, ECMA-376 Part 1, 18.3.1.99), in the schema's
// element order: dimension, the view with its selection and frozen rows, column widths, the
// rows with their cells, auto filter, merged cells, page margins. The sheets of one package
// are written in order through one XlsxSheetPart, which hands their text cells the shared
// string indices in turn.
class XlsxSheetPart {
public:
    // Sheets whose cells take their style indices from `styles` and whose text cells take the
    // indices in `stringIndices`, in the order the sheets are written (both outlive this).
    XlsxSheetPart(const XlsxStyleMap& styles, const std::vector<int>& stringIndices);

    // Fails, naming the sheet, when a merged range lies outside the rows and columns a sheet
    // can hold: a reference beyond them makes the file unreadable.
    static WorkbookFileResult checkMerges(const Workbook& workbook);

    // Write the next sheet; `selected` for the active one.
    void write(XmlSink& out, const Worksheet& sheet, bool selected);

private:
    void writeHead(XmlSink& out, const Worksheet& sheet, bool selected) const;
    void writeColumns(XmlSink& out, const Worksheet& sheet) const;
    void writeRows(XmlSink& out, const Worksheet& sheet);
    void writeCells(XmlSink& out, const std::vector<Cell>& cells, const QByteArray& rowText);
    void writeTail(XmlSink& out, const Worksheet& sheet) const;

    const XlsxStyleMap& m_styles;
    const int* m_stringIndex;               // the next text cell's string index
    std::vector<QByteArray> m_columnNames;  // "A", "B"... by column, made once when first used
};
