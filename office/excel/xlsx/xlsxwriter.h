#pragma once

#include "office/excel/model/workbook.h"
#include "office/excel/model/workbookfileresult.h"

#include <QByteArray>
#include <QString>

// Writes a workbook as an Office Open XML spreadsheet package (ECMA-376 Part 1, 18). The
// writer assembles one class per part, each writing its XML into an XmlSink (the one place
// text is escaped):
// - XlsxContentTypesPart: [Content_Types].xml;
// - XlsxRelationshipsPart: the package and workbook relationships;
// - XlsxDocPropsPart: docProps/core.xml and docProps/app.xml;
// - XlsxWorkbookPart: xl/workbook.xml;
// - XlsxStylesPart: xl/styles.xml, with XlsxStyleMap mapping formats beyond the limit;
// - XlsxSharedStringsPart: xl/sharedStrings.xml;
// - XlsxSheetPart: xl/worksheets/sheetN.xml, one per sheet;
// and XlsxPackage zips them.
class XlsxWriter {
public:
    // Build the package of `workbook` in memory into `out` (replaced), for a caller that
    // writes the file in one go. `macroEnabled` gives the .xlsm workbook content type. Fails,
    // naming the cell, when a text is longer than 32,767 characters (nothing is cut), naming
    // the sheet when a merged range reaches beyond a sheet, and when a sheet name, font name
    // or number format holds a character XML cannot carry. A workbook of more cell formats
    // than XlsxStyles::kMaxCellFormats keeps the first ones; each cell of a later format takes
    // the nearest kept one (FormatFallback), and the result's warning says so.
    static WorkbookFileResult writeBytes(const Workbook& workbook, bool macroEnabled,
                                         QByteArray& out);
};
