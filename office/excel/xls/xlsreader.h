#pragma once

#include "office/excel/model/workbook.h"
#include "office/excel/model/workbookfileresult.h"

#include <QByteArray>
#include <QString>

// Reads an Excel 97-2003 (.xls, BIFF8) workbook into the workbook model, for templates.
//
// Read: every worksheet with its name; cell values from LABELSST, LABEL, RSTRING, NUMBER, RK,
// MULRK, BOOLERR and the cached results of FORMULA (with STRING); formatted empty cells from
// BLANK and MULBLANK; cell formats from XF, FONT, FORMAT and PALETTE; column widths
// (COLINFO), row heights (ROW), merged ranges (MERGEDCELLS) and the active sheet (WINDOW1).
// Chart sheets, macro sheets, formulas themselves, comments and drawings are passed over.
//
// Every field is read through bounds checks. A stream that is not BIFF8, a truncated record,
// a sheet position outside the stream, more than kMaxSheets sheets or more than kMaxMerges
// merged ranges on a sheet fail with a message; the workbook may then hold part of the
// content and should be discarded.
class XlsReader {
public:
    static constexpr int kMaxSheets = 4096;
    static constexpr int kMaxMerges = 16384;

    // Read the file at `path` into `workbook`, which should be empty.
    static WorkbookFileResult read(const QString& path, Workbook& workbook);
    // The same for a whole .xls file in memory.
    static WorkbookFileResult readData(const QByteArray& file, Workbook& workbook);
    // The same for a bare BIFF8 "Workbook" stream (no compound file around it).
    static WorkbookFileResult readStream(const QByteArray& stream, Workbook& workbook);
};
