#include "office/word/html/htmlreader.h"

#include "office/word/html/htmlencoding.h"
#include "office/word/html/htmlwordmarkup.h"
#include "office/word/model/symbolfonts.h"
#include "office/xml/chunkedinput.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <QHash>

#include <climits>
#include <cstring>
#include <memory>

namespace {

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
             {"script", "style",    "title",  "meta",     "link",   "noscript", "template",
              "object", "embed",    "iframe", "frameset", "select", "textarea", "img",
              "input",  "map",      "svg",    "math",     "o-p",    "xml",      "base",
              "col",    "colgroup", "area",   "audio",    "video",  "canvas"}) {
            map.insert(tag, TagKind::Skip);
        }
        map.insert("table", TagKind::Table);
        map.insert("br", TagKind::LineBreak);
        return map;
    }();
    const QByteArray key = QByteArray::fromRawData(name, static_cast<int>(std::strlen(name)));
    return kinds.value(key, TagKind::Inline);
}

/* An attribute's value from the parser's name/value list; null when absent. */
const char* attributeValue(const char** attributes, const char* name) {
    for (int i = 0; attributes != nullptr && attributes[i] != nullptr; i += 2) {
        if (std::strcmp(attributes[i], name) == 0) {
            return attributes[i + 1] != nullptr ? attributes[i + 1] : "";
        }
    }
    return nullptr;
}

/* An attribute's value as text; a null string when absent. */
QString attribute(const char** attributes, const char* name) {
    const char* value = attributeValue(attributes, name);
    return value == nullptr ? QString() : QString::fromUtf8(value);
}

/* A whole-number attribute within [low, high]; `fallback` when absent or unreadable. */
int integerAttribute(const char** attributes, const char* name, int fallback, int low, int high) {
    const char* value = attributeValue(attributes, name);
    if (value == nullptr) {
        return fallback;
    }
    // Browsers read the leading digits ("2px" is 2).
    while (*value == ' ' || *value == '\t' || *value == '\n' || *value == '\r') {
        ++value;
    }
    long long number = 0;
    int digits = 0;
    for (; *value >= '0' && *value <= '9' && digits < 9; ++value, ++digits) {
        number = number * 10 + (*value - '0');
    }
    return digits == 0 ? fallback : qBound(low, static_cast<int>(number), high);
}

/* The format heading levels give their text: bold, at the sizes browsers use. */
void headingStyle(int level, HtmlStyle& style) {
    static const double sizes[] = {24, 18, 14, 12, 10, 8};
    style.bold = true;
    style.fontSize = sizes[level - 1];
}

/* The format a <font> element's face, size and color attributes give. */
void fontTagStyle(const char** element, HtmlStyle& style) {
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

// What one tag gives by its meaning; the element's attributes matter only to <font>.
using TagFormat = void (*)(const char** element, HtmlStyle& style);

/* Bold text (b, strong). */
void boldTag(const char**, HtmlStyle& style) {
    style.bold = true;
}
/* Italic text (i, em, cite, dfn). */
void italicTag(const char**, HtmlStyle& style) {
    style.italic = true;
}
/* Struck-through text (s, strike, del). */
void strikeTag(const char**, HtmlStyle& style) {
    style.strike = true;
}
/* Underlined text (u, ins). */
void underlineTag(const char**, HtmlStyle& style) {
    style.underline = WordRunFormat::Underline::Single;
}
/* Centred paragraphs. */
void centerTag(const char**, HtmlStyle& style) {
    style.textAlign = WordParagraph::Alignment::Center;
}
/* A header cell: bold and centred. */
void headerCellTag(const char**, HtmlStyle& style) {
    style.bold = true;
    style.textAlign = WordParagraph::Alignment::Center;
}
/* A heading of one level. */
template <int level>
void headingTag(const char**, HtmlStyle& style) {
    headingStyle(level, style);
}

/* Formats that tags give by their meaning, before any style rule. */
void tagStyle(const char** element, const char* tag, HtmlStyle& style) {
    static const QHash<QByteArray, TagFormat> formats = {
        {"b", boldTag},        {"strong", boldTag},    {"i", italicTag},      {"em", italicTag},
        {"cite", italicTag},   {"dfn", italicTag},     {"s", strikeTag},      {"strike", strikeTag},
        {"del", strikeTag},    {"u", underlineTag},    {"ins", underlineTag}, {"center", centerTag},
        {"th", headerCellTag}, {"font", fontTagStyle}, {"h1", headingTag<1>}, {"h2", headingTag<2>},
        {"h3", headingTag<3>}, {"h4", headingTag<4>},  {"h5", headingTag<5>}, {"h6", headingTag<6>},
    };
    const QByteArray key = QByteArray::fromRawData(tag, static_cast<int>(std::strlen(tag)));
    if (const TagFormat format = formats.value(key, nullptr)) {
        format(element, style);
    }
}

/* Presentational attributes: align, valign, bgcolor, width. */
void attributeStyle(const char** element, const char* tag, HtmlStyle& style) {
    for (int i = 0; element != nullptr && element[i] != nullptr; i += 2) {
        const char* name = element[i];
        const bool isAlign = std::strcmp(name, "align") == 0;
        if (!isAlign && std::strcmp(name, "valign") != 0 && std::strcmp(name, "bgcolor") != 0 &&
            std::strcmp(name, "width") != 0) {
            continue;
        }
        const QString value =
            QString::fromUtf8(element[i + 1] != nullptr ? element[i + 1] : "").trimmed().toLower();
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
bool isOutsideStory(const char** element) {
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

// What an element passes to its content.
struct HtmlReader::Inherited {
    HtmlStyle style;  // inherited properties only
    WordRunFormat format;
    bool preformatted = false;
};

// A list of blocks being filled, with the paragraph that inline content is adding to.
struct HtmlReader::Container {
    std::vector<WordBlock>* blocks = nullptr;
    WordParagraph paragraph;
    bool open = false;          // `paragraph` has started
    bool pendingSpace = false;  // collapsed white space waiting for the next text
};

// One open element: what it is to the reader and what it gives its content.
struct HtmlReader::Frame {
    enum class Role : std::uint8_t {
        Skip,
        Style,
        Inline,
        Block,
        Paragraph,
        Table,
        Group,
        Row,
        Cell
    };
    Role role = Role::Inline;
    Inherited context;
    size_t blocksBefore = 0;  // Paragraph: the container's blocks when it started
};

// A cell whose rowspan reaches into later rows: the rows it still covers, its width on the
// grid and the look its continuation cells repeat.
struct HtmlReader::Carry {
    int rowsLeft = 0;
    int span = 1;
    WordCell look;  // without blocks
};

// One open table: its rows so far, the rowspans running down, and the open row and cell.
struct HtmlReader::TableState {
    std::shared_ptr<WordTable> table = std::make_shared<WordTable>();
    Container* outer = nullptr;  // where the table goes, and content outside its cells
    Inherited context;           // what the table gives its cells
    HtmlStyle style;             // fills and alignment the table gives its cells
    HtmlStyle groupStyle;        // the same with the open row group's
    HtmlStyle rowStyle;          // the same with the open row's
    Inherited rowContext;
    std::vector<Carry> carries;
    int column = 0;
    bool rowOpen = false;
    bool cellOpen = false;
    WordCell cell;  // the open cell
    Container cellContent;
};

// The parser's callbacks, forwarding to the reader kept in the context's _private.
class HtmlReader::Handler {
public:
    /* <tag attributes>. */
    static void start(void* context, const xmlChar* name, const xmlChar** attributes) {
        reader(context)->startElement(reinterpret_cast<const char*>(name),
                                      reinterpret_cast<const char**>(attributes));
    }
    /* </tag>, also for elements the parser closes itself. */
    static void end(void* context, const xmlChar*) { reader(context)->endElement(); }
    /* Text, with entities decoded. */
    static void text(void* context, const xmlChar* utf8, int length) {
        reader(context)->characters(reinterpret_cast<const char*>(utf8), length);
    }
    /* The raw text of <script> and <style>. */
    static void raw(void* context, const xmlChar* utf8, int length) {
        reader(context)->styleText(reinterpret_cast<const char*>(utf8), length);
    }

private:
    static HtmlReader* reader(void* context) {
        return static_cast<HtmlReader*>(static_cast<htmlParserCtxtPtr>(context)->_private);
    }
};

/* Decode, prepare and parse a page, then read it. */
WordLoadResult HtmlReader::readData(QByteArray data, const WordReadLimits& limits,
                                    const QByteArray& transportCharset) {
    if (data.size() > limits.maxPartBytes) {
        return WordLoadResult::failure(WordLoadResult::Status::TooLarge,
                                       QStringLiteral("the web page is too large"));
    }
    QByteArray utf8 = HtmlEncoding::toUtf8(data, transportCharset).utf8;
    data = QByteArray();  // a UTF-8 page is now held by `utf8` alone, prepared in place
    HtmlWordMarkup::prepare(utf8);
    HtmlReader reader(limits);
    return reader.read(utf8);
}

/* A reader bounded by the limits. */
HtmlReader::HtmlReader(const WordReadLimits& limits)
    : m_limits(limits),
      m_document(std::make_shared<WordDocument>()),
      m_body(std::make_unique<Container>()) {
    m_body->blocks = &m_document->blocks;
}

HtmlReader::~HtmlReader() = default;

/* Note the first failure, which also stops the parser. */
void HtmlReader::fail(WordLoadResult::Status status, const QString& message) {
    if (!failed()) {
        m_status = status;
        m_message = message;
        if (m_parser != nullptr) {
            xmlStopParser(static_cast<htmlParserCtxtPtr>(m_parser));
        }
    }
}

/* Parse with libxml2 (UTF-8, no network, errors recovered silently), reading its events. */
WordLoadResult HtmlReader::read(const QByteArray& utf8) {
    initParser();
    htmlParserCtxtPtr parser = htmlNewParserCtxt();
    if (parser == nullptr) {
        return WordLoadResult::failure(WordLoadResult::Status::TooLarge,
                                       QStringLiteral("out of memory"));
    }
    htmlSAXHandler handler;
    std::memset(&handler, 0, sizeof handler);
    handler.startElement = &Handler::start;
    handler.endElement = &Handler::end;
    handler.characters = &Handler::text;
    handler.ignorableWhitespace = &Handler::text;
    handler.cdataBlock = &Handler::raw;
    htmlSAXHandlerPtr own = parser->sax;
    parser->sax = &handler;
    parser->_private = this;
    m_parser = parser;
    const int options = HTML_PARSE_RECOVER | HTML_PARSE_NONET | HTML_PARSE_NOERROR |
                        HTML_PARSE_NOWARNING | HTML_PARSE_NODEFDTD;
    // Read a block at a time: libxml2 would copy a page handed over whole.
    ChunkedInput input(utf8);
    xmlDocPtr doc =
        htmlCtxtReadIO(parser, &ChunkedInput::read, nullptr, &input, nullptr, "UTF-8", options);
    xmlFreeDoc(doc);  // none: no tree is built
    parser->sax = own;
    htmlFreeParserCtxt(parser);
    m_parser = nullptr;
    // Elements the parser left open end with the page.
    while (!m_frames.empty()) {
        endElement();
    }
    closeParagraph(*m_body);
    if (failed()) {
        return WordLoadResult::failure(m_status, m_message);
    }
    return WordLoadResult::success(std::move(m_document));
}

/* The container inline content goes to: the open cell, else where the open table goes. */
HtmlReader::Container& HtmlReader::current() {
    if (m_tables.empty()) {
        return *m_body;
    }
    TableState& table = *m_tables.back();
    return table.cellOpen ? table.cellContent : *table.outer;
}

/* What the innermost open element gives its content; the page's defaults outside them all. */
const HtmlReader::Inherited& HtmlReader::topContext() const {
    static const Inherited kPage;
    return m_frames.empty() ? kPage : m_frames.back().context;
}

/* Open an element's frame, bounded by the depth limit. */
void HtmlReader::pushFrame(Frame frame) {
    if (frame.role == Frame::Role::Skip || frame.role == Frame::Role::Style) {
        ++m_skipping;
    }
    m_frames.push_back(std::move(frame));
    if (static_cast<int>(m_frames.size()) > m_limits.maxXmlDepth) {
        fail(WordLoadResult::Status::TooLarge, QStringLiteral("the web page is nested too deeply"));
    }
}

/* An element starts: by its kind, a paragraph, a table part, inline formats, or nothing. */
void HtmlReader::startElement(const char* tag, const char** attributes) {
    if (failed()) {
        return;
    }
    Frame frame;
    frame.role = Frame::Role::Skip;
    if (m_skipping > 0) {
        pushFrame(std::move(frame));
        return;
    }
    const TagKind kind = tagKind(tag);
    const Inherited& parent = topContext();
    if (startTableStructure(tag, attributes)) {
        return;
    }
    if (kind == TagKind::Skip) {
        if (std::strcmp(tag, "input") == 0) {
            appendCheckBox(attributes, parent);
        }
        frame.role = std::strcmp(tag, "style") == 0 ? Frame::Role::Style : Frame::Role::Skip;
        m_styleText.clear();
        pushFrame(std::move(frame));
        return;
    }
    if (kind == TagKind::LineBreak) {
        appendLineBreak(current(), parent);
        pushFrame(std::move(frame));
        return;
    }
    if (std::strcmp(tag, "div") == 0 && isOutsideStory(attributes)) {
        pushFrame(std::move(frame));
        return;
    }
    const HtmlStyle own = elementStyle(tag, attributes);
    if (own.hidden.value_or(false)) {
        pushFrame(std::move(frame));
        return;
    }
    if (kind == TagKind::Table) {
        closeParagraph(current());
        startTable(attributes, own);
        return;
    }
    frame.context = inherit(parent, own);
    if (kind == TagKind::Inline) {
        frame.role = Frame::Role::Inline;
        pushFrame(std::move(frame));
        return;
    }
    Container& out = current();
    closeParagraph(out);
    frame.role = kind == TagKind::Paragraph ? Frame::Role::Paragraph : Frame::Role::Block;
    frame.blocksBefore = out.blocks->size();
    frame.context.preformatted = parent.preformatted || std::strcmp(tag, "pre") == 0 ||
                                 std::strcmp(tag, "xmp") == 0 || std::strcmp(tag, "listing") == 0 ||
                                 std::strcmp(tag, "plaintext") == 0;
    pushFrame(std::move(frame));
}

/* Inside an open table and outside its cells: row groups, rows, cells and columns. False for
   other elements, which are read as content placed before the table. */
bool HtmlReader::startTableStructure(const char* tag, const char** attributes) {
    if (m_tables.empty() || m_tables.back()->cellOpen) {
        return false;
    }
    TableState& table = *m_tables.back();
    Frame frame;
    frame.context = table.context;
    if (std::strcmp(tag, "tr") == 0) {
        startRow(attributes);
        frame.context = table.rowContext;
        frame.role = Frame::Role::Row;
    } else if (std::strcmp(tag, "td") == 0 || std::strcmp(tag, "th") == 0) {
        frame.context = startCell(tag, attributes);
        frame.role = Frame::Role::Cell;
    } else if (std::strcmp(tag, "thead") == 0 || std::strcmp(tag, "tbody") == 0 ||
               std::strcmp(tag, "tfoot") == 0) {
        endRow();
        table.groupStyle = table.style;
        table.groupStyle.merge(elementStyle(tag, attributes));
        frame.role = Frame::Role::Group;
    } else if (std::strcmp(tag, "col") == 0) {
        addColumns(attributes);
        frame.role = Frame::Role::Skip;
    } else if (std::strcmp(tag, "colgroup") == 0) {
        frame.role = Frame::Role::Group;
    } else {
        return false;
    }
    pushFrame(std::move(frame));
    return true;
}

/* An element ends: finish what its start began. */
void HtmlReader::endElement() {
    if (m_frames.empty()) {
        return;
    }
    const Frame frame = std::move(m_frames.back());
    m_frames.pop_back();
    switch (frame.role) {
        case Frame::Role::Style:
            m_sheet.addRules(QString::fromUtf8(m_styleText));
            m_styleText.clear();
            m_styles.clear();  // styles remembered so far may miss the new rules
            --m_skipping;
            break;
        case Frame::Role::Skip:
            --m_skipping;
            break;
        case Frame::Role::Paragraph:
        case Frame::Role::Block: {
            Container& out = current();
            if (frame.role == Frame::Role::Paragraph && !out.open &&
                out.blocks->size() == frame.blocksBefore) {
                // An empty paragraph still takes its row, as in Word.
                openParagraph(out, frame.context);
            }
            closeParagraph(out);
            break;
        }
        case Frame::Role::Table:
            endTable();
            break;
        case Frame::Role::Row:
            endRow();
            break;
        case Frame::Role::Cell:
            endCell();
            break;
        case Frame::Role::Group:
        case Frame::Role::Inline:
            break;
    }
}

/* Text: into the current paragraph, unless inside an element that gives nothing. */
void HtmlReader::characters(const char* utf8, int length) {
    if (failed()) {
        return;
    }
    if (m_skipping > 0) {
        styleText(utf8, length);
        return;
    }
    const Inherited& context = topContext();
    appendText(current(), QString::fromUtf8(utf8, length), context);
}

/* Raw text: kept while a <style> element is open, for its rules. */
void HtmlReader::styleText(const char* utf8, int length) {
    if (!m_frames.empty() && m_frames.back().role == Frame::Role::Style &&
        m_styleText.size() < m_limits.maxPartBytes) {
        m_styleText.append(utf8, length);
    }
}

/* The element's own style, remembered by tag and attributes: pages repeat the same few
   attribute sets on thousands of cells and paragraphs. */
HtmlStyle HtmlReader::elementStyle(const char* tag, const char** attributes) const {
    QByteArray key(tag);
    for (int i = 0; attributes != nullptr && attributes[i] != nullptr; i += 2) {
        key += '\0';
        key += attributes[i];
        key += '=';
        key += attributes[i + 1] != nullptr ? attributes[i + 1] : "";
    }
    const auto known = m_styles.constFind(key);
    if (known != m_styles.constEnd()) {
        return *known;
    }
    const HtmlStyle own = computeStyle(tag, attributes);
    if (m_styles.size() > 4096) {
        m_styles.clear();
    }
    m_styles.insert(key, own);
    return own;
}

/* The element's own style: tag meaning, attributes, style rules, inline style. */
HtmlStyle HtmlReader::computeStyle(const char* tag, const char** attributes) const {
    HtmlStyle own;
    tagStyle(attributes, tag, own);
    attributeStyle(attributes, tag, own);
    if (!m_sheet.isEmpty()) {
        own.merge(m_sheet.styleFor(QString::fromLatin1(tag), attribute(attributes, "class")));
    }
    const char* inlineStyle = attributeValue(attributes, "style");
    if (inlineStyle != nullptr && *inlineStyle != '\0') {
        own.merge(HtmlStyle::parse(QString::fromUtf8(inlineStyle)));
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

/* Add text: white space collapsed (kept in preformatted blocks). */
void HtmlReader::appendText(Container& out, const QString& text, const Inherited& context) {
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
    WordRunFormat format = context.format;
    const SymbolFonts::Font font = SymbolFonts::fontOf(format.fontName);
    if (font != SymbolFonts::Font::None) {
        // Text in a symbol font reads as the glyphs it draws, in the default font, when the
        // table knows every character; else it keeps its font.
        QString mapped;
        for (const QChar c : kept) {
            mapped += SymbolFonts::toUnicode(font, c.unicode());
        }
        if (mapped.size() >= kept.size()) {
            kept = mapped;
            format.fontName.clear();
        }
    }
    std::vector<WordRun>& runs = out.paragraph.runs;
    if (!runs.empty() && runs.back().format == format) {
        runs.back().text += kept;
    } else {
        runs.push_back(WordRun{kept, format});
    }
}

/* <input type=checkbox> (a check box form field in a saved page): its box character. */
void HtmlReader::appendCheckBox(const char** attributes, const Inherited& context) {
    const char* type = attributeValue(attributes, "type");
    if (type == nullptr || qstricmp(type, "checkbox") != 0) {
        return;
    }
    const bool checked = attributeValue(attributes, "checked") != nullptr;
    appendText(current(), QString(QChar(checked ? SymbolFonts::kTicked : SymbolFonts::kUnticked)),
               context);
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

/* <table>: borders from its border attribute or style, fills and formats for its cells. */
void HtmlReader::startTable(const char** attributes, const HtmlStyle& own) {
    if (static_cast<int>(m_tables.size()) >= m_limits.maxTableNesting) {
        fail(WordLoadResult::Status::TooLarge, QStringLiteral("tables are nested too deeply"));
        return;
    }
    auto state = std::make_unique<TableState>();
    state->outer = &current();
    WordTable& table = *state->table;
    // border="n" draws every cell's sides; the table's own CSS border only its outside.
    if (integerAttribute(attributes, "border", 0, 0, 1000) > 0) {
        WordBorder line;
        line.set = true;
        line.line.style = BorderLine::Thin;
        table.borders = WordBorders{line, line, line, line, line, line};
    } else {
        table.borders.top = own.borders.top;
        table.borders.left = own.borders.left;
        table.borders.bottom = own.borders.bottom;
        table.borders.right = own.borders.right;
    }
    state->style = own;
    state->style.borders = WordBorders();
    state->groupStyle = state->style;
    const Inherited& parent = topContext();
    state->context = inherit(parent, own);
    Frame frame;
    frame.role = Frame::Role::Table;
    frame.context = state->context;
    m_tables.push_back(std::move(state));
    pushFrame(std::move(frame));
}

/* </table>: the table joins the blocks it was opened among. */
void HtmlReader::endTable() {
    if (m_tables.empty()) {
        return;
    }
    endRow();
    std::unique_ptr<TableState> state = std::move(m_tables.back());
    m_tables.pop_back();
    if (state->table->gridColumnCount() > m_limits.maxGridColumns) {
        fail(WordLoadResult::Status::TooLarge, QStringLiteral("a table has too many columns"));
        return;
    }
    if (!state->table->rows.empty()) {
        state->outer->blocks->push_back(WordBlock::ofTable(std::move(state->table)));
    }
}

/* <tr>: a new row, formatted from the table, its row group and its own attributes. */
void HtmlReader::startRow(const char** attributes) {
    TableState& state = *m_tables.back();
    endRow();
    if (static_cast<int>(state.table->rows.size()) >= m_limits.maxTableRows) {
        fail(WordLoadResult::Status::TooLarge, QStringLiteral("a table has too many rows"));
        return;
    }
    state.rowStyle = state.groupStyle;
    state.rowContext = state.context;
    if (attributes != nullptr) {
        state.rowStyle.merge(elementStyle("tr", attributes));
    }
    state.rowContext = inherit(state.context, state.rowStyle);
    state.table->rows.emplace_back();
    state.column = 0;
    state.rowOpen = true;
}

/* The row ends: cells that rowspans carry past its last cell continue in it. */
void HtmlReader::endRow() {
    TableState& state = *m_tables.back();
    if (!state.rowOpen) {
        return;
    }
    endCell();
    continueCarries(state.table->rows.back(), state.carries, state.column, INT_MAX);
    state.rowOpen = false;
}

/* Emit the continuation of every carried cell from `column` on, up to the first column at
   or past `until` that nothing carries; gaps before a carried cell get empty cells. */
void HtmlReader::continueCarries(WordRow& row, std::vector<Carry>& carries, int& column,
                                 int until) {
    const int count = static_cast<int>(carries.size());
    while (column < count) {
        Carry& carry = carries[static_cast<size_t>(column)];
        // Continuations and gaps are cells like any other: a few rowspans running down many
        // empty rows count against the same limit as cells written out.
        if (carry.rowsLeft > 0) {
            if (!addCell()) {
                return;
            }
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
        if (next >= count || next > until || !addCell()) {
            return;
        }
        WordCell gap;
        gap.gridSpan = next - column;
        row.cells.push_back(std::move(gap));
        column = next;
    }
}

/* Count one more cell of the document; false, and the document failed, past the limit. */
bool HtmlReader::addCell() {
    if (failed()) {
        return false;
    }
    if (++m_cells > m_limits.maxCells) {
        fail(WordLoadResult::Status::TooLarge,
             QStringLiteral("the document has too many table cells"));
        return false;
    }
    return true;
}

/* <td>/<th>: placed after the carried cells, with its spans, fill, borders, alignment and
   width; its content is read into it until it ends. Returns what it gives its content. */
HtmlReader::Inherited HtmlReader::startCell(const char* tag, const char** attributes) {
    TableState& state = *m_tables.back();
    endCell();
    if (!state.rowOpen) {
        startRow(nullptr);
    }
    if (failed()) {
        return state.context;
    }
    WordRow& row = state.table->rows.back();
    continueCarries(row, state.carries, state.column, state.column);
    if (!addCell()) {
        return state.context;
    }
    const HtmlStyle own = elementStyle(tag, attributes);
    const int span = integerAttribute(attributes, "colspan", 1, 1, kMaxColspan);
    int rows = integerAttribute(attributes, "rowspan", 1, 0, kMaxRowspan);
    if (rows == 0) {
        rows = INT_MAX / 2;  // to the end of the table
    }
    const int column = state.column;
    if (column + span > m_limits.maxGridColumns) {
        fail(WordLoadResult::Status::TooLarge, QStringLiteral("a table has too many columns"));
        return state.context;
    }
    WordCell& cell = state.cell;
    cell = WordCell();
    cell.gridSpan = span;
    cell.shading = own.background.value_or(state.rowStyle.background.value_or(kAutoColor));
    cell.borders.top = own.borders.top;
    cell.borders.left = own.borders.left;
    cell.borders.bottom = own.borders.bottom;
    cell.borders.right = own.borders.right;
    // Browsers centre cell content vertically unless told otherwise.
    cell.verticalAlignment = own.verticalAlign.value_or(
        state.rowStyle.verticalAlign.value_or(WordCell::VerticalAlignment::Center));
    cell.widthTwips = own.widthTwips.value_or(-1);
    if (state.carries.size() < static_cast<size_t>(column + span)) {
        state.carries.resize(static_cast<size_t>(column + span));
    }
    // A cell that covers columns a rowspan above still carried ends that rowspan.
    for (int k = column; k < column + span; ++k) {
        state.carries[static_cast<size_t>(k)].rowsLeft = 0;
    }
    if (rows > 1) {
        cell.verticalMerge = WordCell::VerticalMerge::Restart;
        state.carries[static_cast<size_t>(column)] = Carry{rows - 1, span, cell};
    }
    state.cellContent = Container();
    state.cellContent.blocks = &cell.blocks;
    state.cellOpen = true;
    return inherit(state.rowContext, own);
}

/* The open cell ends: its paragraph closed, the cell added to its row. */
void HtmlReader::endCell() {
    TableState& state = *m_tables.back();
    if (!state.cellOpen) {
        return;
    }
    closeParagraph(state.cellContent);
    state.cellOpen = false;
    const int span = state.cell.gridSpan;
    state.table->rows.back().cells.push_back(std::move(state.cell));
    state.cell = WordCell();
    state.column += span;
}

/* <col span width>: widths of grid columns. */
void HtmlReader::addColumns(const char** attributes) {
    TableState& state = *m_tables.back();
    const int span = integerAttribute(attributes, "span", 1, 1, kMaxColspan);
    const HtmlStyle style = elementStyle("col", attributes);
    std::vector<int>& widths = state.table->gridColumnTwips;
    for (int i = 0; i < span && static_cast<int>(widths.size()) < m_limits.maxGridColumns; ++i) {
        widths.push_back(style.widthTwips.value_or(-1));
    }
}
