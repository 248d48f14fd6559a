#pragma once

#include "office/excel/model/workbook.h"
#include "office/excel/model/workbookfileresult.h"

#include <QByteArray>
#include <QString>

#include <vector>

// Reads an Office Open XML spreadsheet package (.xlsx, .xlsm) into the workbook model:
// all sheets in workbook order, cell values (numbers, shared and inline strings, booleans,
// cached formula results), cell formats, column widths, row heights and merged ranges.
// Parts go through the package reader's limits, so a crafted archive cannot exhaust memory.
class XlsxReader {
public:
    // Read `path` into the empty `workbook`. Fails with a message naming the missing,
    // damaged, oversized or malformed part.
    static WorkbookFileResult read(const QString& path, Workbook& workbook);

    // Read one worksheet part's XML into `sheet`, given the shared strings and the map from
    // style (xf) index to workbook format index. False when the XML is malformed (what came
    // before the fault stays in the sheet).
    static bool readSheetPart(const QByteArray& xml, const std::vector<QString>& strings,
                              const std::vector<int>& formatIndex, Worksheet& sheet);
    // Append the string items of a sharedStrings part to `strings`; false when malformed.
    static bool readSharedStrings(const QByteArray& xml, std::vector<QString>& strings);
};
