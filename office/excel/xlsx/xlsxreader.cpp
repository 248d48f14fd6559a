#include "office/excel/xlsx/xlsxreader.h"

#include "office/excel/model/builtinnumberformats.h"
#include "office/format/indexedcolors.h"
#include "office/excel/xlsx/xlsxsheetscanner.h"
#include "office/excel/xlsx/xlsxstyles.h"
#include "office/excel/xlsx/xlsxtext.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>

#include <QHash>
#include <QXmlStreamReader>

#include <vector>

namespace {

// A part larger than this is refused: no real template comes near it, a zip bomb does.
const qint64 kMaxPartSize = 512LL * 1024 * 1024;
// Expansion ratio above which a part counts as a bomb (real XML compresses up to ~100:1).
const qint64 kMaxRatio = 1000;

using Attributes = QXmlStreamAttributes;

/* The entry `index` of a list the file indexes into, or null when out of range. */
template <typename T>
const T* entryAt(const std::vector<T>& list, int index) {
    return index >= 0 && index < static_cast<int>(list.size()) ? &list[static_cast<size_t>(index)]
                                                               : nullptr;
}

/* An integer attribute, or `fallback`. */
int intAttribute(const Attributes& attributes, const char* name, int fallback) {
    bool ok = false;
    const int value = attributes.value(QLatin1String(name)).toInt(&ok);
    return ok ? value : fallback;
}

/* A boolean attribute ("1"/"true"), or `fallback`. */
bool boolAttribute(const Attributes& attributes, const char* name, bool fallback) {
    const QStringRef value = attributes.value(QLatin1String(name));
    if (value.isEmpty()) {
        return fallback;
    }
    return value == QLatin1String("1") || value == QLatin1String("true");
}

// The package being read.
class Package {
public:
    explicit Package(const QString& path) : m_zip(path) {}

    bool open() { return m_zip.open(QuaZip::mdUnzip); }

    /* Read a part by name (case-insensitive, as OPC names are); false when absent. */
    WorkbookFileResult read(const QString& name, QByteArray* out, bool* found) {
        *found = false;
        if (!m_zip.setCurrentFile(name, QuaZip::csInsensitive)) {
            return WorkbookFileResult::success();
        }
        *found = true;
        QuaZipFileInfo64 info;
        if (!m_zip.getCurrentFileInfo(&info)) {
            return WorkbookFileResult::failure(QStringLiteral("Part %1 is unreadable").arg(name));
        }
        if (static_cast<qint64>(info.uncompressedSize) > kMaxPartSize ||
            static_cast<qint64>(info.uncompressedSize) >
                qMax<qint64>(1, static_cast<qint64>(info.compressedSize)) * kMaxRatio + 4096) {
            return WorkbookFileResult::failure(QStringLiteral("Part %1 is too large").arg(name));
        }
        QuaZipFile file(&m_zip);
        if (!file.open(QIODevice::ReadOnly)) {
            return WorkbookFileResult::failure(
                QStringLiteral("Part %1 cannot be opened").arg(name));
        }
        out->clear();
        out->reserve(static_cast<int>(info.uncompressedSize));
        char buffer[65536];
        for (;;) {
            const qint64 got = file.read(buffer, sizeof buffer);
            if (got < 0) {
                return WorkbookFileResult::failure(QStringLiteral("Part %1 is damaged").arg(name));
            }
            if (got == 0) {
                break;
            }
            if (out->size() + got > kMaxPartSize) {
                return WorkbookFileResult::failure(
                    QStringLiteral("Part %1 is too large").arg(name));
            }
            out->append(buffer, static_cast<int>(got));
        }
        file.close();
        if (file.getZipError() != UNZ_OK) {
            return WorkbookFileResult::failure(QStringLiteral("Part %1 is damaged").arg(name));
        }
        return WorkbookFileResult::success();
    }

private:
    QuaZip m_zip;
};

// Relationships of one part: id -> target path inside the package, and type -> target.
struct Relationships {
    QHash<QString, QString> byId;
    QHash<QString, QString> byType;  // last path segment of the type ("styles")
};

/* Resolve a relationship target against the folder of its source part. */
QString resolveTarget(const QString& folder, const QString& target) {
    if (target.startsWith(QLatin1Char('/'))) {
        return target.mid(1);
    }
    QStringList parts = folder.isEmpty() ? QStringList() : folder.split(QLatin1Char('/'));
    for (const QString& part : target.split(QLatin1Char('/'))) {
        if (part == QLatin1String("..")) {
            if (!parts.isEmpty()) {
                parts.removeLast();
            }
        } else if (part != QLatin1String(".") && !part.isEmpty()) {
            parts.append(part);
        }
    }
    return parts.join(QLatin1Char('/'));
}

/* Parse a .rels part (ECMA-376 Part 2, 9.3). */
Relationships parseRelationships(const QByteArray& data, const QString& folder) {
    Relationships rels;
    QXmlStreamReader xml(data);
    while (xml.readNextStartElement() || !xml.atEnd()) {
        if (xml.isStartElement() && xml.name() == QLatin1String("Relationship")) {
            const Attributes a = xml.attributes();
            if (a.value(QLatin1String("TargetMode")) == QLatin1String("External")) {
                continue;
            }
            const QString target =
                resolveTarget(folder, a.value(QLatin1String("Target")).toString());
            const QString type =
                a.value(QLatin1String("Type")).toString().section(QLatin1Char('/'), -1);
            rels.byId.insert(a.value(QLatin1String("Id")).toString(), target);
            rels.byType.insert(type, target);
        }
        if (xml.hasError()) {
            break;
        }
    }
    return rels;
}

/* Read the text of an element and its descendants' <t> runs, skipping phonetic runs. */
QString readStringItem(QXmlStreamReader& xml) {
    QString text;
    int depth = 1;
    bool inPhonetic = false;
    while (depth > 0 && !xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (xml.name() == QLatin1String("rPh")) {
                inPhonetic = true;
            } else if (xml.name() == QLatin1String("t") && !inPhonetic) {
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
                --depth;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
            if (xml.name() == QLatin1String("rPh")) {
                inPhonetic = false;
            }
        }
    }
    return XlsxText::unescape(text);
}

/* Parse sharedStrings.xml (CT_Sst, 18.4.9). */
bool parseSharedStrings(const QByteArray& data, std::vector<QString>* strings) {
    QXmlStreamReader xml(data);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("si")) {
            strings->push_back(readStringItem(xml));
        }
    }
    return !xml.hasError();
}

// The theme's colour scheme, for colours given by theme index.
using ThemeColors = std::vector<std::uint32_t>;

/* Parse the colour scheme of theme1.xml (DrawingML a:clrScheme, ECMA-376 Part 1, 20.1.6.2). */
ThemeColors parseTheme(const QByteArray& data) {
    // File order: dk1 lt1 dk2 lt2 accent1..6 hlink folHlink; theme indices swap the first
    // two pairs (0 lt1, 1 dk1, 2 lt2, 3 dk2).
    ThemeColors colors;
    QXmlStreamReader xml(data);
    bool inScheme = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == QLatin1String("clrScheme")) {
                inScheme = true;
            } else if (inScheme && (xml.name() == QLatin1String("srgbClr") ||
                                    xml.name() == QLatin1String("sysClr"))) {
                const Attributes a = xml.attributes();
                const QStringRef value = xml.name() == QLatin1String("srgbClr")
                                             ? a.value(QLatin1String("val"))
                                             : a.value(QLatin1String("lastClr"));
                colors.push_back(value.toUInt(nullptr, 16) & 0xFFFFFFu);
            }
        } else if (token == QXmlStreamReader::EndElement &&
                   xml.name() == QLatin1String("clrScheme")) {
            break;
        }
    }
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
std::uint32_t readColor(const Attributes& a, const ThemeColors& theme) {
    std::uint32_t color = kAutoColor;
    if (a.hasAttribute(QLatin1String("rgb"))) {
        color = a.value(QLatin1String("rgb")).toUInt(nullptr, 16) & 0xFFFFFFu;
    } else if (a.hasAttribute(QLatin1String("indexed"))) {
        // Indexed colours (18.8.27): 0..7 repeat the first eight of the default palette
        // 8..63, which the legacy format shares; 64 and up are system colours.
        const int index = intAttribute(a, "indexed", 64);
        const auto& palette = IndexedColors::defaults();
        if (index >= 0 && index < IndexedColors::kFirstIndex) {
            color = palette[static_cast<size_t>(index)];
        } else if (index >= IndexedColors::kFirstIndex &&
                   index < IndexedColors::kFirstIndex + IndexedColors::kCount) {
            color = palette[static_cast<size_t>(index - IndexedColors::kFirstIndex)];
        }
    } else if (a.hasAttribute(QLatin1String("theme"))) {
        if (const std::uint32_t* themed = entryAt(theme, intAttribute(a, "theme", -1))) {
            color = *themed;
        }
    }
    bool ok = false;
    const double tint = a.value(QLatin1String("tint")).toDouble(&ok);
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

/* Read one <font>. */
CellFormat readFont(QXmlStreamReader& xml, const ThemeColors& theme) {
    CellFormat font;
    while (xml.readNextStartElement()) {
        const Attributes a = xml.attributes();
        const QStringRef name = xml.name();
        const QStringRef val = a.value(QLatin1String("val"));
        if (name == QLatin1String("b")) {
            font.bold = val.isEmpty() || val == QLatin1String("1") || val == QLatin1String("true");
        } else if (name == QLatin1String("i")) {
            font.italic =
                val.isEmpty() || val == QLatin1String("1") || val == QLatin1String("true");
        } else if (name == QLatin1String("strike")) {
            font.strike =
                val.isEmpty() || val == QLatin1String("1") || val == QLatin1String("true");
        } else if (name == QLatin1String("u")) {
            font.underline =
                val == QLatin1String("double") || val == QLatin1String("doubleAccounting")
                    ? CellFormat::Underline::Double
                : val == QLatin1String("none") ? CellFormat::Underline::None
                                               : CellFormat::Underline::Single;
        } else if (name == QLatin1String("sz")) {
            font.fontSize = val.toDouble();
        } else if (name == QLatin1String("color")) {
            font.fontColor = readColor(a, theme);
        } else if (name == QLatin1String("name")) {
            font.fontName = val.toString();
        }
        xml.skipCurrentElement();
    }
    return font;
}

/* Read one <fill>: the colour of a solid pattern fill, else kAutoColor. */
std::uint32_t readFill(QXmlStreamReader& xml, const ThemeColors& theme) {
    std::uint32_t color = kAutoColor;
    bool solid = false;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("patternFill")) {
            solid = xml.attributes().value(QLatin1String("patternType")) == QLatin1String("solid");
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("fgColor") && solid) {
                    color = readColor(xml.attributes(), theme);
                }
                xml.skipCurrentElement();
            }
        } else {
            xml.skipCurrentElement();
        }
    }
    return color;
}

/* Read one <border>. */
CellFormat readBorder(QXmlStreamReader& xml, const ThemeColors& theme) {
    CellFormat border;
    while (xml.readNextStartElement()) {
        const QStringRef name = xml.name();
        BorderLine* line =
            name == QLatin1String("left") || name == QLatin1String("start")  ? &border.left
            : name == QLatin1String("right") || name == QLatin1String("end") ? &border.right
            : name == QLatin1String("top")                                   ? &border.top
            : name == QLatin1String("bottom")                                ? &border.bottom
                                                                             : nullptr;
        if (line != nullptr) {
            line->style = XlsxStyles::borderStyleFromName(
                xml.attributes().value(QLatin1String("style")).toString());
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("color")) {
                    line->color = readColor(xml.attributes(), theme);
                }
                xml.skipCurrentElement();
            }
            if (line->style == BorderLine::None) {
                line->color = kAutoColor;
            }
        } else {
            xml.skipCurrentElement();
        }
    }
    return border;
}

/* Put one <xf> together from the parts it names. */
CellFormat readXf(QXmlStreamReader& xml, const StyleParts& parts) {
    const Attributes a = xml.attributes();
    CellFormat format;
    if (const CellFormat* f = entryAt(parts.fonts, intAttribute(a, "fontId", 0))) {
        format.fontName = f->fontName;
        format.fontSize = f->fontSize;
        format.bold = f->bold;
        format.italic = f->italic;
        format.strike = f->strike;
        format.underline = f->underline;
        format.fontColor = f->fontColor;
    }
    if (const std::uint32_t* fill = entryAt(parts.fills, intAttribute(a, "fillId", 0))) {
        format.fillColor = *fill;
    }
    if (const CellFormat* b = entryAt(parts.borders, intAttribute(a, "borderId", 0))) {
        format.left = b->left;
        format.right = b->right;
        format.top = b->top;
        format.bottom = b->bottom;
    }
    const int numFmt = intAttribute(a, "numFmtId", 0);
    format.numberFormat = parts.numberFormats.contains(numFmt)
                              ? parts.numberFormats.value(numFmt)
                              : BuiltinNumberFormats::codeOf(numFmt);
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("alignment")) {
            const Attributes al = xml.attributes();
            const QStringRef h = al.value(QLatin1String("horizontal"));
            format.hAlign = h == QLatin1String("left") ? CellFormat::HAlign::Left
                            : h == QLatin1String("center") || h == QLatin1String("centerContinuous")
                                ? CellFormat::HAlign::Center
                            : h == QLatin1String("right") ? CellFormat::HAlign::Right
                            : h == QLatin1String("justify") || h == QLatin1String("distributed")
                                ? CellFormat::HAlign::Justify
                                : CellFormat::HAlign::General;
            const QStringRef v = al.value(QLatin1String("vertical"));
            format.vAlign = v == QLatin1String("top")      ? CellFormat::VAlign::Top
                            : v == QLatin1String("center") ? CellFormat::VAlign::Center
                                                           : CellFormat::VAlign::Bottom;
            format.wrap = boolAttribute(al, "wrapText", false);
        }
        xml.skipCurrentElement();
    }
    return format;
}

/* Parse styles.xml (CT_Stylesheet, 18.8.39) into cell formats. */
bool parseStyles(const QByteArray& data, const ThemeColors& theme, StyleParts* parts) {
    QXmlStreamReader xml(data);
    QString current;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            if (xml.name() == current) {
                current.clear();
            }
            continue;
        }
        if (token != QXmlStreamReader::StartElement) {
            continue;
        }
        const QStringRef name = xml.name();
        if (name == QLatin1String("numFmts") || name == QLatin1String("fonts") ||
            name == QLatin1String("fills") || name == QLatin1String("borders") ||
            name == QLatin1String("cellXfs") || name == QLatin1String("cellStyleXfs") ||
            name == QLatin1String("dxfs")) {
            current = name.toString();
            if (current == QLatin1String("cellStyleXfs") || current == QLatin1String("dxfs")) {
                xml.skipCurrentElement();
                current.clear();
            }
        } else if (current == QLatin1String("numFmts") && name == QLatin1String("numFmt")) {
            const Attributes a = xml.attributes();
            parts->numberFormats.insert(intAttribute(a, "numFmtId", -1),
                                        a.value(QLatin1String("formatCode")).toString());
            xml.skipCurrentElement();
        } else if (current == QLatin1String("fonts") && name == QLatin1String("font")) {
            parts->fonts.push_back(readFont(xml, theme));
        } else if (current == QLatin1String("fills") && name == QLatin1String("fill")) {
            parts->fills.push_back(readFill(xml, theme));
        } else if (current == QLatin1String("borders") && name == QLatin1String("border")) {
            parts->borders.push_back(readBorder(xml, theme));
        } else if (current == QLatin1String("cellXfs") && name == QLatin1String("xf")) {
            parts->cellFormats.push_back(readXf(xml, *parts));
        }
    }
    return !xml.hasError();
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

/* Parse "B12" into row and column; false when malformed. */
bool parseCellReference(const QStringRef& ref, int* row, int* column) {
    int i = 0;
    int col = 0;
    const int n = ref.size();
    while (i < n && ref.at(i) >= QLatin1Char('A') && ref.at(i) <= QLatin1Char('Z') && i < 3) {
        col = col * 26 + (ref.at(i).unicode() - 'A' + 1);
        ++i;
    }
    int r = 0;
    const int digitsStart = i;
    while (i < n && ref.at(i) >= QLatin1Char('0') && ref.at(i) <= QLatin1Char('9') &&
           i - digitsStart < 7) {
        r = r * 10 + (ref.at(i).unicode() - '0');
        ++i;
    }
    if (i != n || col < 1 || col > kMaxColumns || r < 1 || r > kMaxRows) {
        return false;
    }
    *row = r;
    *column = col;
    return true;
}

/* Read one <c> (CT_Cell, 18.3.1.4) into the sheet. */
void readCell(QXmlStreamReader& xml, Worksheet& sheet, int row, int* nextColumn,
              const SheetContext& context) {
    const Attributes a = xml.attributes();
    int column = *nextColumn;
    int refRow = row;
    const QStringRef ref = a.value(QLatin1String("r"));
    if (!ref.isEmpty() && !parseCellReference(ref, &refRow, &column)) {
        xml.skipCurrentElement();
        return;
    }
    *nextColumn = column + 1;
    const QStringRef type = a.value(QLatin1String("t"));
    const int style = intAttribute(a, "s", 0);
    QString value;
    bool hasValue = false;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("v")) {
            value = xml.readElementText();
            hasValue = true;
        } else if (xml.name() == QLatin1String("is")) {
            value = readStringItem(xml);
            hasValue = true;
        } else {
            xml.skipCurrentElement();
        }
    }
    Cell cell;
    cell.format = workbookFormat(context, style);
    if (hasValue) {
        if (type == QLatin1String("s")) {
            bool ok = false;
            const QString* text = entryAt(*context.strings, value.toInt(&ok));
            if (ok && text != nullptr) {
                cell.kind = Cell::Kind::Text;
                cell.text = *text;
            }
        } else if (type == QLatin1String("b")) {
            cell.kind = Cell::Kind::Boolean;
            cell.number = value.trimmed() == QLatin1String("1") ? 1 : 0;
        } else if (type == QLatin1String("str") || type == QLatin1String("inlineStr") ||
                   type == QLatin1String("e") || type == QLatin1String("d")) {
            cell.kind = Cell::Kind::Text;
            cell.text = type == QLatin1String("inlineStr") ? value : XlsxText::unescape(value);
        } else {
            bool ok = false;
            cell.number = value.toDouble(&ok);
            cell.kind = ok ? Cell::Kind::Number : Cell::Kind::Empty;
        }
    }
    sheet.setCell(refRow, column, std::move(cell));
}

/* Read <cols> (18.3.1.17): custom widths and column default formats. */
void readColumns(QXmlStreamReader& xml, Worksheet& sheet, const SheetContext& context) {
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("col")) {
            const Attributes a = xml.attributes();
            const int first = qMax(1, intAttribute(a, "min", 0));
            const int last = qMin(kMaxColumns, intAttribute(a, "max", 0));
            const int style = intAttribute(a, "style", 0);
            sheet.setColumnFormat(first, last, workbookFormat(context, style));
            bool ok = false;
            const double width = a.value(QLatin1String("width")).toDouble(&ok);
            // A styled column without customWidth keeps the default width.
            const bool custom = boolAttribute(a, "customWidth", style == 0);
            if (ok && width >= 0 && custom) {
                for (int c = first; c <= last; ++c) {
                    sheet.setColumnWidth(c, width);
                }
            }
        }
        xml.skipCurrentElement();
    }
}

/* Read <sheetData> (18.3.1.80). */
void readSheetData(QXmlStreamReader& xml, Worksheet& sheet, const SheetContext& context) {
    int nextRow = 1;
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("row")) {
            xml.skipCurrentElement();
            continue;
        }
        const Attributes a = xml.attributes();
        const int row = intAttribute(a, "r", nextRow);
        nextRow = row + 1;
        if (row < 1 || row > kMaxRows) {
            xml.skipCurrentElement();
            continue;
        }
        bool ok = false;
        const double height = a.value(QLatin1String("ht")).toDouble(&ok);
        if (ok && boolAttribute(a, "customHeight", false)) {
            sheet.setRowHeight(row, height);
        }
        if (boolAttribute(a, "customFormat", false)) {
            sheet.setRowFormat(row, workbookFormat(context, intAttribute(a, "s", 0)));
        }
        int nextColumn = 1;
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("c")) {
                readCell(xml, sheet, row, &nextColumn, context);
            } else {
                xml.skipCurrentElement();
            }
        }
    }
}

/* Parse one worksheet part (CT_Worksheet, 18.3.1.99). */
bool parseSheet(const QByteArray& data, Worksheet& sheet, const SheetContext& context) {
    // The bulk of the part goes through the fast scanner; the general reader takes what is
    // left (columns, merges) first, so column default formats are known before the cells.
    const bool scan = XlsxSheetScanner::canScan(data);
    QXmlStreamReader xml(scan ? XlsxSheetScanner::withoutSheetData(data) : data);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        const QStringRef name = xml.name();
        if (name == QLatin1String("cols")) {
            readColumns(xml, sheet, context);
        } else if (name == QLatin1String("sheetData")) {
            readSheetData(xml, sheet, context);
        } else if (name == QLatin1String("mergeCell")) {
            CellRange range;
            if (CellRange::parse(xml.attributes().value(QLatin1String("ref")).toString(), &range)) {
                sheet.addMerge(range);
            }
        }
    }
    return !xml.hasError() &&
           (!scan || XlsxSheetScanner(*context.strings, *context.formatIndex).scan(data, sheet));
}

// Reads one package into a workbook.
class PackageReader {
public:
    PackageReader(const QString& path, Workbook& workbook)
        : m_package(path), m_workbook(workbook) {}

    /* Read every part the workbook needs, in dependency order. */
    WorkbookFileResult run() {
        if (!m_package.open()) {
            return WorkbookFileResult::failure(
                QStringLiteral("Not a workbook package (no ZIP archive)"));
        }
        QByteArray data;
        bool found = false;
        WorkbookFileResult result = m_package.read(QStringLiteral("_rels/.rels"), &data, &found);
        if (!result) {
            return result;
        }
        QString workbookPart = QStringLiteral("xl/workbook.xml");
        if (found) {
            const Relationships root = parseRelationships(data, QString());
            workbookPart = root.byType.value(QStringLiteral("officeDocument"), workbookPart);
        }
        const QString folder = workbookPart.section(QLatin1Char('/'), 0, -2);
        const QString relsName =
            (folder.isEmpty() ? QString() : folder + QLatin1Char('/')) + QStringLiteral("_rels/") +
            workbookPart.section(QLatin1Char('/'), -1) + QStringLiteral(".rels");
        result = m_package.read(relsName, &data, &found);
        if (!result) {
            return result;
        }
        if (!found) {
            return WorkbookFileResult::failure(QStringLiteral("Part %1 is missing").arg(relsName));
        }
        m_rels = parseRelationships(data, folder);
        if (!(result = readStyles())) {
            return result;
        }
        if (!(result = readStrings())) {
            return result;
        }
        result = m_package.read(workbookPart, &data, &found);
        if (!result) {
            return result;
        }
        if (!found) {
            return WorkbookFileResult::failure(
                QStringLiteral("Part %1 is missing").arg(workbookPart));
        }
        return readSheets(data);
    }

private:
    /* Read an optional part by relationship type. */
    WorkbookFileResult readOptional(const QString& type, QByteArray* data, bool* found) {
        *found = false;
        const QString name = m_rels.byType.value(type);
        return name.isEmpty() ? WorkbookFileResult::success() : m_package.read(name, data, found);
    }

    /* Theme colours, then styles.xml into the workbook's format table. */
    WorkbookFileResult readStyles() {
        QByteArray data;
        bool found = false;
        WorkbookFileResult result = readOptional(QStringLiteral("theme"), &data, &found);
        if (!result) {
            return result;
        }
        const ThemeColors theme = found ? parseTheme(data) : ThemeColors();
        result = readOptional(QStringLiteral("styles"), &data, &found);
        if (!result || !found) {
            m_formatIndex.assign(1, 0);
            return result;
        }
        StyleParts parts;
        if (!parseStyles(data, theme, &parts)) {
            return WorkbookFileResult::failure(QStringLiteral("Part styles.xml is malformed"));
        }
        // The xf 0 of a package is the workbook's base look: its font is the default font
        // of the file and maps to our default format.
        const CellFormat base =
            parts.cellFormats.empty() ? CellFormat() : parts.cellFormats.front();
        m_formatIndex.clear();
        for (CellFormat format : parts.cellFormats) {
            // The base font's name and size read as "not set", like our default format.
            if (format.fontName == base.fontName) {
                format.fontName.clear();
            }
            if (qFuzzyCompare(format.fontSize + 1, base.fontSize + 1)) {
                format.fontSize = 0;
            }
            m_formatIndex.push_back(m_workbook.formatTable().intern(format));
        }
        return WorkbookFileResult::success();
    }

    /* sharedStrings.xml (optional). */
    WorkbookFileResult readStrings() {
        QByteArray data;
        bool found = false;
        const WorkbookFileResult result =
            readOptional(QStringLiteral("sharedStrings"), &data, &found);
        if (result && found && !XlsxSheetScanner::scanSharedStrings(data, &m_strings) &&
            !parseSharedStrings(data, &m_strings)) {
            return WorkbookFileResult::failure(
                QStringLiteral("Part sharedStrings.xml is malformed"));
        }
        return result;
    }

    /* workbook.xml's sheet list, then every sheet part. */
    WorkbookFileResult readSheets(const QByteArray& workbookXml) {
        QXmlStreamReader xml(workbookXml);
        std::vector<std::pair<QString, QString>> sheets;  // name, part
        int activeTab = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement) {
                continue;
            }
            const Attributes a = xml.attributes();
            if (xml.name() == QLatin1String("sheet")) {
                QString id;
                for (const QXmlStreamAttribute& attribute : a) {
                    if (attribute.name() == QLatin1String("id")) {
                        id = attribute.value().toString();
                    }
                }
                sheets.emplace_back(a.value(QLatin1String("name")).toString(),
                                    m_rels.byId.value(id));
            } else if (xml.name() == QLatin1String("workbookView")) {
                activeTab = intAttribute(a, "activeTab", 0);
            }
        }
        if (xml.hasError() || sheets.empty()) {
            return WorkbookFileResult::failure(QStringLiteral("Part workbook.xml lists no sheets"));
        }
        const SheetContext context{&m_strings, &m_formatIndex};
        for (const auto& entry : sheets) {
            auto sheet = m_workbook.addSheet(entry.first);
            if (!sheet) {
                sheet = m_workbook.addSheet();  // a name we would refuse: keep the content
            }
            QByteArray data;
            bool found = false;
            const WorkbookFileResult result = entry.second.isEmpty()
                                                  ? WorkbookFileResult::success()
                                                  : m_package.read(entry.second, &data, &found);
            if (!result) {
                return result;
            }
            // A chart sheet or a missing part gives an empty sheet.
            if (found && !parseSheet(data, *sheet, context)) {
                return WorkbookFileResult::failure(
                    QStringLiteral("Part %1 is malformed").arg(entry.second));
            }
        }
        m_workbook.setActiveSheet(activeTab);
        return WorkbookFileResult::success();
    }

    Package m_package;
    Workbook& m_workbook;
    Relationships m_rels;
    std::vector<QString> m_strings;
    std::vector<int> m_formatIndex;
};

}  // namespace

/* Read a package into the workbook. */
WorkbookFileResult XlsxReader::read(const QString& path, Workbook& workbook) {
    return PackageReader(path, workbook).run();
}
