#include "office/excel/xlsx/xlsxsheetscanner.h"

#include "office/excel/xlsx/xlsxtext.h"

#include <charconv>
#include <cstring>

namespace {

// One attribute of the tag being scanned.
struct Attribute {
    const char* name = nullptr;
    int nameLength = 0;
    const char* value = nullptr;
    int valueLength = 0;
};

// A tag: its name, attributes and whether it closes itself.
struct Tag {
    const char* name = nullptr;
    int nameLength = 0;
    bool closing = false;      // </name>
    bool selfClosing = false;  // <name/>
    Attribute attributes[8];
    int attributeCount = 0;

    bool is(const char* candidate) const {
        return static_cast<int>(std::strlen(candidate)) == nameLength &&
               std::memcmp(name, candidate, static_cast<size_t>(nameLength)) == 0;
    }
    /* The attribute `candidate`, or null. */
    const Attribute* attribute(const char* candidate) const {
        const int length = static_cast<int>(std::strlen(candidate));
        for (int i = 0; i < attributeCount; ++i) {
            if (attributes[i].nameLength == length &&
                std::memcmp(attributes[i].name, candidate, static_cast<size_t>(length)) == 0) {
                return &attributes[i];
            }
        }
        return nullptr;
    }
};

/* True for XML white space. */
bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// A cursor over the bytes of the part.
class Cursor {
public:
    Cursor(const char* begin, const char* end) : m_p(begin), m_end(end) {}

    bool atEnd() const { return m_p >= m_end; }

    /* Move to the next tag and read it; false at the end or on a malformed tag. */
    bool nextTag(Tag* tag) {
        while (m_p < m_end && *m_p != '<') {
            ++m_p;
        }
        return readTag(tag);
    }

    /* Read the text up to the next '<' (the cursor stays on it). */
    void text(const char** begin, int* length) {
        *begin = m_p;
        while (m_p < m_end && *m_p != '<') {
            ++m_p;
        }
        *length = static_cast<int>(m_p - *begin);
    }

    /* Skip to after the closing tag of `name` (the element just opened). */
    bool skipElement(const Tag& open) {
        if (open.selfClosing) {
            return true;
        }
        int depth = 1;
        Tag tag;
        while (depth > 0) {
            if (!nextTag(&tag)) {
                return false;
            }
            if (tag.closing) {
                --depth;
            } else if (!tag.selfClosing) {
                ++depth;
            }
        }
        return true;
    }

private:
    /* Read one tag at the cursor. */
    bool readTag(Tag* tag) {
        if (m_p >= m_end || *m_p != '<') {
            return false;
        }
        ++m_p;
        tag->closing = m_p < m_end && *m_p == '/';
        if (tag->closing) {
            ++m_p;
        }
        tag->name = m_p;
        while (m_p < m_end && !isSpace(*m_p) && *m_p != '>' && *m_p != '/') {
            ++m_p;
        }
        tag->nameLength = static_cast<int>(m_p - tag->name);
        tag->attributeCount = 0;
        tag->selfClosing = false;
        while (m_p < m_end) {
            while (m_p < m_end && isSpace(*m_p)) {
                ++m_p;
            }
            if (m_p >= m_end) {
                return false;
            }
            if (*m_p == '>') {
                ++m_p;
                return true;
            }
            if (*m_p == '/') {
                tag->selfClosing = true;
                ++m_p;
                continue;
            }
            if (!readAttribute(tag)) {
                return false;
            }
        }
        return false;
    }

    /* Read name="value" into the tag (attributes beyond eight are skipped). */
    bool readAttribute(Tag* tag) {
        Attribute attribute;
        attribute.name = m_p;
        while (m_p < m_end && *m_p != '=' && !isSpace(*m_p) && *m_p != '>') {
            ++m_p;
        }
        attribute.nameLength = static_cast<int>(m_p - attribute.name);
        while (m_p < m_end && isSpace(*m_p)) {
            ++m_p;
        }
        if (m_p >= m_end || *m_p != '=') {
            return false;
        }
        ++m_p;
        while (m_p < m_end && isSpace(*m_p)) {
            ++m_p;
        }
        if (m_p >= m_end || (*m_p != '"' && *m_p != '\'')) {
            return false;
        }
        const char quote = *m_p++;
        attribute.value = m_p;
        while (m_p < m_end && *m_p != quote) {
            ++m_p;
        }
        if (m_p >= m_end) {
            return false;
        }
        attribute.valueLength = static_cast<int>(m_p - attribute.value);
        ++m_p;
        if (tag->attributeCount < 8) {
            tag->attributes[tag->attributeCount++] = attribute;
        }
        return true;
    }

    const char* m_p;
    const char* m_end;
};

/* Decode UTF-8 text with XML entity and character references. */
QString decodeText(const char* begin, int length) {
    if (std::memchr(begin, '&', static_cast<size_t>(length)) == nullptr) {
        return QString::fromUtf8(begin, length);
    }
    QByteArray plain;
    plain.reserve(length);
    for (int i = 0; i < length; ++i) {
        if (begin[i] != '&') {
            plain.append(begin[i]);
            continue;
        }
        const char* semicolon =
            static_cast<const char*>(std::memchr(begin + i, ';', static_cast<size_t>(length - i)));
        if (semicolon == nullptr) {
            plain.append(begin[i]);
            continue;
        }
        const QByteArray entity(begin + i + 1, static_cast<int>(semicolon - begin - i - 1));
        if (entity == "amp") {
            plain.append('&');
        } else if (entity == "lt") {
            plain.append('<');
        } else if (entity == "gt") {
            plain.append('>');
        } else if (entity == "quot") {
            plain.append('"');
        } else if (entity == "apos") {
            plain.append('\'');
        } else if (entity.startsWith('#')) {
            bool ok = false;
            const uint code = entity.startsWith("#x") ? entity.mid(2).toUInt(&ok, 16)
                                                      : entity.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10FFFF) {
                const char32_t unit = code;
                plain.append(QString::fromUcs4(&unit, 1).toUtf8());
            }
        } else {
            plain.append(begin + i, static_cast<int>(semicolon - begin - i + 1));
        }
        i = static_cast<int>(semicolon - begin);
    }
    return QString::fromUtf8(plain);
}

/* An integer attribute value. */
bool parseInt(const Attribute* attribute, int* out) {
    if (attribute == nullptr) {
        return false;
    }
    const auto result =
        std::from_chars(attribute->value, attribute->value + attribute->valueLength, *out);
    return result.ec == std::errc() && result.ptr == attribute->value + attribute->valueLength;
}

/* Parse "B12"; false when malformed. */
bool parseReference(const Attribute* attribute, int* row, int* column) {
    const char* p = attribute->value;
    const char* end = p + attribute->valueLength;
    int col = 0;
    int letters = 0;
    while (p < end && *p >= 'A' && *p <= 'Z' && letters < 3) {
        col = col * 26 + (*p - 'A' + 1);
        ++p;
        ++letters;
    }
    int r = 0;
    const auto result = std::from_chars(p, end, r);
    if (result.ec != std::errc() || result.ptr != end || col < 1 || col > kMaxColumns || r < 1 ||
        r > kMaxRows) {
        return false;
    }
    *row = r;
    *column = col;
    return true;
}

/* True when an attribute value equals `text`. */
bool valueIs(const Attribute* attribute, const char* text) {
    return attribute != nullptr && attribute->valueLength == static_cast<int>(std::strlen(text)) &&
           std::memcmp(attribute->value, text, static_cast<size_t>(attribute->valueLength)) == 0;
}

}  // namespace

XlsxSheetScanner::XlsxSheetScanner(const std::vector<QString>& strings,
                                   const std::vector<int>& formatIndex)
    : m_strings(strings), m_formatIndex(formatIndex) {}

/* One plain <sheetData> and no markup the scanner does not handle inside it. */
bool XlsxSheetScanner::canScan(const QByteArray& part) {
    const int start = part.indexOf("<sheetData");
    if (start < 0 || part.indexOf("<sheetData", start + 1) >= 0) {
        return false;
    }
    const int end = part.indexOf("</sheetData>", start);
    const int selfClosed = part.indexOf("/>", start);
    if (end < 0 && selfClosed != start + 10) {
        return false;
    }
    const int stop = end < 0 ? selfClosed : end;
    const QByteArray body = QByteArray::fromRawData(part.constData() + start, stop - start);
    return !body.contains("<!") && !body.contains("<?") && !body.contains(":c ") &&
           !body.contains(":row");
}

/* Cut the element's content out. */
QByteArray XlsxSheetScanner::withoutSheetData(const QByteArray& part) {
    const int start = part.indexOf("<sheetData");
    const int end = part.indexOf("</sheetData>", start);
    if (start < 0 || end < 0) {
        return part;
    }
    return part.left(start) + "<sheetData/>" + part.mid(end + 12);
}

namespace {

// Reads the cells of one <c> element.
struct CellReader {
    const std::vector<QString>& strings;
    const std::vector<int>& formatIndex;

    /* Read the children of <c> up to </c> into `cell`. */
    bool readChildren(Cursor& cursor, const Attribute* type, Cell* cell) const {
        Tag tag;
        bool hasValue = false;
        const char* valueBegin = nullptr;
        int valueLength = 0;
        QString inlineText;
        while (cursor.nextTag(&tag)) {
            if (tag.closing && tag.is("c")) {
                break;
            }
            if (tag.closing) {
                continue;
            }
            if (tag.is("v") && !tag.selfClosing) {
                cursor.text(&valueBegin, &valueLength);
                hasValue = true;
            } else if (tag.is("is") && !tag.selfClosing) {
                if (!readInline(cursor, &inlineText)) {
                    return false;
                }
                hasValue = true;
            } else if (!cursor.skipElement(tag)) {
                return false;
            }
        }
        if (hasValue) {
            setValue(type, valueBegin, valueLength, inlineText, cell);
        }
        return true;
    }

    /* Read the <t> runs of an inline string, skipping phonetic runs, up to </is>. */
    static bool readInline(Cursor& cursor, QString* text) {
        Tag tag;
        while (cursor.nextTag(&tag)) {
            if (tag.closing && tag.is("is")) {
                *text = XlsxText::unescape(*text);
                return true;
            }
            if (!tag.closing && tag.is("t") && !tag.selfClosing) {
                const char* begin = nullptr;
                int length = 0;
                cursor.text(&begin, &length);
                *text += decodeText(begin, length);
            } else if (!tag.closing && tag.is("rPh") && !cursor.skipElement(tag)) {
                return false;
            }
        }
        return false;
    }

    /* Type the value by the cell's t attribute. */
    void setValue(const Attribute* type, const char* begin, int length, const QString& inlineText,
                  Cell* cell) const {
        if (type == nullptr || valueIs(type, "n")) {
            const auto result = std::from_chars(begin, begin + length, cell->number);
            cell->kind = result.ec == std::errc() ? Cell::Kind::Number : Cell::Kind::Empty;
        } else if (valueIs(type, "s")) {
            int index = -1;
            const auto result = std::from_chars(begin, begin + length, index);
            if (result.ec == std::errc() && index >= 0 &&
                index < static_cast<int>(strings.size())) {
                cell->kind = Cell::Kind::Text;
                cell->text = strings[static_cast<size_t>(index)];
            }
        } else if (valueIs(type, "b")) {
            cell->kind = Cell::Kind::Boolean;
            cell->number = length == 1 && begin[0] == '1' ? 1 : 0;
        } else if (valueIs(type, "inlineStr")) {
            cell->kind = Cell::Kind::Text;
            cell->text = inlineText;
        } else {
            cell->kind = Cell::Kind::Text;  // str, e, d: formula strings, errors, dates
            cell->text = XlsxText::unescape(decodeText(begin, length));
        }
    }
};

}  // namespace

/* Scan the rows and cells. */
bool XlsxSheetScanner::scan(const QByteArray& part, Worksheet& sheet) const {
    const int start = part.indexOf("<sheetData");
    if (start < 0) {
        return false;
    }
    Cursor cursor(part.constData() + start, part.constData() + part.size());
    Tag tag;
    if (!cursor.nextTag(&tag) || tag.selfClosing) {
        return tag.selfClosing;
    }
    const CellReader reader{m_strings, m_formatIndex};
    int nextRow = 1;
    int row = 0;
    int nextColumn = 1;
    while (cursor.nextTag(&tag)) {
        if (tag.closing) {
            if (tag.is("sheetData")) {
                return true;
            }
            continue;
        }
        if (tag.is("row")) {
            row = nextRow;
            parseInt(tag.attribute("r"), &row);
            nextRow = row + 1;
            nextColumn = 1;
            double height = 0;
            const Attribute* ht = tag.attribute("ht");
            if (ht != nullptr && (valueIs(tag.attribute("customHeight"), "1") ||
                                  valueIs(tag.attribute("customHeight"), "true"))) {
                const auto result = std::from_chars(ht->value, ht->value + ht->valueLength, height);
                if (result.ec == std::errc() && row >= 1 && row <= kMaxRows) {
                    sheet.setRowHeight(row, height);
                }
            }
            int style = 0;
            if ((valueIs(tag.attribute("customFormat"), "1") ||
                 valueIs(tag.attribute("customFormat"), "true")) &&
                parseInt(tag.attribute("s"), &style) && style > 0 &&
                style < static_cast<int>(m_formatIndex.size())) {
                sheet.setRowFormat(row, m_formatIndex[static_cast<size_t>(style)]);
            }
            continue;
        }
        if (!tag.is("c")) {
            if (!cursor.skipElement(tag)) {
                return false;
            }
            continue;
        }
        int cellRow = row;
        int column = nextColumn;
        const Attribute* reference = tag.attribute("r");
        const bool placed = reference == nullptr
                                ? row >= 1 && row <= kMaxRows && column <= kMaxColumns
                                : parseReference(reference, &cellRow, &column);
        nextColumn = column + 1;
        Cell cell;
        int style = 0;
        if (parseInt(tag.attribute("s"), &style) && style > 0 &&
            style < static_cast<int>(m_formatIndex.size())) {
            cell.format = m_formatIndex[static_cast<size_t>(style)];
        }
        if (!tag.selfClosing && !reader.readChildren(cursor, tag.attribute("t"), &cell)) {
            return false;
        }
        if (placed) {
            sheet.setCell(cellRow, column, std::move(cell));
        }
    }
    return false;
}

namespace {

/* The text of one <si> up to </si>: its <t> runs, phonetic runs skipped. */
bool readItem(Cursor& cursor, QString* text) {
    Tag tag;
    while (cursor.nextTag(&tag)) {
        if (tag.closing && tag.is("si")) {
            *text = XlsxText::unescape(*text);
            return true;
        }
        if (tag.closing) {
            continue;
        }
        if (tag.is("t") && !tag.selfClosing) {
            const char* begin = nullptr;
            int length = 0;
            cursor.text(&begin, &length);
            *text += decodeText(begin, length);
        } else if (tag.is("rPh") && !cursor.skipElement(tag)) {
            return false;
        }
    }
    return false;
}

}  // namespace

/* Scan <si> items; anything unusual goes back to the general reader. */
bool XlsxSheetScanner::scanSharedStrings(const QByteArray& part, std::vector<QString>* strings) {
    const int start = part.indexOf("<sst");
    if (start < 0 || part.indexOf("<!", start) >= 0 || part.indexOf("<?", start) >= 0 ||
        part.indexOf(":si>", start) >= 0 || part.indexOf(":t>", start) >= 0) {
        return false;
    }
    Cursor cursor(part.constData() + start, part.constData() + part.size());
    std::vector<QString> items;
    Tag tag;
    if (!cursor.nextTag(&tag) || !tag.is("sst")) {
        return false;
    }
    if (tag.selfClosing) {
        return true;
    }
    while (cursor.nextTag(&tag)) {
        if (tag.closing && tag.is("sst")) {
            strings->insert(strings->end(), std::make_move_iterator(items.begin()),
                            std::make_move_iterator(items.end()));
            return true;
        }
        if (tag.closing || !tag.is("si")) {
            if (!tag.closing && !cursor.skipElement(tag)) {
                return false;
            }
            continue;
        }
        QString text;
        if (!tag.selfClosing && !readItem(cursor, &text)) {
            return false;
        }
        items.push_back(std::move(text));
    }
    return false;
}
