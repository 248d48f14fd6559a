#include "office/excel/xls/xlsreader.h"

#include "office/excel/model/builtinnumberformats.h"
#include "office/excel/xls/xlsbytecursor.h"
#include "office/excel/xls/xlsolestream.h"
#include "office/excel/xls/xlsrecordid.h"
#include "office/excel/xls/xlspalette.h"
#include "office/excel/xls/xlsrecordreader.h"
#include "office/excel/xls/xlsstyletable.h"
#include "office/excel/xls/xlswriter.h"

#include <QHash>
#include <QSet>

#include <cstring>
#include <optional>
#include <vector>

namespace {

using namespace XlsRecordId;

constexpr int kLastColumn = 255;  // BIFF8 sheets have 256 columns

// FONT (MS-XLS 2.4.122), as cell formats need it.
struct FontInfo {
    QString name;
    double size = 0;
    bool bold = false;
    bool italic = false;
    bool strike = false;
    CellFormat::Underline underline = CellFormat::Underline::None;
    std::uint16_t color = XlsPalette::kAutoFont;
};

// XF (MS-XLS 2.4.353) fields.
struct XfInfo {
    std::uint16_t font = 0;
    std::uint16_t numberFormat = 0;
    std::uint8_t alignment = 0x20;
    std::uint32_t borders = 0;
    std::uint32_t bordersAndFill = 0;
    std::uint16_t fillColors = 0x20C0;
};

// BOUNDSHEET8 (MS-XLS 2.4.28).
struct SheetEntry {
    std::uint32_t position = 0;
    std::uint8_t type = 0;
    QString name;
};

/* Value of an RK number (MS-XLS 2.5.217). */
double decodeRk(std::uint32_t rk) {
    double value = 0;
    if (rk & 0x2u) {
        value = static_cast<std::int32_t>(rk) >> 2;
    } else {
        const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 0x1u) ? value / 100 : value;
}

/* Text Excel shows for an error value (MS-XLS 2.5.10 BErr). */
QString errorText(std::uint8_t code) {
    switch (code) {
        case 0x00:
            return QStringLiteral("#NULL!");
        case 0x07:
            return QStringLiteral("#DIV/0!");
        case 0x0F:
            return QStringLiteral("#VALUE!");
        case 0x17:
            return QStringLiteral("#REF!");
        case 0x1D:
            return QStringLiteral("#NAME?");
        case 0x24:
            return QStringLiteral("#NUM!");
        default:
            return QStringLiteral("#N/A");
    }
}

/* Border style of a BorderStyle value (MS-XLS 2.5.4); dash variants map to the nearest. */
BorderLine::Style borderStyle(std::uint32_t value) {
    switch (value & 0x0F) {
        case 0:
            return BorderLine::None;
        case 1:
            return BorderLine::Thin;
        case 2:
            return BorderLine::Medium;
        case 4:
        case 11:
        case 12:
            return BorderLine::Dotted;
        case 5:
            return BorderLine::Thick;
        case 6:
            return BorderLine::Double;
        case 7:
            return BorderLine::Hair;
        default:
            return BorderLine::Dashed;
    }
}

/* Horizontal alignment of an alc value; fill, centre-across and distributed map nearest. */
CellFormat::HAlign horizontalAlignment(int alc) {
    switch (alc) {
        case 1:
        case 4:
            return CellFormat::HAlign::Left;
        case 2:
        case 6:
            return CellFormat::HAlign::Center;
        case 3:
            return CellFormat::HAlign::Right;
        case 5:
        case 7:
            return CellFormat::HAlign::Justify;
        default:
            return CellFormat::HAlign::General;
    }
}

/* Vertical alignment of an alcV value. */
CellFormat::VAlign verticalAlignment(int alcV) {
    switch (alcV) {
        case 0:
        case 3:
            return CellFormat::VAlign::Top;
        case 1:
        case 4:
            return CellFormat::VAlign::Center;
        default:
            return CellFormat::VAlign::Bottom;
    }
}

// Reads one BIFF8 stream into a workbook: the globals first, then each worksheet.
class BookParser {
public:
    BookParser(const QByteArray& stream, Workbook& workbook)
        : m_stream(stream), m_workbook(workbook), m_records(stream) {}

    WorkbookFileResult run();

private:
    Result readGlobals();
    Result readGlobalRecord(const XlsRecord& record);
    void readFont(XlsByteCursor& in);
    void readXf(XlsByteCursor& in);
    void readSharedStrings(const XlsRecord& record);
    Result readSheet(const SheetEntry& entry);
    void readSheetRecord(const XlsRecord& record, Worksheet& sheet);
    void readCellRecord(const XlsRecord& record, Worksheet& sheet);
    void readMulti(const XlsRecord& record, Worksheet& sheet);
    void readFormula(XlsByteCursor& in, Worksheet& sheet);
    void readLayoutRecord(const XlsRecord& record, Worksheet& sheet);
    void setValue(Worksheet& sheet, int row, int column, std::uint16_t xf, Cell cell);
    int formatIndex(std::uint16_t xf);
    CellFormat cellFormat(const XfInfo& xf) const;
    std::uint32_t paletteColor(int index) const;

    const QByteArray& m_stream;
    Workbook& m_workbook;
    XlsRecordReader m_records;
    std::vector<FontInfo> m_fonts;  // by font index; index 4 is a placeholder
    QHash<int, QString> m_formats;
    std::vector<XfInfo> m_xfs;
    XlsPalette m_palette;
    std::vector<SheetEntry> m_sheets;
    std::vector<QString> m_strings;
    QHash<int, int> m_formatOfXf;
    int m_activeTab = 0;
    qint64 m_budget = 0;  // bytes the sheet walks may still read
    int m_merges = 0;
    bool m_tooManyMerges = false;
    struct {
        bool waiting = false;
        int row = 0, column = 0;
        std::uint16_t xf = 0;
    } m_pendingString;  // a FORMULA whose string result follows in a STRING record
};

/* Globals, then every worksheet in order. */
WorkbookFileResult BookParser::run() {
    const Result globals = readGlobals();
    if (!globals) {
        return globals;
    }
    // Sheets never overlap, so a sound file is read once; the budget stops a crafted one
    // that points many sheets into one long substream.
    m_budget = 2LL * m_stream.size() + 65536;
    int activeSheet = 0;
    for (size_t i = 0; i < m_sheets.size(); ++i) {
        if (m_sheets[i].type != 0) {
            continue;  // chart, macro or dialog sheet
        }
        if (static_cast<int>(i) == m_activeTab) {
            activeSheet = m_workbook.sheetCount();
        }
        const Result sheet = readSheet(m_sheets[i]);
        if (!sheet) {
            return sheet;
        }
    }
    if (m_workbook.sheetCount() == 0) {
        return WorkbookFileResult::failure(QStringLiteral("The workbook holds no worksheet"));
    }
    m_workbook.setActiveSheet(activeSheet);
    return WorkbookFileResult::success();
}

/* The globals substream: BOF, formatting tables, sheets, shared strings, up to EOF. */
Result BookParser::readGlobals() {
    const std::optional<XlsRecord> bofRecord = m_records.next();
    if (!bofRecord || bofRecord->id != kBof || bofRecord->size < 4) {
        return Result::failure(Result::Status::WrongFormat,
                               QStringLiteral("Not an Excel workbook stream (no BOF record)"));
    }
    XlsByteCursor bof(bofRecord->data, bofRecord->size);
    const std::uint16_t version = bof.u16();
    if (version != kBiff8) {
        return Result::failure(
            Result::Status::Unsupported,
            QStringLiteral("Only Excel 97-2003 (BIFF8) workbooks are supported"));
    }
    while (const std::optional<XlsRecord> record = m_records.next()) {
        if (record->id == kEof) {
            return Result::success();
        }
        const Result read = readGlobalRecord(*record);
        if (!read) {
            return read;
        }
    }
    return Result::failure(Result::Status::Malformed,
                           QStringLiteral("The workbook globals end without an EOF record"));
}

/* One record of the globals. */
Result BookParser::readGlobalRecord(const XlsRecord& record) {
    XlsByteCursor in(record.data, record.size);
    switch (record.id) {
        case kFont:
            readFont(in);
            break;
        case kFormat: {
            const int id = in.u16();
            const QString text = in.string();
            if (!in.failed()) {
                m_formats.insert(id, text);
            }
            break;
        }
        case kXf:
            readXf(in);
            break;
        case kPalette: {
            const int count = qMin<int>(in.u16(), XlsPalette::kCount);
            for (int i = 0; i < count && !in.failed(); ++i) {
                const std::uint32_t red = in.u8(), green = in.u8(), blue = in.u8();
                in.skip(1);
                if (!in.failed()) {
                    m_palette.setColor(XlsPalette::kFirstIndex + i,
                                       (red << 16) | (green << 8) | blue);
                }
            }
            break;
        }
        case kBoundSheet: {
            SheetEntry entry;
            entry.position = in.u32();
            in.skip(1);
            entry.type = in.u8();
            entry.name = in.shortString();
            if (in.failed()) {
                return Result::failure(Result::Status::Malformed,
                                       QStringLiteral("A sheet entry (BOUNDSHEET) is truncated"));
            }
            if (m_sheets.size() >= static_cast<size_t>(XlsReader::kMaxSheets)) {
                return Result::failure(
                    Result::Status::TooLarge,
                    QStringLiteral("More than %1 sheets").arg(XlsReader::kMaxSheets));
            }
            m_sheets.push_back(entry);
            break;
        }
        case kWindow1:
            in.skip(10);
            m_activeTab = in.u16();
            break;
        case kSst:
            readSharedStrings(record);
            break;
        default:
            break;
    }
    return Result::success();
}

/* FONT; the fifth record is font 5, as index 4 does not exist. */
void BookParser::readFont(XlsByteCursor& in) {
    FontInfo font;
    font.size = in.u16() / 20.0;
    const std::uint16_t flags = in.u16();
    font.italic = (flags & 0x0002) != 0;
    font.strike = (flags & 0x0008) != 0;
    font.color = in.u16();
    font.bold = in.u16() >= 700;
    in.skip(2);
    const std::uint8_t underline = in.u8();
    font.underline = (underline == 0x01 || underline == 0x21)   ? CellFormat::Underline::Single
                     : (underline == 0x02 || underline == 0x22) ? CellFormat::Underline::Double
                                                                : CellFormat::Underline::None;
    in.skip(3);
    font.name = in.shortString();
    if (m_fonts.size() == 4) {
        m_fonts.push_back(FontInfo());
    }
    m_fonts.push_back(font);
}

/* XF fields. */
void BookParser::readXf(XlsByteCursor& in) {
    XfInfo xf;
    xf.font = in.u16();
    xf.numberFormat = in.u16();
    in.skip(2);
    xf.alignment = in.u8();
    in.skip(3);
    xf.borders = in.u32();
    xf.bordersAndFill = in.u32();
    xf.fillColors = in.u16();
    m_xfs.push_back(in.failed() ? XfInfo() : xf);
}

/* SST and its CONTINUE records as one chunked string sequence. */
void BookParser::readSharedStrings(const XlsRecord& record) {
    XlsByteCursor in(record.data, record.size);
    for (const XlsRecord& part : m_records.takeContinues()) {
        in.appendChunk(part.data, part.size);
    }
    in.skip(4);  // total references
    const std::uint32_t unique = in.u32();
    m_strings.clear();
    for (std::uint32_t i = 0; i < unique && !in.failed() && !in.atEnd(); ++i) {
        const QString text = in.richString();
        if (in.failed()) {
            break;
        }
        m_strings.push_back(text);
    }
}

/* One worksheet substream, from its BOF to the matching EOF. */
Result BookParser::readSheet(const SheetEntry& entry) {
    std::optional<XlsRecord> bofRecord;
    if (m_records.seek(static_cast<int>(qMin<std::uint32_t>(entry.position, INT32_MAX)))) {
        bofRecord = m_records.next();
    }
    if (!bofRecord || bofRecord->id != kBof) {
        return Result::failure(
            Result::Status::Malformed,
            QStringLiteral("Sheet \"%1\" does not start where the workbook says").arg(entry.name));
    }
    XlsByteCursor bof(bofRecord->data, bofRecord->size);
    bof.skip(2);
    if (bof.u16() != kWorksheetStream) {
        return Result::success();  // a chart or macro sheet filed as a worksheet: nothing to read
    }
    std::shared_ptr<Worksheet> sheet = m_workbook.addSheet(entry.name);
    if (!sheet) {
        // A name Excel itself would refuse (or a duplicate): keep the content under a new
        // name rather than lose it.
        sheet = m_workbook.addSheet();
    }
    m_merges = 0;
    m_pendingString.waiting = false;
    int depth = 1;
    while (const std::optional<XlsRecord> record = m_records.next()) {
        m_budget -= 4 + record->size;
        if (m_budget < 0) {
            return Result::failure(
                Result::Status::Malformed,
                QStringLiteral("The sheets of the workbook overlap (damaged file)"));
        }
        if (record->id == kBof) {
            ++depth;  // an embedded chart substream
        } else if (record->id == kEof) {
            if (--depth == 0) {
                break;
            }
        } else if (depth == 1) {
            readSheetRecord(*record, *sheet);
        }
    }
    if (m_records.truncated()) {
        return Result::failure(Result::Status::Malformed,
                               QStringLiteral("Sheet \"%1\" is truncated").arg(sheet->name()));
    }
    if (m_tooManyMerges) {
        return Result::failure(Result::Status::TooLarge,
                               QStringLiteral("Sheet \"%1\" has more than %2 merged ranges")
                                   .arg(sheet->name())
                                   .arg(XlsReader::kMaxMerges));
    }
    return Result::success();
}

/* Dispatch one record of a sheet. */
void BookParser::readSheetRecord(const XlsRecord& record, Worksheet& sheet) {
    switch (record.id) {
        case kLabelSst:
        case kLabel:
        case kRString:
        case kNumber:
        case kRk:
        case kBlank:
        case kBoolErr:
        case kFormula:
            m_pendingString.waiting = false;
            readCellRecord(record, sheet);
            break;
        case kMulRk:
        case kMulBlank:
            m_pendingString.waiting = false;
            readMulti(record, sheet);
            break;
        case kString: {
            if (!m_pendingString.waiting) {
                break;
            }
            m_pendingString.waiting = false;
            XlsByteCursor in(record.data, record.size);
            for (const XlsRecord& part : m_records.takeContinues()) {
                in.appendChunk(part.data, part.size);
            }
            Cell cell;
            cell.kind = Cell::Kind::Text;
            cell.text = in.string();
            setValue(sheet, m_pendingString.row, m_pendingString.column, m_pendingString.xf,
                     std::move(cell));
            break;
        }
        case kColInfo:
        case kRow:
        case kMergeCells:
            readLayoutRecord(record, sheet);
            break;
        default:
            break;
    }
}

/* Single-cell records: Cell (MS-XLS 2.5.13) header, then the value. */
void BookParser::readCellRecord(const XlsRecord& record, Worksheet& sheet) {
    XlsByteCursor in(record.data, record.size);
    if (record.id == kFormula) {
        readFormula(in, sheet);
        return;
    }
    const int row = in.u16();
    const int column = in.u16();
    const std::uint16_t xf = in.u16();
    Cell cell;
    switch (record.id) {
        case kLabelSst: {
            const std::uint32_t index = in.u32();
            if (index < m_strings.size()) {
                cell.kind = Cell::Kind::Text;
                cell.text = m_strings[index];
            }
            break;
        }
        case kLabel:
        case kRString:
            cell.kind = Cell::Kind::Text;
            cell.text = in.string();
            break;
        case kNumber:
            cell.kind = Cell::Kind::Number;
            cell.number = in.f64();
            break;
        case kRk:
            cell.kind = Cell::Kind::Number;
            cell.number = decodeRk(in.u32());
            break;
        case kBoolErr: {
            const std::uint8_t value = in.u8();
            const bool isError = in.u8() != 0;
            cell.kind = isError ? Cell::Kind::Text : Cell::Kind::Boolean;
            cell.number = isError ? 0 : (value ? 1 : 0);
            cell.text = isError ? errorText(value) : QString();
            break;
        }
        default:
            break;
    }
    if (!in.failed()) {
        setValue(sheet, row, column, xf, std::move(cell));
    }
}

/* Formula (MS-XLS 2.4.127): only the cached result (FormulaValue, MS-XLS 2.5.133). */
void BookParser::readFormula(XlsByteCursor& in, Worksheet& sheet) {
    const int row = in.u16();
    const int column = in.u16();
    const std::uint16_t xf = in.u16();
    unsigned char value[8] = {0};
    for (unsigned char& byte : value) {
        byte = in.u8();
    }
    if (in.failed()) {
        return;
    }
    Cell cell;
    if (value[6] == 0xFF && value[7] == 0xFF) {
        switch (value[0]) {
            case 0:  // a string, in the STRING record that follows
                m_pendingString = {true, row, column, xf};
                return;
            case 1:
                cell.kind = Cell::Kind::Boolean;
                cell.number = value[2] ? 1 : 0;
                break;
            case 2:
                cell.kind = Cell::Kind::Text;
                cell.text = errorText(value[2]);
                break;
            default:  // an empty string
                break;
        }
    } else {
        cell.kind = Cell::Kind::Number;
        std::memcpy(&cell.number, value, sizeof cell.number);
    }
    setValue(sheet, row, column, xf, std::move(cell));
}

/* MULRK (MS-XLS 2.4.175) and MULBLANK (MS-XLS 2.4.174): a run of cells in one row. */
void BookParser::readMulti(const XlsRecord& record, Worksheet& sheet) {
    XlsByteCursor in(record.data, record.size);
    const int row = in.u16();
    const int first = in.u16();
    const int entrySize = record.id == kMulRk ? 6 : 2;
    const int count = (record.size - 6) / entrySize;
    for (int i = 0; i < count && !in.failed(); ++i) {
        const std::uint16_t xf = in.u16();
        Cell cell;
        if (record.id == kMulRk) {
            cell.kind = Cell::Kind::Number;
            cell.number = decodeRk(in.u32());
        }
        if (!in.failed()) {
            setValue(sheet, row, first + i, xf, std::move(cell));
        }
    }
}

/* ColInfo (MS-XLS 2.4.53), Row (2.4.221) and MergeCells (2.4.168). */
void BookParser::readLayoutRecord(const XlsRecord& record, Worksheet& sheet) {
    XlsByteCursor in(record.data, record.size);
    if (record.id == kColInfo) {
        const int first = in.u16();
        const int last = qMin<int>(in.u16(), kLastColumn);
        const int units = in.u16();
        const int format = formatIndex(in.u16());
        const int options = in.u16();
        if (in.failed() || first > last) {
            return;
        }
        sheet.setColumnFormat(first + 1, last + 1, format);
        // A styled column without fUserSet or fHidden keeps the sheet's default width when it
        // carries a default width: ours, or Excel's, which counts the cell padding (0x0924).
        // Any other width is what the column shows (not every writer sets fUserSet for a
        // width it chose).
        const bool hidden = (options & 0x0001) != 0;
        const bool defaultWidth =
            units >= XlsWriter::widthToUnits(Worksheet::kDefaultColumnWidth) && units <= 0x0924;
        if (format == 0 || (options & 0x0003) != 0 || !defaultWidth) {
            for (int column = first; column <= last; ++column) {
                sheet.setColumnWidth(column + 1, hidden ? 0 : XlsWriter::unitsToWidth(units));
            }
        }
    } else if (record.id == kRow) {
        const int row = in.u16();
        in.skip(4);
        const int twips = in.u16() & 0x7FFF;
        in.skip(4);
        const std::uint32_t flags = in.u32();
        if (!in.failed() && (flags & 0x60u) != 0) {  // fUnsynced: a set height; fDyZero: hidden
            sheet.setRowHeight(row + 1, (flags & 0x20u) ? 0 : twips / 20.0);
        }
        if (!in.failed() && (flags & 0x80u) != 0) {  // fGhostDirty: ixfe is the row's format
            sheet.setRowFormat(row + 1,
                               formatIndex(static_cast<std::uint16_t>(flags >> 16 & 0x0FFF)));
        }
    } else {
        const int count = in.u16();
        for (int i = 0; i < count && !in.failed(); ++i) {
            CellRange range;
            range.firstRow = in.u16() + 1;
            range.lastRow = in.u16() + 1;
            range.firstColumn = in.u16() + 1;
            range.lastColumn = in.u16() + 1;
            if (in.failed() || range.firstRow > range.lastRow ||
                range.firstColumn > range.lastColumn || range.lastColumn > kLastColumn + 1) {
                continue;
            }
            if (++m_merges > XlsReader::kMaxMerges) {
                m_tooManyMerges = true;
                return;
            }
            sheet.addMerge(range);
        }
    }
}

/* Store a cell with its format; columns beyond BIFF8's 256 are damage and ignored. */
void BookParser::setValue(Worksheet& sheet, int row, int column, std::uint16_t xf, Cell cell) {
    if (column > kLastColumn) {
        return;
    }
    cell.format = formatIndex(xf);
    sheet.setCell(row + 1, column + 1, std::move(cell));
}

/* Model format index of an XF, interned once per XF. */
int BookParser::formatIndex(std::uint16_t xf) {
    const auto cached = m_formatOfXf.constFind(xf);
    if (cached != m_formatOfXf.constEnd()) {
        return cached.value();
    }
    const int index = static_cast<size_t>(xf) < m_xfs.size()
                          ? m_workbook.formatTable().intern(cellFormat(m_xfs[xf]))
                          : 0;
    m_formatOfXf.insert(xf, index);
    return index;
}

/* Palette colour, with automatic and system colours as kAutoColor. */
std::uint32_t BookParser::paletteColor(int index) const {
    return m_palette.color(index);
}

/* The model's cell format of an XF. */
CellFormat BookParser::cellFormat(const XfInfo& xf) const {
    CellFormat format;
    const FontInfo font =
        static_cast<size_t>(xf.font) < m_fonts.size() ? m_fonts[xf.font] : FontInfo();
    // Font 0 is the file's default font: its name and size read as "not set", like the
    // model's default format, so a template's plain cells stay plain.
    const FontInfo base = m_fonts.empty() ? FontInfo() : m_fonts.front();
    format.fontName = font.name == base.name ? QString() : font.name;
    format.fontSize = font.size == base.size ? 0 : font.size;
    format.bold = font.bold;
    format.italic = font.italic;
    format.strike = font.strike;
    format.underline = font.underline;
    format.fontColor = font.color == XlsPalette::kAutoFont ? kAutoColor : paletteColor(font.color);

    const auto line = [this](std::uint32_t style, std::uint32_t color) {
        BorderLine border;
        border.style = borderStyle(style);
        border.color = border.style == BorderLine::None ? kAutoColor : paletteColor(color & 0x7F);
        return border;
    };
    format.left = line(xf.borders, xf.borders >> 16);
    format.right = line(xf.borders >> 4, xf.borders >> 23);
    format.top = line(xf.borders >> 8, xf.bordersAndFill);
    format.bottom = line(xf.borders >> 12, xf.bordersAndFill >> 7);
    if ((xf.bordersAndFill >> 26) != 0) {
        format.fillColor = paletteColor(xf.fillColors & 0x7F);
    }

    format.hAlign = horizontalAlignment(xf.alignment & 0x07);
    format.wrap = (xf.alignment & 0x08) != 0;
    format.vAlign = verticalAlignment((xf.alignment >> 4) & 0x07);

    QString numberFormat = m_formats.value(xf.numberFormat);
    if (numberFormat.isEmpty()) {
        numberFormat = BuiltinNumberFormats::codeOf(xf.numberFormat);
    }
    if (numberFormat != QLatin1String("General")) {
        format.numberFormat = numberFormat;
    }
    return format;
}

}  // namespace

/* Read a file from disk. */
WorkbookFileResult XlsReader::read(const QString& path, Workbook& workbook) {
    QByteArray stream;
    const Result opened = XlsOleStream::read(path, stream);
    return opened ? readStream(stream, workbook) : opened;
}

/* Read a whole file held in memory. */
WorkbookFileResult XlsReader::readData(const QByteArray& file, Workbook& workbook) {
    QByteArray stream;
    const Result opened = XlsOleStream::readData(file, stream);
    return opened ? readStream(stream, workbook) : opened;
}

/* Parse a bare BIFF8 stream. */
WorkbookFileResult XlsReader::readStream(const QByteArray& stream, Workbook& workbook) {
    BookParser parser(stream, workbook);
    return parser.run();
}
