#include "office/excel/xls/xlswriter.h"

#include "office/excel/model/formatfallback.h"
#include "office/excel/xls/xlsolestream.h"
#include "office/excel/xls/xlsrecordid.h"
#include "office/excel/xls/xlssharedstrings.h"
#include "office/excel/xls/xlsstyletable.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

using namespace XlsRecordId;

constexpr std::uint16_t kDefaultRowTwips = 300;  // 15 points, the model's default height
constexpr int kRowBlock = 32;                    // rows per block of ROW records
constexpr int kMaxMergesPerRecord = 1026;

// What one sheet needs beyond its cells: the rows to write and the used area.
struct SheetPlan {
    std::vector<int> rows;  // 1-based rows with cells or heights, within the limits
    int firstRow = 0, lastRow = -1, firstColumn = 0, lastColumn = -1;  // 0-based, used area
};

/* Record with one 16-bit field. */
void shortRecord(XlsRecordWriter& out, std::uint16_t id, std::uint16_t value) {
    out.beginRecord(id);
    out.putU16(value);
    out.endRecord();
}

/* BOF (MS-XLS 2.4.21) of a BIFF8 substream. */
void writeBof(XlsRecordWriter& out, std::uint16_t type) {
    out.beginRecord(kBof);
    out.putU16(kBiff8);
    out.putU16(type);
    out.putU16(0x0DBB);       // build
    out.putU16(0x07CC);       // build year
    out.putU32(0);            // file history flags
    out.putU32(kBiff8 >> 8);  // lowest BIFF version that can read all records
    out.endRecord();
}

/* RK number (MS-XLS 2.5.217) of a value, when one represents it exactly. */
bool encodeRk(double value, std::uint32_t* rk) {
    if (!std::isfinite(value)) {
        return false;
    }
    constexpr double limit = 536870912.0;  // 2^29: range of the 30-bit integer form
    for (int scaled = 0; scaled < 2; ++scaled) {
        const double candidate = scaled ? value * 100 : value;
        if (candidate == std::trunc(candidate) && std::fabs(candidate) < limit &&
            (!scaled || candidate / 100 == value)) {
            const auto integer = static_cast<std::int32_t>(candidate);
            *rk = (static_cast<std::uint32_t>(integer) << 2) | 0x2u | (scaled ? 0x1u : 0x0u);
            return true;
        }
        std::uint64_t bits = 0;
        std::memcpy(&bits, &candidate, sizeof bits);
        if ((bits & 0x3FFFFFFFFull) == 0) {
            const auto high = static_cast<std::uint32_t>(bits >> 32);
            double back = 0;
            const std::uint64_t restored = static_cast<std::uint64_t>(high) << 32;
            std::memcpy(&back, &restored, sizeof back);
            if (!scaled || back / 100 == value) {
                *rk = high | (scaled ? 0x1u : 0x0u);
                return true;
            }
        }
    }
    return false;
}

/* Message for a cell beyond Excel 97's sheet. */
QString beyondLimits(const Worksheet& sheet, int row, int column) {
    return QStringLiteral(
               "Sheet \"%1\": cell %2 lies beyond the %3 rows and %4 columns an .xls "
               "workbook can hold; save as .xlsx instead")
        .arg(sheet.name(), CellRange::cellName(row, column))
        .arg(XlsWriter::kMaxRows)
        .arg(XlsWriter::kMaxColumns);
}

/* Mark a format as used; the default (0) and indices outside the table need no mark. */
void markUsed(std::vector<char>& usedFormats, int format) {
    if (format > 0 && static_cast<size_t>(format) < usedFormats.size()) {
        usedFormats[static_cast<size_t>(format)] = 1;
    }
}

/* Why a cell cannot go into an .xls sheet, or an empty string when it can. */
QString cellProblem(const Worksheet& sheet, int row, const Cell& cell) {
    const bool inside = row <= XlsWriter::kMaxRows && cell.column <= XlsWriter::kMaxColumns;
    if (!inside && cell.hasValue()) {
        return beyondLimits(sheet, row, cell.column);
    }
    if (cell.kind == Cell::Kind::Text && cell.text.size() > XlsWriter::kMaxTextLength) {
        return QStringLiteral(
                   "Sheet \"%1\": cell %2 holds %3 characters, more than the "
                   "%4 a cell can hold")
            .arg(sheet.name(), CellRange::cellName(row, cell.column))
            .arg(cell.text.size())
            .arg(XlsWriter::kMaxTextLength);
    }
    return QString();
}

/* Widen the plan's used area (0-based) to a cell inside the limits (1-based). */
void extendUsedArea(SheetPlan& plan, int row, int cellColumn, bool& rowUsed) {
    if (!rowUsed) {
        plan.firstRow = plan.lastRow < 0 ? row - 1 : plan.firstRow;
        plan.lastRow = row - 1;
        rowUsed = true;
    }
    const int column = cellColumn - 1;
    plan.firstColumn = plan.lastColumn < 0 ? column : qMin(plan.firstColumn, column);
    plan.lastColumn = qMax(plan.lastColumn, column);
}

/* The rows a sheet writes: those with cells, heights or default formats, in order and within
   the limits; the rows' default formats are marked used. */
void planRows(const Worksheet& sheet, std::vector<char>& usedFormats, SheetPlan& plan) {
    for (const auto& entry : sheet.rows()) {
        plan.rows.push_back(entry.first);
    }
    for (const auto& height : sheet.rowHeights()) {
        plan.rows.push_back(height.first);
    }
    for (const auto& format : sheet.rowFormats()) {
        plan.rows.push_back(format.first);
        markUsed(usedFormats, format.second);
    }
    std::sort(plan.rows.begin(), plan.rows.end());
    plan.rows.erase(std::unique(plan.rows.begin(), plan.rows.end()), plan.rows.end());
    plan.rows.erase(std::upper_bound(plan.rows.begin(), plan.rows.end(), XlsWriter::kMaxRows),
                    plan.rows.end());
}

/* Check one sheet against Excel 97's limits, note used formats and plan its rows. */
QString planSheet(const Worksheet& sheet, std::vector<char>& usedFormats, SheetPlan& plan) {
    for (const auto& [row, entry] : sheet.rows()) {
        bool rowUsed = false;
        for (const Cell& cell : entry.cells) {
            const QString problem = cellProblem(sheet, row, cell);
            if (!problem.isEmpty()) {
                return problem;
            }
            if (row <= XlsWriter::kMaxRows && cell.column <= XlsWriter::kMaxColumns) {
                markUsed(usedFormats, cell.format);
                extendUsedArea(plan, row, cell.column, rowUsed);
            }
        }
    }
    for (const CellRange& merge : sheet.merges()) {
        if (merge.lastRow > XlsWriter::kMaxRows || merge.lastColumn > XlsWriter::kMaxColumns) {
            return beyondLimits(sheet, merge.lastRow, merge.lastColumn);
        }
    }
    // Default formats of rows and columns need their XF records too.
    for (const auto& run : sheet.columnFormats()) {
        markUsed(usedFormats, run.second.format);
    }
    planRows(sheet, usedFormats, plan);
    return QString();
}

/* The fixed records at the head of the globals substream, up to BOOKBOOL. */
void writeGlobalsHead(XlsRecordWriter& out, const Workbook& workbook) {
    writeBof(out, kGlobalsStream);
    shortRecord(out, kInterfaceHdr, 1200);
    shortRecord(out, kMms, 0);
    out.emptyRecord(kInterfaceEnd);
    // WriteAccess (MS-XLS 2.4.349): the program as the user name, padded to 112 bytes.
    out.beginRecord(kWriteAccess);
    out.putString(QStringLiteral("Sheetweaver"));
    while (out.recordSize() < 112) {
        out.putU8(0x20);
    }
    out.endRecord();
    shortRecord(out, kCodePage, 1200);  // UTF-16
    shortRecord(out, kDsf, 0);
    out.beginRecord(kTabId);
    for (int i = 0; i < workbook.sheetCount(); ++i) {
        out.putU16(static_cast<std::uint16_t>(i + 1));
    }
    out.endRecord();
    shortRecord(out, kFnGroupCount, 14);
    shortRecord(out, kWindowProtect, 0);
    shortRecord(out, kProtect, 0);
    shortRecord(out, kPassword, 0);
    shortRecord(out, kProt4Rev, 0);
    shortRecord(out, kProt4RevPass, 0);
    // Window1 (MS-XLS 2.4.345): position, size, scroll bars and tabs shown, active sheet.
    out.beginRecord(kWindow1);
    out.putU16(0x0168);
    out.putU16(0x001E);
    out.putU16(0x4A38);
    out.putU16(0x2B3C);
    out.putU16(0x0038);
    out.putU16(static_cast<std::uint16_t>(workbook.activeSheet()));
    out.putU16(0);
    out.putU16(1);
    out.putU16(600);
    out.endRecord();
    shortRecord(out, kBackup, 0);
    shortRecord(out, kHideObj, 0);
    shortRecord(out, kDateMode, 0);
    shortRecord(out, kPrecision, 1);
    shortRecord(out, kRefreshAll, 0);
    shortRecord(out, kBookBool, 0);
}

/* The fixed calculation and print records at the head of a sheet. */
void writeSheetHead(XlsRecordWriter& out) {
    shortRecord(out, kCalcMode, 1);
    shortRecord(out, kCalcCount, 100);
    shortRecord(out, kRefMode, 1);
    shortRecord(out, kIteration, 0);
    out.beginRecord(kDelta);
    out.putF64(0.001);
    out.endRecord();
    shortRecord(out, kSaveRecalc, 1);
    shortRecord(out, kPrintHeaders, 0);
    shortRecord(out, kPrintGridlines, 0);
    shortRecord(out, kGridSet, 1);
    out.beginRecord(kGuts);
    out.putZeros(8);
    out.endRecord();
    out.beginRecord(kDefaultRowHeight);
    out.putU16(0);
    out.putU16(kDefaultRowTwips);
    out.endRecord();
    shortRecord(out, kWsBool, 0x04C1);
    // Page setup: empty header and footer, not centred, default Setup (MS-XLS 2.4.257).
    out.emptyRecord(kHeader);
    out.emptyRecord(kFooter);
    shortRecord(out, kHCenter, 0);
    shortRecord(out, kVCenter, 0);
    out.beginRecord(kSetup);
    out.putU16(0);       // paper size
    out.putU16(100);     // scale
    out.putU16(1);       // first page number
    out.putU16(1);       // fit to width
    out.putU16(1);       // fit to height
    out.putU16(0x0004);  // fNoPls: the printer fields are not set
    out.putU16(0);
    out.putU16(0);
    out.putF64(0.3);  // header margin, inches
    out.putF64(0.3);  // footer margin
    out.putU16(1);    // copies
    out.endRecord();
    shortRecord(out, kDefColWidth, 8);
}

/* Dimensions (MS-XLS 2.4.90) of the used area. */
void writeDimensions(XlsRecordWriter& out, const SheetPlan& plan) {
    const bool empty = plan.lastRow < 0;
    out.beginRecord(kDimensions);
    out.putU32(empty ? 0 : static_cast<std::uint32_t>(plan.firstRow));
    out.putU32(empty ? 0 : static_cast<std::uint32_t>(plan.lastRow + 1));
    out.putU16(empty ? 0 : static_cast<std::uint16_t>(plan.firstColumn));
    out.putU16(empty ? 0 : static_cast<std::uint16_t>(plan.lastColumn + 1));
    out.putU16(0);
    out.endRecord();
}

}  // namespace

namespace {

// The workbook-wide tables the cell records refer to.
struct CellContext {
    const std::vector<std::uint16_t>& xfOf;  // model format index -> XF index
    XlsSharedStrings& strings;

    /* XF index of a model format index. */
    std::uint16_t xf(int format) const {
        return format > 0 && static_cast<size_t>(format) < xfOf.size()
                   ? xfOf[static_cast<size_t>(format)]
                   : XlsStyleTable::kDefaultXf;
    }
};

/* ColInfo (MS-XLS 2.4.53) records, one per run of columns with one width and format. */
void writeColumnInfo(XlsRecordWriter& out, const CellContext& context, const Worksheet& sheet) {
    for (const Worksheet::ColumnSpan& span : sheet.columnSpans()) {
        if (span.first > XlsWriter::kMaxColumns) {
            break;
        }
        const bool custom = span.width >= 0;
        const int units =
            XlsWriter::widthToUnits(custom ? span.width : Worksheet::kDefaultColumnWidth);
        out.beginRecord(kColInfo);
        out.putU16(static_cast<std::uint16_t>(span.first - 1));
        out.putU16(static_cast<std::uint16_t>(qMin(span.last, XlsWriter::kMaxColumns) - 1));
        out.putU16(static_cast<std::uint16_t>(units));
        out.putU16(context.xf(span.format));
        // fUserSet for a set width; fHidden too when it is zero.
        out.putU16(!custom ? 0 : units == 0 ? 0x0003 : 0x0002);
        out.putU16(0);
        out.endRecord();
    }
}

/* Row (MS-XLS 2.4.221) of one row: its cell span, height and default format. */
void writeRowRecord(XlsRecordWriter& out, const CellContext& context, const Worksheet& sheet,
                    int row) {
    int first = 0;
    int last = 0;
    const auto found = sheet.rows().find(row);
    if (found != sheet.rows().end() && !found->second.cells.empty()) {
        const std::vector<Cell>& cells = found->second.cells;
        first = qMin(cells.front().column, XlsWriter::kMaxColumns) - 1;
        for (auto it = cells.rbegin(); it != cells.rend(); ++it) {
            if (it->column <= XlsWriter::kMaxColumns) {
                last = it->column;
                break;
            }
        }
    }
    const auto height = sheet.rowHeights().find(row);
    const bool sized = height != sheet.rowHeights().end();
    // A fitted height is stored without fUnsynced: it is what the row's text needs.
    const bool custom = sheet.hasCustomHeight(row);
    const long twips = sized ? qBound(0L, std::lround(height->second * 20), 8180L) : 0;
    out.beginRecord(kRow);
    out.putU16(static_cast<std::uint16_t>(row - 1));
    out.putU16(static_cast<std::uint16_t>(first));
    out.putU16(static_cast<std::uint16_t>(qMax(first, last)));
    out.putU16(sized ? static_cast<std::uint16_t>(twips) : kDefaultRowTwips);
    out.putU16(0);
    out.putU16(0);
    // Reserved bit 8 set; fUnsynced (0x40) for a set height, fDyZero (0x20) when hidden;
    // fGhostDirty (0x80) when ixfe (bits 16-27) is the row's default format.
    const int rowFormat = sheet.rowFormat(row);
    std::uint32_t flags = 0x0100u | (std::uint32_t{context.xf(rowFormat)} & 0x0FFFu) << 16;
    if (sized && (custom || twips == 0)) {
        flags |= twips == 0 ? 0x60u : 0x40u;
    }
    if (rowFormat != 0) {
        flags |= 0x80u;
    }
    out.putU32(flags);
    out.endRecord();
}

/* Cell header (MS-XLS 2.5.13 Cell): row, column, XF. */
void putCell(XlsRecordWriter& out, int row, int column, std::uint16_t xf) {
    out.putU16(static_cast<std::uint16_t>(row - 1));
    out.putU16(static_cast<std::uint16_t>(column - 1));
    out.putU16(xf);
}

/* Number of cells from `at` on that sit in consecutive columns and pass `accept`. */
template <typename Accept>
size_t runLength(const std::vector<Cell>& cells, size_t at, Accept accept) {
    size_t end = at + 1;
    while (end < cells.size() && cells[end].column == cells[end - 1].column + 1 &&
           cells[end].column <= XlsWriter::kMaxColumns && accept(cells[end])) {
        ++end;
    }
    return end - at;
}

/* Numbers from `at` on: MULRK (MS-XLS 2.4.175) for runs of RK values, else RK or NUMBER. */
size_t writeNumbers(XlsRecordWriter& out, const CellContext& context, int row,
                    const std::vector<Cell>& cells, size_t at) {
    std::uint32_t rk = 0;
    const Cell& first = cells[at];
    if (!encodeRk(first.number, &rk)) {
        out.beginRecord(kNumber);
        putCell(out, row, first.column, context.xf(first.format));
        out.putF64(first.number);
        out.endRecord();
        return 1;
    }
    std::uint32_t ignored = 0;
    const size_t count = runLength(cells, at, [&](const Cell& cell) {
        return cell.kind == Cell::Kind::Number && encodeRk(cell.number, &ignored);
    });
    if (count == 1) {
        out.beginRecord(kRk);
        putCell(out, row, first.column, context.xf(first.format));
        out.putU32(rk);
        out.endRecord();
        return 1;
    }
    out.beginRecord(kMulRk);
    out.putU16(static_cast<std::uint16_t>(row - 1));
    out.putU16(static_cast<std::uint16_t>(first.column - 1));
    for (size_t i = at; i < at + count; ++i) {
        encodeRk(cells[i].number, &rk);
        out.putU16(context.xf(cells[i].format));
        out.putU32(rk);
    }
    out.putU16(static_cast<std::uint16_t>(cells[at + count - 1].column - 1));
    out.endRecord();
    return count;
}

/* Formatted empty cells from `at` on: MULBLANK (MS-XLS 2.4.174) for runs, else BLANK. */
size_t writeBlanks(XlsRecordWriter& out, const CellContext& context, int row,
                   const std::vector<Cell>& cells, size_t at) {
    const size_t count =
        runLength(cells, at, [](const Cell& cell) { return cell.kind == Cell::Kind::Empty; });
    const Cell& first = cells[at];
    if (count == 1) {
        out.beginRecord(kBlank);
        putCell(out, row, first.column, context.xf(first.format));
        out.endRecord();
        return 1;
    }
    out.beginRecord(kMulBlank);
    out.putU16(static_cast<std::uint16_t>(row - 1));
    out.putU16(static_cast<std::uint16_t>(first.column - 1));
    for (size_t i = at; i < at + count; ++i) {
        out.putU16(context.xf(cells[i].format));
    }
    out.putU16(static_cast<std::uint16_t>(cells[at + count - 1].column - 1));
    out.endRecord();
    return count;
}

/* The cell records of one row. */
void writeRowCells(XlsRecordWriter& out, const CellContext& context, int row,
                   const std::vector<Cell>& cells) {
    size_t at = 0;
    while (at < cells.size() && cells[at].column <= XlsWriter::kMaxColumns) {
        const Cell& cell = cells[at];
        switch (cell.kind) {
            case Cell::Kind::Text:
                out.beginRecord(kLabelSst);
                putCell(out, row, cell.column, context.xf(cell.format));
                out.putU32(context.strings.add(cell.text));
                out.endRecord();
                ++at;
                break;
            case Cell::Kind::Boolean:
                out.beginRecord(kBoolErr);
                putCell(out, row, cell.column, context.xf(cell.format));
                out.putU8(cell.number != 0 ? 1 : 0);
                out.putU8(0);
                out.endRecord();
                ++at;
                break;
            case Cell::Kind::Number:
                at += writeNumbers(out, context, row, cells, at);
                break;
            case Cell::Kind::Empty:
                at += writeBlanks(out, context, row, cells, at);
                break;
        }
    }
}

/* ROW records and cells in blocks of 32 rows, as Excel lays them out. */
void writeRows(XlsRecordWriter& out, const CellContext& context, const Worksheet& sheet,
               const SheetPlan& plan) {
    for (size_t block = 0; block < plan.rows.size(); block += kRowBlock) {
        const size_t end = qMin(plan.rows.size(), block + kRowBlock);
        for (size_t i = block; i < end; ++i) {
            writeRowRecord(out, context, sheet, plan.rows[i]);
        }
        for (size_t i = block; i < end; ++i) {
            const auto found = sheet.rows().find(plan.rows[i]);
            if (found != sheet.rows().end()) {
                writeRowCells(out, context, plan.rows[i], found->second.cells);
            }
        }
    }
}

/* Window2 (MS-XLS 2.4.346) and Selection (MS-XLS 2.4.248) of a sheet. */
void writeWindow(XlsRecordWriter& out, const Worksheet& sheet, bool active) {
    out.beginRecord(kWindow2);
    // Grid, headers, zeros, automatic grid colour, outline symbols; selected and shown when
    // it is the active sheet.
    out.putU16(active ? 0x06B6 : 0x00B6);
    out.putU16(0);
    out.putU16(0);
    out.putU16(0x40);
    out.putU16(0);
    out.putU16(0);
    out.putU16(0);
    out.putU16(0);
    out.putU16(0);
    out.endRecord();
    const CellRange& range = sheet.selection();
    const auto row = [](int value) {
        return static_cast<std::uint16_t>(qBound(1, value, XlsWriter::kMaxRows) - 1);
    };
    const auto column = [](int value) {
        return static_cast<std::uint8_t>(qBound(1, value, XlsWriter::kMaxColumns) - 1);
    };
    out.beginRecord(kSelection);
    out.putU8(3);  // the only pane
    out.putU16(row(range.firstRow));
    out.putU16(column(range.firstColumn));
    out.putU16(0);
    out.putU16(1);
    out.putU16(row(range.firstRow));
    out.putU16(row(range.lastRow));
    out.putU8(column(range.firstColumn));
    out.putU8(column(range.lastColumn));
    out.endRecord();
}

/* MergeCells (MS-XLS 2.4.168) records of at most 1026 ranges each. */
void writeMerges(XlsRecordWriter& out, const Worksheet& sheet) {
    const std::vector<CellRange>& merges = sheet.merges();
    for (size_t first = 0; first < merges.size(); first += kMaxMergesPerRecord) {
        const size_t end = qMin(merges.size(), first + kMaxMergesPerRecord);
        out.beginRecord(kMergeCells);
        out.putU16(static_cast<std::uint16_t>(end - first));
        for (size_t i = first; i < end; ++i) {
            out.putU16(static_cast<std::uint16_t>(merges[i].firstRow - 1));
            out.putU16(static_cast<std::uint16_t>(merges[i].lastRow - 1));
            out.putU16(static_cast<std::uint16_t>(merges[i].firstColumn - 1));
            out.putU16(static_cast<std::uint16_t>(merges[i].lastColumn - 1));
        }
        out.endRecord();
    }
}

/* One worksheet substream. */
void writeSheet(XlsRecordWriter& out, const CellContext& context, const Worksheet& sheet,
                const SheetPlan& plan, bool active) {
    writeBof(out, kWorksheetStream);
    writeSheetHead(out);
    writeColumnInfo(out, context, sheet);
    writeDimensions(out, plan);
    writeRows(out, context, sheet, plan);
    writeWindow(out, sheet, active);
    writeMerges(out, sheet);
    out.emptyRecord(kEof);
}

/* The XF of each used format; formats left without room take the XF of the nearest kept, and
   `warning` says how many did. */
std::vector<std::uint16_t> assignXfs(const FormatTable& formats,
                                     const std::vector<char>& usedFormats, XlsStyleTable& styles,
                                     QString& warning) {
    std::vector<std::uint16_t> xfOf(usedFormats.size(), XlsStyleTable::kDefaultXf);
    std::vector<int> withoutRoom;
    for (int i = 1; i < formats.size(); ++i) {
        if (usedFormats[static_cast<size_t>(i)]) {
            xfOf[static_cast<size_t>(i)] = styles.xfFor(formats.at(i));
            if (xfOf[static_cast<size_t>(i)] == XlsStyleTable::kNoRoom) {
                withoutRoom.push_back(i);
            }
        }
    }
    if (withoutRoom.empty()) {
        return xfOf;
    }
    FormatFallback fallback;
    fallback.keep(formats.at(0), 0);
    for (int i = 1; i < formats.size(); ++i) {
        const std::uint16_t xf = xfOf[static_cast<size_t>(i)];
        if (usedFormats[static_cast<size_t>(i)] && xf != XlsStyleTable::kNoRoom) {
            fallback.keep(formats.at(i), i);
        }
    }
    for (int i : withoutRoom) {
        const int nearest = fallback.nearest(formats.at(i));
        xfOf[static_cast<size_t>(i)] =
            nearest > 0 ? xfOf[static_cast<size_t>(nearest)] : XlsStyleTable::kDefaultXf;
    }
    warning =
        FormatFallback::warning(static_cast<int>(withoutRoom.size()), XlsStyleTable::kMaxCellXfs);
    return xfOf;
}

/* BoundSheet8 (MS-XLS 2.4.28) with its stream position still to be patched; returns where. */
int writeBoundSheet(XlsRecordWriter& out, const Worksheet& sheet) {
    out.beginRecord(kBoundSheet);
    const int position = out.position();
    out.putU32(0);
    out.putU8(0);  // visible
    out.putU8(0);  // worksheet
    out.putShortString(sheet.name());
    out.endRecord();
    return position;
}

}  // namespace

namespace {

/* Plan every sheet, noting the formats used and counting the cells; the first sheet's problem
   with Excel 97's limits, or an empty string. */
QString planSheets(const Workbook& workbook, std::vector<char>& usedFormats,
                   std::vector<SheetPlan>& plans, long long& cells) {
    for (int i = 0; i < workbook.sheetCount(); ++i) {
        const Worksheet& sheet = *workbook.sheet(i);
        const QString problem = planSheet(sheet, usedFormats, plans[static_cast<size_t>(i)]);
        if (!problem.isEmpty()) {
            return problem;
        }
        cells += sheet.cellCount();
    }
    return QString();
}

/* Give the used formats' colours their palette places, then each used format its XF. */
std::vector<std::uint16_t> styleFormats(const FormatTable& formats,
                                        const std::vector<char>& usedFormats, XlsStyleTable& styles,
                                        QString& warning) {
    for (int i = 1; i < formats.size(); ++i) {
        if (usedFormats[static_cast<size_t>(i)]) {
            styles.noteColors(formats.at(i));
        }
    }
    styles.assignColors();
    return assignXfs(formats, usedFormats, styles, warning);
}

/* Write every sheet's substream; returns where each one starts. */
std::vector<int> writeSheets(XlsRecordWriter& sheets, const CellContext& context,
                             const Workbook& workbook, const std::vector<SheetPlan>& plans) {
    std::vector<int> sheetOffsets;
    for (int i = 0; i < workbook.sheetCount(); ++i) {
        sheetOffsets.push_back(sheets.position());
        writeSheet(sheets, context, *workbook.sheet(i), plans[static_cast<size_t>(i)],
                   i == workbook.activeSheet());
    }
    return sheetOffsets;
}

/* The globals substream, whose BoundSheet8 records point to the sheets that will follow it
   (at sheetOffsets from its end). */
void writeGlobals(XlsRecordWriter& out, const Workbook& workbook, const XlsStyleTable& styles,
                  const XlsSharedStrings& strings, const std::vector<int>& sheetOffsets) {
    writeGlobalsHead(out, workbook);
    styles.write(out);
    shortRecord(out, kUsesElfs, 1);
    std::vector<int> patches;
    for (int i = 0; i < workbook.sheetCount(); ++i) {
        patches.push_back(writeBoundSheet(out, *workbook.sheet(i)));
    }
    // Country (MS-XLS 2.4.63): United States user interface, China system settings.
    out.beginRecord(kCountry);
    out.putU16(1);
    out.putU16(86);
    out.endRecord();
    strings.write(out);
    out.emptyRecord(kEof);
    const int globalsSize = out.position();
    for (size_t i = 0; i < patches.size(); ++i) {
        out.patchU32(patches[i], static_cast<std::uint32_t>(globalsSize + sheetOffsets[i]));
    }
}

}  // namespace

/* Plan, write the sheets into their own buffer, then the globals, then join them. */
WorkbookFileResult XlsWriter::buildStream(const Workbook& workbook, QByteArray& stream) {
    if (workbook.sheetCount() == 0) {
        // Excel opens no workbook without a sheet.
        return WorkbookFileResult::failure(QStringLiteral("The workbook has no sheet"));
    }
    const FormatTable& formats = workbook.formatTable();
    std::vector<char> usedFormats(static_cast<size_t>(formats.size()), 0);
    std::vector<SheetPlan> plans(static_cast<size_t>(workbook.sheetCount()));
    long long cells = 0;
    const QString problem = planSheets(workbook, usedFormats, plans, cells);
    if (!problem.isEmpty()) {
        return WorkbookFileResult::failure(problem);
    }
    XlsStyleTable styles(defaultFontName(), kDefaultFontSize);
    QString warning;
    const std::vector<std::uint16_t> xfOf = styleFormats(formats, usedFormats, styles, warning);
    if (!styles.result()) {
        return styles.result();
    }

    XlsSharedStrings strings;
    strings.reserve(static_cast<int>(qMin(cells, 1LL << 22)));
    XlsRecordWriter sheets;
    sheets.reserve(static_cast<int>(qMin(cells * 16 + 4096, 1LL << 30)));
    const std::vector<int> sheetOffsets =
        writeSheets(sheets, CellContext{xfOf, strings}, workbook, plans);

    XlsRecordWriter out;
    out.reserve(sheets.position() + 65536);
    writeGlobals(out, workbook, styles, strings, sheetOffsets);
    out.putBytes(sheets.data().constData(), sheets.data().size());
    stream = out.data();
    return WorkbookFileResult::success(warning);
}

/* Build the stream, then the compound file around it, in memory. */
WorkbookFileResult XlsWriter::writeBytes(const Workbook& workbook, QByteArray& file) {
    QByteArray stream;
    const WorkbookFileResult built = buildStream(workbook, stream);
    if (!built) {
        return built;
    }
    const WorkbookFileResult packed = XlsOleStream::build(stream, file);
    return packed ? built : packed;
}

/* Width to 1/256 units, the scale of the .xlsx width attribute. */
int XlsWriter::widthToUnits(double width) {
    if (!(width > 0)) {
        return 0;
    }
    // Clamp before converting: a double beyond int's range has no defined conversion.
    return static_cast<int>(std::lround(qMin(width * 256, 65535.0)));
}

/* 1/256 units back to a width: the hundredths a writer started from when they give the same
   units back, else the exact value. */
double XlsWriter::unitsToWidth(int units) {
    if (units <= 0) {
        return 0;
    }
    const double rounded = std::round(units / 2.56) / 100;
    return widthToUnits(rounded) == units ? rounded : units / 256.0;
}

/* Calibri, Excel's default font since 2007. */
QString XlsWriter::defaultFontName() {
    return QStringLiteral("Calibri");
}
