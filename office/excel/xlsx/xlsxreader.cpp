#include "office/excel/xlsx/xlsxreader.h"

#include "office/excel/model/builtinnumberformats.h"
#include "office/excel/xlsx/xlsxstyles.h"
#include "office/excel/xlsx/xlsxtext.h"
#include "office/format/indexedcolors.h"
#include "office/opc/zippackage.h"
#include "office/xml/xmlreader.h"

#include <QFile>
#include <QHash>

#include <charconv>
#include <optional>
#include <vector>

namespace {

/* The entry `index` of a list the file indexes into, or null when out of range. */
template <typename T>
const T* entryAt(const std::vector<T>& list, int index) {
    return index >= 0 && index < static_cast<int>(list.size()) ? &list[static_cast<size_t>(index)]
                                                               : nullptr;
}

/* An integer attribute of the current element, or `fallback`. */
int intAttribute(const XmlReader& xml, const char* name, int fallback) {
    int value = 0;
    if (xml.integerAttribute(QLatin1String(name), value)) {
        return value;
    }
    bool ok = false;
    value = xml.attribute(QLatin1String(name)).toInt(&ok);
    return ok ? value : fallback;
}

/* A boolean attribute ("1"/"true"), or `fallback` when absent or empty. */
bool boolAttribute(const XmlReader& xml, const char* name, bool fallback) {
    const QString value = xml.attribute(QLatin1String(name));
    if (value.isEmpty()) {
        return fallback;
    }
    return value == QLatin1String("1") || value == QLatin1String("true");
}

/* True when the current element has the attribute, even empty. */
bool hasAttribute(const XmlReader& xml, const char* name) {
    QByteArray scratch;
    return !xml.attributeBytes(QLatin1String(name), scratch).isNull();
}

/* A number written in the bytes as a whole (no spaces); false otherwise. */
template <typename T>
bool parseNumber(QLatin1String bytes, T& value) {
    const char* end = bytes.data() + bytes.size();
    const auto result = std::from_chars(bytes.data(), end, value);
    return !bytes.isNull() && result.ec == std::errc() && result.ptr == end;
}

/* The <t> runs below the current element, phonetic runs (rPh) skipped. */
void appendRuns(XmlReader& xml, QString& text) {
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("t")) {
            text += xml.readElementText();
        } else if (xml.name() == QLatin1String("rPh")) {
            xml.skipCurrentElement();
        } else {
            appendRuns(xml, text);
        }
    }
}

/* The text of a string item (CT_Rst, 18.4.13): its runs joined, escapes undone. */
QString readStringItem(XmlReader& xml) {
    QString text;
    appendRuns(xml, text);
    return XlsxText::unescape(text);
}

/* Parse sharedStrings.xml (CT_Sst, 18.4.9). */
bool parseSharedStrings(const QByteArray& data, std::vector<QString>& strings) {
    XmlReader xml(data);
    walkElements(xml, [&] {
        if (xml.name() != QLatin1String("si")) {
            return false;
        }
        strings.push_back(readStringItem(xml));
        return true;
    });
    return !xml.hasError();
}

// The theme's colour scheme, for colours given by theme index.
using ThemeColors = std::vector<std::uint32_t>;

/* The colours of a colour scheme in file order. */
void readSchemeColors(XmlReader& xml, ThemeColors& colors) {
    walkElements(xml, [&] {
        if (xml.name() == QLatin1String("srgbClr")) {
            colors.push_back(xml.attribute(QLatin1String("val")).toUInt(nullptr, 16) & 0xFFFFFFu);
        } else if (xml.name() == QLatin1String("sysClr")) {
            colors.push_back(xml.attribute(QLatin1String("lastClr")).toUInt(nullptr, 16) &
                             0xFFFFFFu);
        }
        return false;
    });
}

/* Parse the colour scheme of theme1.xml (DrawingML a:clrScheme, ECMA-376 Part 1, 20.1.6.2). */
ThemeColors parseTheme(const QByteArray& data) {
    // File order: dk1 lt1 dk2 lt2 accent1..6 hlink folHlink; theme indices swap the first
    // two pairs (0 lt1, 1 dk1, 2 lt2, 3 dk2).
    ThemeColors colors;
    bool seen = false;
    XmlReader xml(data);
    walkElements(xml, [&] {
        if (xml.name() != QLatin1String("clrScheme")) {
            return false;
        }
        if (!seen) {
            readSchemeColors(xml, colors);
        } else {
            xml.skipCurrentElement();
        }
        seen = true;
        return true;
    });
    if (colors.size() >= 4) {
        std::swap(colors[0], colors[1]);
        std::swap(colors[2], colors[3]);
    }
    return colors;
}

/* Apply a tint (18.8.19 CT_Color tint) to one channel. */
std::uint32_t tintChannel(std::uint32_t channel, double tint) {
    const double c = static_cast<double>(channel);
    const double result = tint < 0 ? c * (1 + tint) : c + (255 - c) * tint;
    return static_cast<std::uint32_t>(qBound(0.0, result + 0.5, 255.0));
}

/* A colour element (CT_Color, 18.8.9) as 0xRRGGBB, or kAutoColor. */
std::uint32_t readColor(const XmlReader& xml, const ThemeColors& theme) {
    std::uint32_t color = kAutoColor;
    if (hasAttribute(xml, "rgb")) {
        color = xml.attribute(QLatin1String("rgb")).toUInt(nullptr, 16) & 0xFFFFFFu;
    } else if (hasAttribute(xml, "indexed")) {
        // Indexed colours (18.8.27): 0..7 repeat the first eight of the default palette
        // 8..63, which the legacy format shares; 64 and up are system colours.
        const int index = intAttribute(xml, "indexed", 64);
        const auto& palette = IndexedColors::defaults();
        if (index >= 0 && index < IndexedColors::kFirstIndex) {
            color = palette[static_cast<size_t>(index)];
        } else if (index >= IndexedColors::kFirstIndex &&
                   index < IndexedColors::kFirstIndex + IndexedColors::kCount) {
            color = palette[static_cast<size_t>(index - IndexedColors::kFirstIndex)];
        }
    } else if (hasAttribute(xml, "theme")) {
        if (const std::uint32_t* themed = entryAt(theme, intAttribute(xml, "theme", -1))) {
            color = *themed;
        }
    }
    bool ok = false;
    const double tint = xml.attribute(QLatin1String("tint")).toDouble(&ok);
    if (color != kAutoColor && ok && tint != 0) {
        color = tintChannel(color >> 16 & 0xFF, tint) << 16 |
                tintChannel(color >> 8 & 0xFF, tint) << 8 | tintChannel(color & 0xFF, tint);
    }
    return color;
}

// What styles.xml gives, before cell formats are put together.
struct StyleParts {
    QHash<int, QString> numberFormats;
    std::vector<CellFormat> fonts;  // font fields only
    std::vector<std::uint32_t> fills;
    std::vector<CellFormat> borders;  // border fields only
    std::vector<CellFormat> cellFormats;
};

/* A font flag (CT_BooleanProperty): on when val is absent, "1" or "true". */
bool flagValue(const QString& val) {
    return val.isEmpty() || val == QLatin1String("1") || val == QLatin1String("true");
}

/* Read one <font>. */
CellFormat readFont(XmlReader& xml, const ThemeColors& theme) {
    CellFormat font;
    while (xml.readNextStartElement()) {
        const QLatin1String name = xml.name();
        const QString val = xml.attribute(QLatin1String("val"));
        if (name == QLatin1String("b")) {
            font.bold = flagValue(val);
        } else if (name == QLatin1String("i")) {
            font.italic = flagValue(val);
        } else if (name == QLatin1String("strike")) {
            font.strike = flagValue(val);
        } else if (name == QLatin1String("u")) {
            font.underline =
                val == QLatin1String("double") || val == QLatin1String("doubleAccounting")
                    ? CellFormat::Underline::Double
                : val == QLatin1String("none") ? CellFormat::Underline::None
                                               : CellFormat::Underline::Single;
        } else if (name == QLatin1String("sz")) {
            font.fontSize = val.toDouble();
        } else if (name == QLatin1String("color")) {
            font.fontColor = readColor(xml, theme);
        } else if (name == QLatin1String("name")) {
            font.fontName = val;
        }
        xml.skipCurrentElement();
    }
    return font;
}

/* Read one <fill>: the colour of a solid pattern fill, else kAutoColor. */
std::uint32_t readFill(XmlReader& xml, const ThemeColors& theme) {
    std::uint32_t color = kAutoColor;
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("patternFill")) {
            xml.skipCurrentElement();
            continue;
        }
        const bool solid = xml.attributeIs(QLatin1String("patternType"), QLatin1String("solid"));
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("fgColor") && solid) {
                color = readColor(xml, theme);
            }
            xml.skipCurrentElement();
        }
    }
    return color;
}

/* The border line an edge element names (left/start, right/end, top, bottom), or null. */
BorderLine* borderLine(QLatin1String name, CellFormat& border) {
    return name == QLatin1String("left") || name == QLatin1String("start")  ? &border.left
           : name == QLatin1String("right") || name == QLatin1String("end") ? &border.right
           : name == QLatin1String("top")                                   ? &border.top
           : name == QLatin1String("bottom")                                ? &border.bottom
                                                                            : nullptr;
}

/* Read one <border>. */
CellFormat readBorder(XmlReader& xml, const ThemeColors& theme) {
    CellFormat border;
    while (xml.readNextStartElement()) {
        BorderLine* line = borderLine(xml.name(), border);
        if (line == nullptr) {
            xml.skipCurrentElement();
            continue;
        }
        line->style = XlsxStyles::borderStyleFromName(xml.attribute(QLatin1String("style")));
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("color")) {
                line->color = readColor(xml, theme);
            }
            xml.skipCurrentElement();
        }
        if (line->style == BorderLine::None) {
            line->color = kAutoColor;
        }
    }
    return border;
}

/* Read <alignment> (CT_CellAlignment, 18.8.1) into the format. */
void readAlignment(const XmlReader& xml, CellFormat& format) {
    const QString h = xml.attribute(QLatin1String("horizontal"));
    format.hAlign = h == QLatin1String("left") ? CellFormat::HAlign::Left
                    : h == QLatin1String("center") || h == QLatin1String("centerContinuous")
                        ? CellFormat::HAlign::Center
                    : h == QLatin1String("right") ? CellFormat::HAlign::Right
                    : h == QLatin1String("justify") || h == QLatin1String("distributed")
                        ? CellFormat::HAlign::Justify
                        : CellFormat::HAlign::General;
    const QString v = xml.attribute(QLatin1String("vertical"));
    format.vAlign = v == QLatin1String("top")      ? CellFormat::VAlign::Top
                    : v == QLatin1String("center") ? CellFormat::VAlign::Center
                                                   : CellFormat::VAlign::Bottom;
    format.wrap = boolAttribute(xml, "wrapText", false);
}

/* Put one <xf> together from the parts it names. */
CellFormat readXf(XmlReader& xml, const StyleParts& parts) {
    CellFormat format;
    if (const CellFormat* f = entryAt(parts.fonts, intAttribute(xml, "fontId", 0))) {
        format.fontName = f->fontName;
        format.fontSize = f->fontSize;
        format.bold = f->bold;
        format.italic = f->italic;
        format.strike = f->strike;
        format.underline = f->underline;
        format.fontColor = f->fontColor;
    }
    if (const std::uint32_t* fill = entryAt(parts.fills, intAttribute(xml, "fillId", 0))) {
        format.fillColor = *fill;
    }
    if (const CellFormat* b = entryAt(parts.borders, intAttribute(xml, "borderId", 0))) {
        format.left = b->left;
        format.right = b->right;
        format.top = b->top;
        format.bottom = b->bottom;
    }
    const int numFmt = intAttribute(xml, "numFmtId", 0);
    format.numberFormat = parts.numberFormats.contains(numFmt)
                              ? parts.numberFormats.value(numFmt)
                              : BuiltinNumberFormats::codeOf(numFmt);
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("alignment")) {
            readAlignment(xml, format);
        }
        xml.skipCurrentElement();
    }
    return format;
}

/* Read the children of one style list (numFmts, fonts, fills, borders, cellXfs). */
void readStyleList(XmlReader& xml, QLatin1String list, const ThemeColors& theme,
                   StyleParts& parts) {
    while (xml.readNextStartElement()) {
        const QLatin1String name = xml.name();
        if (list == QLatin1String("numFmts") && name == QLatin1String("numFmt")) {
            parts.numberFormats.insert(intAttribute(xml, "numFmtId", -1),
                                       xml.attribute(QLatin1String("formatCode")));
            xml.skipCurrentElement();
        } else if (list == QLatin1String("fonts") && name == QLatin1String("font")) {
            parts.fonts.push_back(readFont(xml, theme));
        } else if (list == QLatin1String("fills") && name == QLatin1String("fill")) {
            parts.fills.push_back(readFill(xml, theme));
        } else if (list == QLatin1String("borders") && name == QLatin1String("border")) {
            parts.borders.push_back(readBorder(xml, theme));
        } else if (list == QLatin1String("cellXfs") && name == QLatin1String("xf")) {
            parts.cellFormats.push_back(readXf(xml, parts));
        } else {
            xml.skipCurrentElement();
        }
    }
}

/* Parse styles.xml (CT_Stylesheet, 18.8.39) into cell formats; none when malformed. */
std::optional<StyleParts> parseStyles(const QByteArray& data, const ThemeColors& theme) {
    StyleParts parts;
    XmlReader xml(data);
    walkElements(xml, [&] {
        const QLatin1String name = xml.name();
        if (name == QLatin1String("numFmts") || name == QLatin1String("fonts") ||
            name == QLatin1String("fills") || name == QLatin1String("borders") ||
            name == QLatin1String("cellXfs")) {
            readStyleList(xml, name, theme, parts);
            return true;
        }
        if (name == QLatin1String("cellStyleXfs") || name == QLatin1String("dxfs")) {
            xml.skipCurrentElement();
            return true;
        }
        return false;
    });
    if (xml.hasError()) {
        return std::nullopt;
    }
    return parts;
}

// What a sheet part needs besides its own XML.
struct SheetContext {
    const std::vector<QString>* strings;
    const std::vector<int>* formatIndex;  // xf index -> workbook format index
};

/* The workbook format of an xf index (CT_Xf in cellXfs); 0 when out of range. */
int workbookFormat(const SheetContext& context, int style) {
    return style > 0 && style < static_cast<int>(context.formatIndex->size())
               ? (*context.formatIndex)[static_cast<size_t>(style)]
               : 0;
}

// A cell's place on its sheet, 1-based.
struct CellPosition {
    int row = 0;
    int column = 0;
};

/* Parse "B12" into row and column; none when malformed. */
std::optional<CellPosition> parseCellReference(QLatin1String ref) {
    const char* p = ref.data();
    const char* end = p + ref.size();
    int col = 0;
    int letters = 0;
    while (p < end && *p >= 'A' && *p <= 'Z' && letters < 3) {
        col = col * 26 + (*p - 'A' + 1);
        ++p;
        ++letters;
    }
    int r = 0;
    if (!parseNumber(QLatin1String(p, static_cast<int>(end - p)), r) || col < 1 ||
        col > kMaxColumns || r < 1 || r > kMaxRows) {
        return std::nullopt;
    }
    return CellPosition{r, col};
}

/* Type a cell value by the cell's t attribute (ST_CellType, 18.18.11). */
void setCellValue(QLatin1String type, QLatin1String value, const QString& inlineText,
                  const SheetContext& context, Cell& cell) {
    if (type.isNull() || type == QLatin1String("n")) {
        cell.kind = parseNumber(value, cell.number) ? Cell::Kind::Number : Cell::Kind::Empty;
    } else if (type == QLatin1String("s")) {
        int index = -1;
        const QString* text =
            parseNumber(value, index) ? entryAt(*context.strings, index) : nullptr;
        if (text != nullptr) {
            cell.kind = Cell::Kind::Text;
            cell.text = *text;
        }
    } else if (type == QLatin1String("b")) {
        cell.kind = Cell::Kind::Boolean;
        cell.number = value == QLatin1String("1") ? 1 : 0;
    } else if (type == QLatin1String("inlineStr")) {
        cell.kind = Cell::Kind::Text;
        cell.text = inlineText;
    } else {
        cell.kind = Cell::Kind::Text;  // str, e, d: formula strings, errors, dates
        cell.text = XlsxText::unescape(QString::fromUtf8(value.data(), value.size()));
    }
}

/* Read one <c> (CT_Cell, 18.3.1.4) into the sheet. */
void readCell(XmlReader& xml, Worksheet& sheet, int row, int& nextColumn,
              const SheetContext& context) {
    QByteArray scratch;
    int column = nextColumn;
    int cellRow = row;
    const QLatin1String ref = xml.attributeBytes(QLatin1String("r"), scratch);
    bool placed = column <= kMaxColumns;
    if (!ref.isNull()) {
        // A malformed reference leaves the cell unplaced and the running column as it was.
        const std::optional<CellPosition> position = parseCellReference(ref);
        placed = position.has_value();
        if (position) {
            cellRow = position->row;
            column = position->column;
        }
    }
    nextColumn = column + 1;
    QByteArray typeScratch;
    const QLatin1String type = xml.attributeBytes(QLatin1String("t"), typeScratch);
    Cell cell;
    cell.format = workbookFormat(context, intAttribute(xml, "s", 0));
    QLatin1String value;
    QString inlineText;
    bool hasValue = false;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("v")) {
            value = xml.readElementBytes(scratch);
            hasValue = true;
        } else if (xml.name() == QLatin1String("is")) {
            inlineText = readStringItem(xml);
            hasValue = true;
        } else {
            xml.skipCurrentElement();
        }
    }
    if (hasValue) {
        setCellValue(type, value, inlineText, context, cell);
    }
    if (placed) {
        sheet.setCell(cellRow, column, std::move(cell));
    }
}

/* Read <cols> (18.3.1.17): custom widths and column default formats. */
void readColumns(XmlReader& xml, Worksheet& sheet, const SheetContext& context) {
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("col")) {
            const int first = qMax(1, intAttribute(xml, "min", 0));
            const int last = qMin(kMaxColumns, intAttribute(xml, "max", 0));
            const int style = intAttribute(xml, "style", 0);
            sheet.setColumnFormat(first, last, workbookFormat(context, style));
            bool ok = false;
            const double width = xml.attribute(QLatin1String("width")).toDouble(&ok);
            // A styled column without customWidth keeps the default width.
            const bool custom = boolAttribute(xml, "customWidth", style == 0);
            if (ok && width >= 0 && custom) {
                for (int c = first; c <= last; ++c) {
                    sheet.setColumnWidth(c, width);
                }
            }
        }
        xml.skipCurrentElement();
    }
}

/* Read one <row> (CT_Row, 18.3.1.73): its height, its format, then its cells. */
void readRow(XmlReader& xml, Worksheet& sheet, int row, const SheetContext& context) {
    QByteArray scratch;
    double height = 0;
    if (boolAttribute(xml, "customHeight", false) &&
        parseNumber(xml.attributeBytes(QLatin1String("ht"), scratch), height)) {
        sheet.setRowHeight(row, height);
    }
    if (boolAttribute(xml, "customFormat", false)) {
        sheet.setRowFormat(row, workbookFormat(context, intAttribute(xml, "s", 0)));
    }
    int nextColumn = 1;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("c")) {
            readCell(xml, sheet, row, nextColumn, context);
        } else {
            xml.skipCurrentElement();
        }
    }
}

/* Read <sheetData> (18.3.1.80). */
void readSheetData(XmlReader& xml, Worksheet& sheet, const SheetContext& context) {
    int nextRow = 1;
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("row")) {
            xml.skipCurrentElement();
            continue;
        }
        const int row = intAttribute(xml, "r", nextRow);
        nextRow = row + 1;
        if (row < 1 || row > kMaxRows) {
            xml.skipCurrentElement();
            continue;
        }
        readRow(xml, sheet, row, context);
    }
}

/* Parse one worksheet part (CT_Worksheet, 18.3.1.99) in document order: columns come before
   the sheet data, so column default formats are known before the cells. */
bool parseSheet(const QByteArray& data, Worksheet& sheet, const SheetContext& context) {
    XmlReader xml(data);
    walkElements(xml, [&] {
        const QLatin1String name = xml.name();
        if (name == QLatin1String("cols")) {
            readColumns(xml, sheet, context);
        } else if (name == QLatin1String("sheetData")) {
            readSheetData(xml, sheet, context);
        } else if (name == QLatin1String("mergeCell")) {
            if (const std::optional<CellRange> range =
                    CellRange::parse(xml.attribute(QLatin1String("ref")))) {
                sheet.addMerge(*range);
            }
            xml.skipCurrentElement();
        } else {
            return false;
        }
        return true;
    });
    return !xml.hasError();
}

/* The failure for a part the package could not give. */
WorkbookFileResult partFailure(OpcPackage::Status status, const QString& name) {
    if (status == OpcPackage::Status::TooLarge) {
        return Result::failure(Result::Status::TooLarge,
                               QStringLiteral("Part %1 is too large").arg(name));
    }
    return Result::failure(Result::Status::Malformed,
                           status == OpcPackage::Status::Missing
                               ? QStringLiteral("Part %1 is missing").arg(name)
                               : QStringLiteral("Part %1 is damaged").arg(name));
}

/* The failure for a part that is no sound XML of its kind. */
WorkbookFileResult malformed(const QString& message) {
    return Result::failure(Result::Status::Malformed, message);
}

// Reads one package into a workbook.
class PackageReader {
public:
    PackageReader(const QString& path, Workbook& workbook)
        : m_file(path), m_package(PackageLimits()), m_workbook(workbook) {}

    /* Read every part the workbook needs, in dependency order. */
    WorkbookFileResult run() {
        if (!m_file.open(QIODevice::ReadOnly) || !m_package.open(&m_file)) {
            return Result::failure(Result::Status::WrongFormat,
                                   QStringLiteral("Not a workbook package (no ZIP archive)"));
        }
        QString workbookPart =
            m_package.relationshipTarget(QString(), QStringLiteral("officeDocument"));
        if (workbookPart.isEmpty()) {
            workbookPart = QStringLiteral("xl/workbook.xml");
        }
        const OpcPackage::Status status = m_package.relationships(workbookPart, m_rels);
        if (status != OpcPackage::Status::Ok) {
            return partFailure(status, OpcPackage::relationshipsPart(workbookPart));
        }
        WorkbookFileResult result = readStyles();
        if (!result || !(result = readStrings())) {
            return result;
        }
        QByteArray data;
        const OpcPackage::Status read = m_package.readPart(workbookPart, data);
        return read == OpcPackage::Status::Ok ? readSheets(data) : partFailure(read, workbookPart);
    }

private:
    /* The target of the workbook's relationship of a type ("styles"); empty when none. */
    QString target(const QString& type) const {
        const QString suffix = QLatin1Char('/') + type;
        for (const OpcRelationship& relationship : m_rels) {
            if (relationship.type.endsWith(suffix)) {
                return relationship.target;
            }
        }
        return QString();
    }

    // A part that may be absent, read: the failure to read it, or its data when present.
    struct PartRead {
        WorkbookFileResult result;
        std::optional<QByteArray> data;  // none when the package has no such part
    };

    /* Read an optional part by relationship type. */
    PartRead readOptional(const QString& type) { return readByName(target(type)); }

    /* Read a part that may be absent (an empty name: none). */
    PartRead readByName(const QString& name) {
        if (name.isEmpty()) {
            return {WorkbookFileResult::success(), std::nullopt};
        }
        QByteArray data;
        const OpcPackage::Status status = m_package.readPart(name, data);
        if (status == OpcPackage::Status::Ok) {
            return {WorkbookFileResult::success(), std::move(data)};
        }
        return {status == OpcPackage::Status::Missing ? WorkbookFileResult::success()
                                                      : partFailure(status, name),
                std::nullopt};
    }

    /* Theme colours, then styles.xml into the workbook's format table. */
    WorkbookFileResult readStyles() {
        const PartRead themePart = readOptional(QStringLiteral("theme"));
        if (!themePart.result) {
            return themePart.result;
        }
        const ThemeColors theme = themePart.data ? parseTheme(*themePart.data) : ThemeColors();
        const PartRead stylesPart = readOptional(QStringLiteral("styles"));
        if (!stylesPart.result || !stylesPart.data) {
            m_formatIndex.assign(1, 0);
            return stylesPart.result;
        }
        const std::optional<StyleParts> parts = parseStyles(*stylesPart.data, theme);
        if (!parts) {
            return malformed(QStringLiteral("Part styles.xml is malformed"));
        }
        internFormats(parts->cellFormats);
        return WorkbookFileResult::success();
    }

    /* Map the package's xf list to the workbook's format table. */
    void internFormats(const std::vector<CellFormat>& cellFormats) {
        // The xf 0 of a package is the workbook's base look: its font is the default font
        // of the file and maps to our default format.
        const CellFormat base = cellFormats.empty() ? CellFormat() : cellFormats.front();
        m_formatIndex.clear();
        for (CellFormat format : cellFormats) {
            // The base font's name and size read as "not set", like our default format.
            if (format.fontName == base.fontName) {
                format.fontName.clear();
            }
            if (qFuzzyCompare(format.fontSize + 1, base.fontSize + 1)) {
                format.fontSize = 0;
            }
            m_formatIndex.push_back(m_workbook.formatTable().intern(format));
        }
    }

    /* sharedStrings.xml (optional). */
    WorkbookFileResult readStrings() {
        const PartRead part = readOptional(QStringLiteral("sharedStrings"));
        if (part.result && part.data && !parseSharedStrings(*part.data, m_strings)) {
            return malformed(QStringLiteral("Part sharedStrings.xml is malformed"));
        }
        return part.result;
    }

    /* The relationship target of an id; empty when the workbook has none such. */
    QString targetOf(const QString& id) const {
        for (const OpcRelationship& relationship : m_rels) {
            if (relationship.id == id) {
                return relationship.target;
            }
        }
        return QString();
    }

    /* workbook.xml's sheet list, then every sheet part. */
    WorkbookFileResult readSheets(const QByteArray& workbookXml) {
        XmlReader xml(workbookXml);
        std::vector<std::pair<QString, QString>> sheets;  // name, part
        int activeTab = 0;
        walkElements(xml, [&] {
            if (xml.name() == QLatin1String("sheet")) {
                sheets.emplace_back(xml.attribute(QLatin1String("name")),
                                    targetOf(xml.attribute(QLatin1String("id"))));
            } else if (xml.name() == QLatin1String("workbookView")) {
                activeTab = intAttribute(xml, "activeTab", 0);
            }
            return false;
        });
        if (xml.hasError() || sheets.empty()) {
            return malformed(QStringLiteral("Part workbook.xml lists no sheets"));
        }
        for (const auto& entry : sheets) {
            const WorkbookFileResult result = readSheet(entry.first, entry.second);
            if (!result) {
                return result;
            }
        }
        m_workbook.setActiveSheet(activeTab);
        return WorkbookFileResult::success();
    }

    /* One sheet: a chart sheet or a missing part gives an empty sheet. */
    WorkbookFileResult readSheet(const QString& name, const QString& part) {
        auto sheet = m_workbook.addSheet(name);
        if (!sheet) {
            sheet = m_workbook.addSheet();  // a name we would refuse: keep the content
        }
        const PartRead read = readByName(part);
        if (!read.result) {
            return read.result;
        }
        const SheetContext context{&m_strings, &m_formatIndex};
        if (read.data && !parseSheet(*read.data, *sheet, context)) {
            return malformed(QStringLiteral("Part %1 is malformed").arg(part));
        }
        return WorkbookFileResult::success();
    }

    QFile m_file;
    ZipPackage m_package;
    Workbook& m_workbook;
    std::vector<OpcRelationship> m_rels;  // the workbook part's
    std::vector<QString> m_strings;
    std::vector<int> m_formatIndex;
};

}  // namespace

/* Read a package into the workbook. */
WorkbookFileResult XlsxReader::read(const QString& path, Workbook& workbook) {
    return PackageReader(path, workbook).run();
}

/* One sheet part on its own. */
bool XlsxReader::readSheetPart(const QByteArray& xml, const std::vector<QString>& strings,
                               const std::vector<int>& formatIndex, Worksheet& sheet) {
    return parseSheet(xml, sheet, SheetContext{&strings, &formatIndex});
}

/* One shared strings part on its own. */
bool XlsxReader::readSharedStrings(const QByteArray& xml, std::vector<QString>& strings) {
    return parseSharedStrings(xml, strings);
}
