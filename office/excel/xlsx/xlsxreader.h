#pragma once

#include "office/excel/model/workbook.h"
#include "office/excel/model/workbook.h"
#include "office/excel/model/workbookfileresult.h"

#include <QString>

// Reads an Office Open XML spreadsheet package (.xlsx, .xlsm) into the workbook model:
// all sheets in workbook order, cell values (numbers, shared and inline strings, booleans,
// cached formula results), cell formats, column widths, row heights and merged ranges.
// Parts larger than a fixed limit are refused, so a crafted archive cannot exhaust memory.
class XlsxReader {
public:
    // Read `path` into the empty `workbook`. Fails with a message naming the missing or
    // malformed part.
    static WorkbookFileResult read(const QString& path, Workbook& workbook);
};
