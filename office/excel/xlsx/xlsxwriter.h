#pragma once

#include "office/excel/model/workbook.h"
#include "office/excel/model/workbookfileresult.h"

#include <QByteArray>
#include <QString>

// Writes a workbook as an Office Open XML spreadsheet package (ECMA-376 Part 1, 18):
// [Content_Types].xml, the package and workbook relationships, workbook.xml, styles.xml,
// sharedStrings.xml and one worksheet part per sheet.
class XlsxWriter {
public:
    // Write `workbook` into the file `path` (created or truncated). `macroEnabled` gives
    // the .xlsm workbook content type. Fails, naming the cell, when a text is longer than
    // 32,767 characters (nothing is cut), or when the file cannot be written; the caller
    // removes the incomplete file. A workbook of more cell formats than
    // XlsxStyles::kMaxCellFormats keeps the first ones; each cell of a later format takes the
    // nearest kept one (FormatFallback), and `warning` (when given) says so; it is left empty
    // otherwise.
    static WorkbookFileResult write(const Workbook& workbook, const QString& path,
                                    bool macroEnabled, QString* warning = nullptr);
    // The same package built in memory into `out` (replaced), for a caller that writes the
    // file in one go.
    static WorkbookFileResult writeBytes(const Workbook& workbook, bool macroEnabled,
                                         QByteArray& out, QString* warning = nullptr);
};
