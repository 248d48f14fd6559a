#pragma once

#include "office/excel/model/workbook.h"
#include "office/excel/model/workbookfileresult.h"

#include <QByteArray>
#include <QString>

// Writes a workbook as an Excel 97-2003 file: a BIFF8 "Workbook" stream (MS-XLS) in an OLE2
// compound file.
//
// The globals substream holds BOF, CODEPAGE 1200, WINDOW1, the fonts, number formats, XFs,
// STYLE and PALETTE (XlsStyleTable), one BOUNDSHEET per sheet, the shared strings (SST,
// CONTINUE, EXTSST) and EOF; each sheet substream BOF, DIMENSIONS, COLINFO, ROW, the cells
// (LABELSST, NUMBER, RK/MULRK, BOOLERR, BLANK/MULBLANK), WINDOW2, SELECTION, MERGEDCELLS and
// EOF.
//
// Nothing is cut to fit Excel 97: a value or merge beyond row 65,536 or column 256 (IV), a
// text longer than 32,767 characters, more than 510 fonts or 210 number formats, or a number
// format longer than 255 characters fail the save with a message naming the sheet and cell
// where there is one; so does a workbook without sheets. Formats of empty cells beyond the
// limits, and widths and heights there, carry no content and are left out. Cell formats
// beyond the 4,000 distinct XF records Excel 97 holds take the XF of the nearest kept format
// (FormatFallback), with a warning.
class XlsWriter {
public:
    static constexpr int kMaxRows = 65536;
    static constexpr int kMaxColumns = 256;
    static constexpr int kMaxTextLength = 32767;
    // The workbook's default font (FONT 0): what a cell format without a font name and size
    // is written with, as Worksheet's default row height of 15 points assumes.
    static constexpr double kDefaultFontSize = 11;
    static QString defaultFontName();

    // Build the whole file of `workbook` in memory into `file`, for a caller that writes it in
    // one go. On failure the error names what did not fit. The result's warning says how
    // many cell formats took the nearest kept one.
    static WorkbookFileResult writeBytes(const Workbook& workbook, QByteArray& file);

    // Build the BIFF8 "Workbook" stream only (no compound file), same checks as writeBytes().
    static WorkbookFileResult buildStream(const Workbook& workbook, QByteArray& stream);

    // Column width to COLINFO's 1/256 of a character (MS-XLS 2.4.53 coldx). The model's
    // widths are on the scale of the .xlsx width attribute, padding included, which is
    // coldx / 256, so a width gives the same column in both formats.
    static int widthToUnits(double width);
    // The inverse: the width in hundredths that gives these units, else units / 256.
    static double unitsToWidth(int units);
};
