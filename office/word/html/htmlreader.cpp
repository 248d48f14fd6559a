#include "office/word/html/htmlreader.h"

#include "office/word/html/htmlencoding.h"
#include "office/word/html/htmlwordmarkup.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>

#include <QHash>

#include <climits>
#include <cstring>
#include <memory>

namespace {

// Cells of one document; far beyond any real document, well within memory.
constexpr long long kMaxCells = 4'000'000;
// The HTML table model's own bounds on spans (HTML Living Standard, 4.9.11).
constexpr int kMaxColspan = 1000;
constexpr int kMaxRowspan = 65534;

// What an element is to the reader.
enum class TagKind : std::uint8_t {
    Inline,     // its content flows into the current paragraph
    Block,      // its content starts and ends paragraphs
    Paragraph,  // a block that is a paragraph even when empty
    Table,
    LineBreak,
    Skip,  // gives nothing: heads, scripts, styles, forms' controls, Office's paragraph marks
};

/* The kind of each tag the reader treats other than as inline content. */
TagKind tagKind(const char* name) {
    static const QHash<QByteArray, TagKind> kinds = [] {
        QHash<QByteArray, TagKind> map;
        for (const char* tag : {"p", "h1", "h2", "h3", "h4", "h5", "h6", "li", "pre", "dt", "dd",
                                "listing", "xmp", "plaintext"}) {
            map.insert(tag, TagKind::Paragraph);
        }
        for (const char* tag :
             {"div",     "ul",       "ol",     "dl",         "blockquote", "center",  "address",
              "section", "article",  "header", "footer",     "nav",        "aside",   "main",
              "form",    "fieldset", "figure", "figcaption", "hr",         "caption", "body",
              "html",    "menu",     "dir",    "details",    "summary",    "legend",  "tr",
              "td",      "th",       "thead",  "tbody",      "tfoot"}) {
            map.insert(tag, TagKind::Block);
        }
        for (const char* tag :
             {"head",     "script", "style",    "title",  "meta",     "link",   "noscript",
              "template", "object", "embed",    "iframe", "frameset", "select", "textarea",
              "img",      "input",  "map",      "svg",    "math",     "o-p",    "xml",
              "base",     "col",    "colgroup", "area",   "audio",    "video",  "canvas"}) {
            map.insert(tag, TagKind::Skip);
        }
        map.insert("table", TagKind::Table);
        map.insert("br", TagKind::LineBreak);
        return map;
    }();
    const QByteArray key = QByteArray::fromRawData(name, static_cast<int>(std::strlen(name)));
    return kinds.value(key, TagKind::Inline);
}

/* The element's name as a C string. */
const char* nameOf(const xmlNode* node) {
    return reinterpret_cast<const char*>(node->name);
}

/* True when the node is an element named `name`. */
bool isElement(const xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE && std::strcmp(nameOf(node), name) == 0;
}

/* An attribute's value; a null string when the element has none. */
QString attribute(const xmlNode* element, const char* name) {
    for (const xmlAttr* attr = element->properties; attr != nullptr; attr = attr->next) {
        if (std::strcmp(reinterpret_cast<const char*>(attr->name), name) != 0) {
            continue;
        }
        const xmlNode* value = attr->children;
        if (value == nullptr) {
            return QStringLiteral("");
        }
        if (value->type == XML_TEXT_NODE && value->next == nullptr) {
            return QString::fromUtf8(reinterpret_cast<const char*>(value->content));
        }
        std::unique_ptr<xmlChar, decltype(xmlFree)> text(
            xmlNodeListGetString(element->doc, value, 1), xmlFree);
        return QString::fromUtf8(reinterpret_cast<const char*>(text.get()));
    }
    return QString();
}

/* A whole-number attribute within [low, high]; `fallback` when absent or unreadable. */
int integerAttribute(const xmlNode* element, const char* name, int fallback, int low, int high) {
    const QString text = attribute(element, name);
    if (text.isNull()) {
        return fallback;
    }
    // Browsers read the leading digits ("2px" is 2).
    int end = 0;
    const QString trimmed = text.trimmed();
    while (end < trimmed.size() && trimmed[end].isDigit()) {
        ++end;
    }
    bool ok = false;
    const int value = trimmed.left(std::min(end, 9)).toInt(&ok);
    return ok ? qBound(low, value, high) : fallback;
}

/* The format heading levels give their text: bold, at the sizes browsers use. */
void headingStyle(int level, HtmlStyle& style) {
    static const double sizes[] = {24, 18, 14, 12, 10, 8};
    style.bold = true;
    style.fontSize = sizes[level - 1];
}

/* Formats that tags give by their meaning, before any style rule. */
void tagStyle(const xmlNode* element, const char* tag, HtmlStyle& style) {
    switch (tag[0]) {
        case 'b':
            if (tag[1] == '\0') {
                style.bold = true;
            }
            break;
        case 'c':
            if (std::strcmp(tag, "center") == 0) {
                style.textAlign = WordParagraph::Alignment::Center;
            } else if (std::strcmp(tag, "cite") == 0) {
                style.italic = true;
            }
            break;
        case 'd':
            if (std::strcmp(tag, "del") == 0) {
                style.strike = true;
            } else if (std::strcmp(tag, "dfn") == 0) {
                style.italic = true;
            }
            break;
        case 'e':
            if (std::strcmp(tag, "em") == 0) {
                style.italic = true;
            }
            break;
        case 'f':
            if (std::strcmp(tag, "font") == 0) {
                const QString face = attribute(element, "face");
                if (!face.isEmpty()) {
                    style.fontFamily = face.split(QLatin1Char(',')).first().trimmed();
                }
                const QString size = attribute(element, "size");
                if (!size.isNull()) {
                    if (const auto points = HtmlStyle::fontTagSize(size)) {
                        style.fontSize = points;
                    }
                }
                const QString color = attribute(element, "color");
                if (!color.isNull()) {
                    if (const auto rgb = HtmlStyle::parseColor(color)) {
                        style.color = rgb;
                    }
                }
            }
            break;
        case 'h':
            if (tag[1] >= '1' && tag[1] <= '6' && tag[2] == '\0') {
                headingStyle(tag[1] - '0', style);
            }
            break;
        case 'i':
            if (tag[1] == '\0') {
                style.italic = true;
            } else if (std::strcmp(tag, "ins") == 0) {
                style.underline = WordRunFormat::Underline::Single;
            }
            break;
        case 's':
            if (tag[1] == '\0' || std::strcmp(tag, "strike") == 0) {
                style.strike = true;
            } else if (std::strcmp(tag, "strong") == 0) {
                style.bold = true;
            }
            break;
        case 't':
            if (std::strcmp(tag, "th") == 0) {
                style.bold = true;
                style.textAlign = WordParagraph::Alignment::Center;
            }
            break;
        case 'u':
            if (tag[1] == '\0') {
                style.underline = WordRunFormat::Underline::Single;
            }
            break;
        default:
            break;
    }
}

/* Presentational attributes: align, valign, bgcolor, width. */
void attributeStyle(const xmlNode* element, const char* tag, HtmlStyle& style) {
    for (const xmlAttr* attr = element->properties; attr != nullptr; attr = attr->next) {
        const char* name = reinterpret_cast<const char*>(attr->name);
        const bool isAlign = std::strcmp(name, "align") == 0;
        if (!isAlign && std::strcmp(name, "valign") != 0 && std::strcmp(name, "bgcolor") != 0 &&
            std::strcmp(name, "width") != 0) {
            continue;
        }
        const QString value = attribute(element, name).trimmed().toLower();
        if (isAlign && std::strcmp(tag, "table") != 0) {
            HtmlStyle::apply(u"text-align", value, style);
        } else if (name[0] == 'v') {
            HtmlStyle::apply(u"vertical-align", value, style);
        } else if (name[0] == 'b') {
            if (const auto color = HtmlStyle::parseColor(value)) {
                style.background = color;
            }
        } else if (name[0] == 'w') {
            if (const auto twips = HtmlStyle::parseTwips(value)) {
                style.widthTwips = twips;
            }
        }
    }
}

/* True when a paragraph's text is only spaces: pages write &nbsp; to hold empty cells open. */
bool onlySpaces(const WordParagraph& paragraph) {
    for (const WordRun& run : paragraph.runs) {
        for (const QChar c : run.text) {
            if (c != QLatin1Char(' ') && c != QChar(0xA0)) {
                return false;
            }
        }
    }
    return true;
}

/* True for the parts of a page outside the main story: page headers and footers, notes and
   comments, as Word (style mso-element) and LibreOffice (title) mark them. */
bool isOutsideStory(const xmlNode* element) {
    const QString title = attribute(element, "title");
    if (title == QLatin1String("header") || title == QLatin1String("footer")) {
        return true;
    }
    const QString style = attribute(element, "style");
    const int at = style.indexOf(QLatin1String("mso-element"), 0, Qt::CaseInsensitive);
    if (at < 0) {
        return false;
    }
    const QStringView value = QStringView(style).mid(at + 11);
    for (const char* kind : {"header", "footer", "footnote", "endnote", "comment"}) {
        const int colon = value.indexOf(QLatin1Char(':'));
        if (colon >= 0 &&
            value.mid(colon + 1).trimmed().startsWith(QLatin1String(kind), Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

/* The libxml2 parser set up once per process, before any thread uses it. */
void initParser() {
    static const bool initialized = [] {
        xmlInitParser();
        return true;
    }();
    (void)initialized;
}

}  // namespace

// A cell whose rowspan reaches into later rows: the rows it still covers, its width on the
// grid and the look its continuation cells repeat.
struct HtmlReader::Carry {
    int rowsLeft = 0;
    int span = 1;
    WordCell look;  // without blocks
};

/* Decode, prepare and parse a page, then read it. */
WordLoadResult HtmlReader::readData(const QByteArray& data, const DocxLimits& limits,
                                    const QByteArray& transportCharset) {
    if (data.size() > limits.maxPartBytes) {
        return WordLoadResult::failure(WordLoadResult::Status::TooLarge,
                                       QStringLiteral("the web page is too large"));
    }
    QByteArray utf8 = HtmlEncoding::toUtf8(data, transportCharset);
    HtmlWordMarkup::prepare(utf8);
    HtmlReader reader(limits);
    return reader.read(utf8);
}

/* A reader bounded by the limits. */
HtmlReader::HtmlReader(const DocxLimits& limits) : m_limits(limits) {}

/* Note the first failure; later ones do not replace it. */
void HtmlReader::fail(WordLoadResult::Status status, const QString& message) {
    if (!failed()) {
        m_status = status;
        m_message = message;
    }
}

/* Parse with libxml2 (no network, errors recovered silently) and walk the body. */
WordLoadResult HtmlReader::read(const QByteArray& utf8) {
    initParser();
    const int options = HTML_PARSE_RECOVER | HTML_PARSE_NONET | HTML_PARSE_NOERROR |
                        HTML_PARSE_NOWARNING | HTML_PARSE_COMPACT;
    std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
        htmlReadMemory(utf8.constData(), utf8.size(), nullptr, "UTF-8", options), xmlFreeDoc);
    auto document = std::make_shared<WordDocument>();
    xmlNode* root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
    if (root == nullptr) {
        // Only white space or comments: a page without content.
        return WordLoadResult::success(std::move(document));
    }
    collectStyleSheets(root, 0);
    Inherited context;
    Container body;
    body.blocks = &document->blocks;
    readElement(root, body, context, 0);
    closeParagraph(body);
    if (failed()) {
        return WordLoadResult::failure(m_status, m_message);
    }
    return WordLoadResult::success(std::move(document));
}

/* Add the text of every <style> element to the style sheet. */
void HtmlReader::collectStyleSheets(xmlNode* node, int depth) {
    if (depth > m_limits.maxXmlDepth) {
        return;
    }
    for (xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (child->type != XML_ELEMENT_NODE) {
            continue;
        }
        if (isElement(child, "style")) {
            std::unique_ptr<xmlChar, decltype(xmlFree)> text(xmlNodeGetContent(child), xmlFree);
            if (text) {
                m_sheet.addRules(QString::fromUtf8(reinterpret_cast<const char*>(text.get())));
            }
        } else {
            collectStyleSheets(child, depth + 1);
        }
    }
}

/* The element's own style: tag meaning, attributes, style rules, inline style. */
HtmlStyle HtmlReader::elementStyle(xmlNode* element, const char* tag) const {
    HtmlStyle own;
    tagStyle(element, tag, own);
    attributeStyle(element, tag, own);
    if (!m_sheet.isEmpty()) {
        own.merge(m_sheet.styleFor(QString::fromLatin1(tag), attribute(element, "class")));
    }
    const QString inlineStyle = attribute(element, "style");
    if (!inlineStyle.isEmpty()) {
        own.merge(HtmlStyle::parse(inlineStyle));
    }
    return own;
}

/* The context an element gives its content: the inherited properties merged. */
HtmlReader::Inherited HtmlReader::inherit(const Inherited& parent, const HtmlStyle& own) const {
    Inherited next = parent;
    next.style.merge(own);
    // Fills, borders, cell alignment and widths belong to the element itself.
    next.style.background.reset();
    next.style.borders = WordBorders();
    next.style.verticalAlign.reset();
    next.style.widthTwips.reset();
    next.style.hidden.reset();
    next.format = formatOf(next.style);
    return next;
}

/* The run format of text under these inherited properties. */
WordRunFormat HtmlReader::formatOf(const HtmlStyle& style) {
    WordRunFormat format;
    format.bold = style.bold.value_or(false);
    format.italic = style.italic.value_or(false);
    format.strike = style.strike.value_or(false);
    format.underline = style.underline.value_or(WordRunFormat::Underline::None);
    format.color = style.color.value_or(kAutoColor);
    if (style.fontSize) {
        format.fontSize = *style.fontSize;
    } else if (style.fontScale) {
        // A relative size without a stated one is taken from Word's web default of 12pt.
        format.fontSize = 12 * *style.fontScale;
    }
    if (style.fontFamily) {
        format.fontName = *style.fontFamily;
        format.eastAsiaFontName = *style.fontFamily;
    }
    return format;
}

/* Each child in order: text into the paragraph, elements by their kind. */
void HtmlReader::readChildren(xmlNode* parent, Container& out, const Inherited& context,
                              int depth) {
    for (xmlNode* child = parent->children; child != nullptr && !failed(); child = child->next) {
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            appendText(out, reinterpret_cast<const char*>(child->content), context);
        } else if (child->type == XML_ELEMENT_NODE) {
            readElement(child, out, context, depth + 1);
        }
    }
}

/* One element by its kind. */
void HtmlReader::readElement(xmlNode* element, Container& out, const Inherited& context,
                             int depth) {
    if (depth > m_limits.maxXmlDepth) {
        fail(WordLoadResult::Status::TooLarge, QStringLiteral("the web page is nested too deeply"));
        return;
    }
    const char* tag = nameOf(element);
    const TagKind kind = tagKind(tag);
    if (kind == TagKind::Skip) {
        return;
    }
    if (kind == TagKind::LineBreak) {
        appendLineBreak(out, context);
        return;
    }
    if (kind == TagKind::Block && std::strcmp(tag, "div") == 0 && isOutsideStory(element)) {
        return;
    }
    const HtmlStyle own = elementStyle(element, tag);
    if (own.hidden.value_or(false)) {
        return;
    }
    if (kind == TagKind::Table) {
        closeParagraph(out);
        readTable(element, out, context, own, depth);
        return;
    }
    const Inherited inner = inherit(context, own);
    if (kind == TagKind::Inline) {
        readChildren(element, out, inner, depth);
        return;
    }
    closeParagraph(out);
    const size_t blocksBefore = out.blocks->size();
    Inherited block = inner;
    block.preformatted = context.preformatted || std::strcmp(tag, "pre") == 0 ||
                         std::strcmp(tag, "xmp") == 0 || std::strcmp(tag, "listing") == 0 ||
                         std::strcmp(tag, "plaintext") == 0;
    readChildren(element, out, block, depth);
    if (kind == TagKind::Paragraph && !out.open && out.blocks->size() == blocksBefore) {
        // An empty paragraph still takes its row, as in Word.
        openParagraph(out, block);
    }
    closeParagraph(out);
}

/* Start a paragraph with the alignment and mark format of its context. */
void HtmlReader::openParagraph(Container& out, const Inherited& context) {
    out.paragraph = WordParagraph();
    out.paragraph.alignment = context.style.textAlign.value_or(WordParagraph::Alignment::Default);
    out.paragraph.markFormat = context.format;
    out.open = true;
    out.pendingSpace = false;
}

/* Finish the open paragraph: one trailing line break dropped (browsers show none), a
   paragraph of spaces kept as an empty one. */
void HtmlReader::closeParagraph(Container& out) {
    if (!out.open) {
        return;
    }
    std::vector<WordRun>& runs = out.paragraph.runs;
    if (!runs.empty() && runs.back().text.endsWith(QLatin1Char('\n'))) {
        runs.back().text.chop(1);
        if (runs.back().text.isEmpty()) {
            runs.pop_back();
        }
    }
    if (onlySpaces(out.paragraph)) {
        runs.clear();
    }
    out.blocks->push_back(WordBlock::ofParagraph(std::move(out.paragraph)));
    out.paragraph = WordParagraph();
    out.open = false;
    out.pendingSpace = false;
}

/* Add a text node: white space collapsed (kept in preformatted blocks). */
void HtmlReader::appendText(Container& out, const char* utf8, const Inherited& context) {
    const QString text = QString::fromUtf8(utf8);
    QString kept;
    if (context.preformatted) {
        kept = text;
        kept.remove(QLatin1Char('\r'));
    } else {
        kept.reserve(text.size());
        bool lineStart = !out.open || out.paragraph.runs.empty() ||
                         out.paragraph.runs.back().text.endsWith(QLatin1Char('\n'));
        for (const QChar c : text) {
            const ushort u = c.unicode();
            if (u == ' ' || u == '\t' || u == '\n' || u == '\r' || u == '\f') {
                out.pendingSpace = !lineStart || !kept.isEmpty();
                continue;
            }
            if (out.pendingSpace) {
                kept += QLatin1Char(' ');
                out.pendingSpace = false;
            }
            kept += c;
            lineStart = false;
        }
    }
    if (kept.isEmpty()) {
        return;
    }
    if (!out.open) {
        openParagraph(out, context);
    }
    std::vector<WordRun>& runs = out.paragraph.runs;
    if (!runs.empty() && runs.back().format == context.format) {
        runs.back().text += kept;
    } else {
        runs.push_back(WordRun{kept, context.format});
    }
}

/* <br>: a line feed in the paragraph (which it starts when none is open). */
void HtmlReader::appendLineBreak(Container& out, const Inherited& context) {
    if (!out.open) {
        openParagraph(out, context);
    }
    std::vector<WordRun>& runs = out.paragraph.runs;
    if (!runs.empty() && runs.back().format == context.format) {
        runs.back().text += QLatin1Char('\n');
    } else {
        runs.push_back(WordRun{QStringLiteral("\n"), context.format});
    }
    out.pendingSpace = false;
}

/* <table>: its rows on a grid, with its caption and stray content before it. */
void HtmlReader::readTable(xmlNode* element, Container& out, const Inherited& context,
                           const HtmlStyle& own, int depth) {
    if (m_tableNesting >= m_limits.maxTableNesting) {
        fail(WordLoadResult::Status::TooLarge, QStringLiteral("tables are nested too deeply"));
        return;
    }
    ++m_tableNesting;
    auto table = std::make_shared<WordTable>();
    HtmlStyle tableStyle = own;
    // border="n" draws every cell's sides; the table's own CSS border only its outside.
    if (integerAttribute(element, "border", 0, 0, 1000) > 0) {
        WordBorder line;
        line.set = true;
        line.line.style = BorderLine::Thin;
        table->borders = WordBorders{line, line, line, line, line, line};
    } else {
        table->borders.top = own.borders.top;
        table->borders.left = own.borders.left;
        table->borders.bottom = own.borders.bottom;
        table->borders.right = own.borders.right;
    }
    tableStyle.borders = WordBorders();
    const Inherited inner = inherit(context, own);
    std::vector<Carry> carries;
    readTableChildren(element, *table, carries, out, inner, tableStyle, depth);
    --m_tableNesting;
    if (table->gridColumnCount() > m_limits.maxGridColumns) {
        fail(WordLoadResult::Status::TooLarge, QStringLiteral("a table has too many columns"));
        return;
    }
    if (!table->rows.empty()) {
        out.blocks->push_back(WordBlock::ofTable(std::move(table)));
    }
}

/* Rows (also inside thead, tbody, tfoot), column widths, and content outside the rows. */
void HtmlReader::readTableChildren(xmlNode* parent, WordTable& table, std::vector<Carry>& carries,
                                   Container& out, const Inherited& context,
                                   const HtmlStyle& inherited, int depth) {
    for (xmlNode* child = parent->children; child != nullptr && !failed(); child = child->next) {
        if (child->type != XML_ELEMENT_NODE) {
            continue;
        }
        const char* tag = nameOf(child);
        if (std::strcmp(tag, "tr") == 0) {
            readRow(child, table, carries, context, inherited, depth + 1);
        } else if (std::strcmp(tag, "thead") == 0 || std::strcmp(tag, "tbody") == 0 ||
                   std::strcmp(tag, "tfoot") == 0) {
            HtmlStyle group = inherited;
            group.merge(elementStyle(child, tag));
            readTableChildren(child, table, carries, out, context, group, depth + 1);
        } else if (std::strcmp(tag, "col") == 0) {
            readColumn(child, table);
        } else if (std::strcmp(tag, "colgroup") == 0) {
            for (xmlNode* col = child->children; col != nullptr; col = col->next) {
                if (isElement(col, "col")) {
                    readColumn(col, table);
                }
            }
        } else if (depth < m_limits.maxXmlDepth) {
            // A caption, or content a broken page put between rows: shown before the table,
            // as browsers show it.
            readElement(child, out, context, depth + 1);
            closeParagraph(out);
        }
    }
}

/* <col span width>: widths of grid columns. */
void HtmlReader::readColumn(xmlNode* element, WordTable& table) {
    const int span = integerAttribute(element, "span", 1, 1, kMaxColspan);
    const HtmlStyle style = elementStyle(element, "col");
    for (int i = 0; i < span; ++i) {
        if (static_cast<int>(table.gridColumnTwips.size()) >= m_limits.maxGridColumns) {
            return;
        }
        table.gridColumnTwips.push_back(style.widthTwips.value_or(-1));
    }
}

/* <tr>: cells placed on the grid around the cells that rowspans carry down. */
void HtmlReader::readRow(xmlNode* element, WordTable& table, std::vector<Carry>& carries,
                         const Inherited& context, const HtmlStyle& tableStyle, int depth) {
    if (static_cast<int>(table.rows.size()) >= m_limits.maxTableRows) {
        fail(WordLoadResult::Status::TooLarge, QStringLiteral("a table has too many rows"));
        return;
    }
    HtmlStyle rowStyle = tableStyle;
    rowStyle.merge(elementStyle(element, "tr"));
    const Inherited inner = inherit(context, rowStyle);
    table.rows.emplace_back();
    WordRow& row = table.rows.back();
    int column = 0;
    readCells(element, row, carries, column, inner, rowStyle, depth + 1);
    continueCarries(row, carries, column, INT_MAX);
}

/* The cells of a row, also inside elements a broken page wrapped them in. */
void HtmlReader::readCells(xmlNode* parent, WordRow& row, std::vector<Carry>& carries, int& column,
                           const Inherited& context, const HtmlStyle& rowStyle, int depth) {
    if (depth > m_limits.maxXmlDepth) {
        fail(WordLoadResult::Status::TooLarge, QStringLiteral("the web page is nested too deeply"));
        return;
    }
    for (xmlNode* child = parent->children; child != nullptr && !failed(); child = child->next) {
        if (child->type != XML_ELEMENT_NODE) {
            continue;
        }
        const char* tag = nameOf(child);
        if (std::strcmp(tag, "td") == 0 || std::strcmp(tag, "th") == 0) {
            readCell(child, tag, row, carries, column, context, rowStyle, depth + 1);
        } else if (tagKind(tag) != TagKind::Skip && !isElement(child, "table")) {
            readCells(child, row, carries, column, context, rowStyle, depth + 1);
        }
    }
}

/* Emit the continuation of every carried cell from `column` on, up to the first column at
   or past `until` that nothing carries; gaps before a carried cell get empty cells. */
void HtmlReader::continueCarries(WordRow& row, std::vector<Carry>& carries, int& column,
                                 int until) {
    const int count = static_cast<int>(carries.size());
    while (column < count) {
        Carry& carry = carries[static_cast<size_t>(column)];
        if (carry.rowsLeft > 0) {
            WordCell cell = carry.look;
            cell.verticalMerge = WordCell::VerticalMerge::Continue;
            row.cells.push_back(std::move(cell));
            --carry.rowsLeft;
            column += carry.span;
            continue;
        }
        if (column >= until) {
            return;
        }
        int next = column + 1;
        while (next < count && carries[static_cast<size_t>(next)].rowsLeft <= 0) {
            ++next;
        }
        if (next >= count || next > until) {
            return;
        }
        WordCell gap;
        gap.gridSpan = next - column;
        row.cells.push_back(std::move(gap));
        column = next;
    }
}

/* <td>/<th>: its content, spans, fill, borders, alignment and width. */
void HtmlReader::readCell(xmlNode* element, const char* tag, WordRow& row,
                          std::vector<Carry>& carries, int& column, const Inherited& context,
                          const HtmlStyle& rowStyle, int depth) {
    if (++m_cells > kMaxCells) {
        fail(WordLoadResult::Status::TooLarge,
             QStringLiteral("the document has too many table cells"));
        return;
    }
    continueCarries(row, carries, column, column);
    const HtmlStyle own = elementStyle(element, tag);
    const int span = integerAttribute(element, "colspan", 1, 1, kMaxColspan);
    int rows = integerAttribute(element, "rowspan", 1, 0, kMaxRowspan);
    if (rows == 0) {
        rows = INT_MAX / 2;  // to the end of the table
    }
    if (column + span > m_limits.maxGridColumns) {
        fail(WordLoadResult::Status::TooLarge, QStringLiteral("a table has too many columns"));
        return;
    }
    WordCell cell;
    cell.gridSpan = span;
    cell.shading = own.background.value_or(rowStyle.background.value_or(kAutoColor));
    cell.borders.top = own.borders.top;
    cell.borders.left = own.borders.left;
    cell.borders.bottom = own.borders.bottom;
    cell.borders.right = own.borders.right;
    // Browsers centre cell content vertically unless told otherwise.
    cell.verticalAlignment = own.verticalAlign.value_or(
        rowStyle.verticalAlign.value_or(WordCell::VerticalAlignment::Center));
    cell.widthTwips = own.widthTwips.value_or(-1);
    if (carries.size() < static_cast<size_t>(column + span)) {
        carries.resize(static_cast<size_t>(column + span));
    }
    // A cell that covers columns a rowspan above still carried ends that rowspan.
    for (int k = column; k < column + span; ++k) {
        carries[static_cast<size_t>(k)].rowsLeft = 0;
    }
    if (rows > 1) {
        cell.verticalMerge = WordCell::VerticalMerge::Restart;
        carries[static_cast<size_t>(column)] = Carry{rows - 1, span, cell};
    }
    Container content;
    content.blocks = &cell.blocks;
    readChildren(element, content, inherit(context, own), depth);
    closeParagraph(content);
    row.cells.push_back(std::move(cell));
    column += span;
}
