#include "office/xml/xmlreader.h"

#include <array>
#include <cstring>

namespace {

// Character classes of the tokenizer, one table lookup per byte.
enum : unsigned char { kSpace = 1, kNameEnd = 2, kNameBad = 4, kColon = 8 };

/* The class table: white space (XML 1.0, production 3) ends names, as do "/", ">", "=". */
constexpr std::array<unsigned char, 256> makeClasses() {
    std::array<unsigned char, 256> classes{};
    for (const char c : {' ', '\n', '\r', '\t'}) {
        classes[static_cast<unsigned char>(c)] = kSpace | kNameEnd;
    }
    for (const char c : {'/', '>', '='}) {
        classes[static_cast<unsigned char>(c)] = kNameEnd;
    }
    for (const char c : {'<', '"', '\''}) {
        classes[static_cast<unsigned char>(c)] = kNameBad;
    }
    classes[static_cast<unsigned char>(':')] = kColon;
    return classes;
}

constexpr std::array<unsigned char, 256> kClasses = makeClasses();

/* The key of a prefix in the scope map. */
std::string_view keyOf(const char* data, int size) {
    return std::string_view(data == nullptr ? "" : data, static_cast<size_t>(size));
}

/* The class bits of one byte. */
unsigned char classOf(char c) {
    return kClasses[static_cast<unsigned char>(c)];
}

/* XML white space. */
bool isSpace(char c) {
    return (classOf(c) & kSpace) != 0;
}

/* Find a byte sequence in [from, end); null when absent. */
const char* find(const char* from, const char* end, const char* needle) {
    const size_t length = std::strlen(needle);
    while (from < end) {
        const char* hit =
            static_cast<const char*>(std::memchr(from, needle[0], static_cast<size_t>(end - from)));
        if (hit == nullptr || static_cast<size_t>(end - hit) < length) {
            return nullptr;
        }
        if (std::memcmp(hit, needle, length) == 0) {
            return hit;
        }
        from = hit + 1;
    }
    return nullptr;
}

/* Append one code point, or nothing for values XML does not allow. */
void appendCodePoint(uint code, QString& out) {
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return;
    }
    if (code > 0xFFFF) {
        out += QChar(QChar::highSurrogate(code));
        out += QChar(QChar::lowSurrogate(code));
    } else {
        out += QChar(static_cast<ushort>(code));
    }
}

}  // namespace

/* Spans are equal when their bytes are. */
bool XmlReader::Span::operator==(const Span& other) const {
    return size == other.size &&
           (size == 0 || std::memcmp(data, other.data, static_cast<size_t>(size)) == 0);
}

/* Take the input, converting UTF-16 to UTF-8 and dropping a UTF-8 byte order mark. */
XmlReader::XmlReader(const QByteArray& xml, int maxDepth) : m_maxDepth(maxDepth) {
    const bool utf16 =
        xml.size() >= 2 &&
        ((static_cast<uchar>(xml[0]) == 0xFF && static_cast<uchar>(xml[1]) == 0xFE) ||
         (static_cast<uchar>(xml[0]) == 0xFE && static_cast<uchar>(xml[1]) == 0xFF));
    if (utf16) {
        const QString text =
            QString::fromUtf16(reinterpret_cast<const char16_t*>(xml.constData()), xml.size() / 2);
        m_converted = text.toUtf8();
    } else {
        m_converted = xml;
    }
    m_begin = m_converted.constData();
    m_pos = m_begin;
    m_end = m_begin + m_converted.size();
    if (m_end - m_pos >= 3 && std::memcmp(m_pos, "\xEF\xBB\xBF", 3) == 0) {
        m_pos += 3;
    }
    m_name = QLatin1String();
    m_namespace = QLatin1String();
}

/* Note the first error; the reader stops there. */
void XmlReader::fail(const char* message) {
    if (m_error.isEmpty()) {
        m_error = QString::fromLatin1(message);
    }
    m_pos = m_end;
}

/* Count lines up to the reading position. */
int XmlReader::lineNumber() const {
    const char* stop = m_pos < m_end ? m_pos : m_end;
    int lines = 1;
    for (const char* p = m_begin; p < stop; ++p) {
        lines += *p == '\n' ? 1 : 0;
    }
    return lines;
}

/* Move past white space. */
void XmlReader::skipSpace() {
    while (m_pos < m_end && isSpace(*m_pos)) {
        ++m_pos;
    }
}

/* A qualified name: prefix (possibly empty) and local part. */
bool XmlReader::parseName(Span& prefix, Span& local) {
    const char* start = m_pos;
    const char* colon = nullptr;
    while (m_pos < m_end) {
        const unsigned char bits = classOf(*m_pos);
        if (bits != 0) {
            if ((bits & kNameEnd) != 0) {
                break;
            }
            if ((bits & kNameBad) != 0) {
                return false;
            }
            if (colon == nullptr) {
                colon = m_pos;
            }
        }
        ++m_pos;
    }
    if (m_pos == start || m_pos >= m_end) {
        return false;
    }
    if (colon != nullptr) {
        prefix = Span{start, static_cast<int>(colon - start)};
        local = Span{colon + 1, static_cast<int>(m_pos - colon - 1)};
        return prefix.size > 0 && local.size > 0;
    }
    prefix = Span();
    local = Span{start, static_cast<int>(m_pos - start)};
    return true;
}

/* Declare a prefix for the element being opened. */
void XmlReader::pushBinding(const Binding& binding) {
    m_scopes[keyOf(binding.prefix.data, binding.prefix.size)].push_back(m_bindings.size());
    m_bindings.push_back(binding);
}

/* Drop the declarations of the element being closed. */
void XmlReader::popBindings() {
    while (!m_bindings.empty() && m_bindings.back().depth >= static_cast<int>(m_open.size())) {
        const Span& prefix = m_bindings.back().prefix;
        auto scope = m_scopes.find(keyOf(prefix.data, prefix.size));
        scope->second.pop_back();
        if (scope->second.empty()) {
            m_scopes.erase(scope);
        }
        m_bindings.pop_back();
    }
}

/* The binding of a prefix in scope; null when unbound. */
const XmlReader::Binding* XmlReader::binding(const Span& prefix) const {
    const auto scope = m_scopes.find(keyOf(prefix.data, prefix.size));
    return scope == m_scopes.end() ? nullptr : &m_bindings[scope->second.back()];
}

/* The namespace bound to a prefix in scope; empty when unbound. */
XmlReader::Span XmlReader::resolve(const Span& prefix) const {
    const Binding* found = binding(prefix);
    return found ? found->uri : Span();
}

/* Number a namespace URI for namespaceId(). */
int XmlReader::registerNamespace(QLatin1String uri) {
    m_registered.push_back(uri);
    return static_cast<int>(m_registered.size()) - 1;
}

/* The registered number of a URI, or -1. */
int XmlReader::idOf(const Span& uri) const {
    for (size_t i = 0; i < m_registered.size(); ++i) {
        if (uri.view() == m_registered[i]) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

/* A start tag (XML 1.0, production 40/44) with its attributes and namespace bindings. */
bool XmlReader::parseStartTag() {
    ++m_pos;  // '<'
    const char* qnameStart = m_pos;
    Span prefix;
    Span local;
    if (!parseName(prefix, local)) {
        fail("malformed start tag");
        return false;
    }
    const Span qname{qnameStart, static_cast<int>(m_pos - qnameStart)};
    const int depth = static_cast<int>(m_open.size()) + 1;
    if (depth > m_maxDepth) {
        fail("elements nested too deeply");
        return false;
    }
    if (!parseAttributes(depth)) {
        return false;
    }
    m_open.push_back(qname);
    m_name = local.view();
    const Binding* bound = binding(prefix);
    m_namespace = bound ? bound->uri.view() : QLatin1String();
    m_namespaceId = bound ? bound->id : -1;
    m_pendingEnd = m_selfClosing;
    return true;
}

/* A start tag's attributes up to its close, ">" or "/>" (which sets m_selfClosing). */
bool XmlReader::parseAttributes(int depth) {
    m_attributes.clear();
    for (;;) {
        skipSpace();
        if (m_pos >= m_end) {
            fail("unterminated start tag");
            return false;
        }
        if (*m_pos == '>') {
            ++m_pos;
            m_selfClosing = false;
            return true;
        }
        if (*m_pos == '/') {
            if (m_pos + 1 >= m_end || m_pos[1] != '>') {
                fail("malformed start tag");
                return false;
            }
            m_pos += 2;
            m_selfClosing = true;
            return true;
        }
        if (!parseAttribute(depth)) {
            return false;
        }
    }
}

/* One attribute (XML 1.0, production 41): a namespace declaration becomes a binding of the
   element at `depth`, any other attribute joins m_attributes. */
bool XmlReader::parseAttribute(int depth) {
    Attribute attribute;
    if (!parseName(attribute.prefix, attribute.local)) {
        fail("malformed attribute");
        return false;
    }
    skipSpace();
    if (m_pos >= m_end || *m_pos != '=') {
        fail("attribute without value");
        return false;
    }
    ++m_pos;
    skipSpace();
    if (m_pos >= m_end || (*m_pos != '"' && *m_pos != '\'')) {
        fail("attribute value not quoted");
        return false;
    }
    const char quote = *m_pos++;
    const char* close =
        static_cast<const char*>(std::memchr(m_pos, quote, static_cast<size_t>(m_end - m_pos)));
    if (close == nullptr ||
        std::memchr(m_pos, '<', static_cast<size_t>(close - m_pos)) != nullptr) {
        fail("malformed attribute value");
        return false;
    }
    attribute.value = Span{m_pos, static_cast<int>(close - m_pos)};
    m_pos = close + 1;
    if (attribute.prefix.size == 0 && attribute.local.view() == QLatin1String("xmlns")) {
        pushBinding(Binding{Span(), attribute.value, depth, idOf(attribute.value)});
    } else if (attribute.prefix.view() == QLatin1String("xmlns")) {
        pushBinding(Binding{attribute.local, attribute.value, depth, idOf(attribute.value)});
    } else {
        m_attributes.push_back(attribute);
    }
    return true;
}

/* An end tag; it must close the innermost open element, so its name is compared in place. */
bool XmlReader::parseEndTag() {
    m_pos += 2;  // "</"
    if (m_open.empty()) {
        fail("end tag does not match its start tag");
        return false;
    }
    const Span& open = m_open.back();
    const char* nameEnd = m_pos + open.size;
    if (nameEnd >= m_end || std::memcmp(m_pos, open.data, static_cast<size_t>(open.size)) != 0 ||
        (*nameEnd != '>' && !isSpace(*nameEnd))) {
        fail("end tag does not match its start tag");
        return false;
    }
    m_pos = nameEnd;
    skipSpace();
    if (m_pos >= m_end || *m_pos != '>') {
        fail("malformed end tag");
        return false;
    }
    ++m_pos;
    return true;
}

/* Comments, processing instructions and document type declarations give nothing; a CDATA
   section gives its raw text (returned as m_textBegin with a negative size marker). */
bool XmlReader::skipMarkup() {
    if (m_end - m_pos >= 4 && std::memcmp(m_pos, "<!--", 4) == 0) {
        const char* close = find(m_pos + 4, m_end, "-->");
        m_pos = close ? close + 3 : m_end;
        return close != nullptr;
    }
    if (m_end - m_pos >= 2 && m_pos[1] == '?') {
        const char* close = find(m_pos + 2, m_end, "?>");
        m_pos = close ? close + 2 : m_end;
        return close != nullptr;
    }
    if (m_end - m_pos >= 9 && std::memcmp(m_pos, "<!DOCTYPE", 9) == 0) {
        const char* close = doctypeEnd(m_pos, m_end);
        m_pos = close ? close : m_end;
        return close != nullptr;
    }
    return false;
}

/* Past the closing ">" of the document type declaration at `begin`; null when unterminated.
   Quoted literals, comments and processing instructions may hold "]" and ">" of their own; a
   single pass, however the subset is written. */
const char* XmlReader::doctypeEnd(const char* begin, const char* end) {
    bool inSubset = false;
    for (const char* p = begin + 2; p < end; ++p) {
        const char c = *p;
        if (c == '"' || c == '\'') {
            p = static_cast<const char*>(std::memchr(p + 1, c, static_cast<size_t>(end - p - 1)));
        } else if (c == '<' && end - p >= 4 && std::memcmp(p, "<!--", 4) == 0) {
            p = find(p + 4, end, "-->");
            p = p ? p + 2 : nullptr;
        } else if (c == '<' && end - p >= 2 && p[1] == '?') {
            p = find(p + 2, end, "?>");
            p = p ? p + 1 : nullptr;
        } else if (c == '[') {
            inSubset = true;
        } else if (c == ']') {
            inSubset = false;
        } else if (c == '>' && !inSubset) {
            return p + 1;
        }
        if (p == nullptr) {
            return nullptr;
        }
    }
    return nullptr;
}

/* The next token of the input. */
XmlReader::Token XmlReader::next() {
    if (m_pendingEnd) {
        m_pendingEnd = false;
        popBindings();
        m_open.pop_back();
        return Token::EndElement;
    }
    for (;;) {
        if (hasError()) {
            return Token::Invalid;
        }
        if (m_pos >= m_end) {
            if (!m_open.empty()) {
                fail("premature end of document");
                return Token::Invalid;
            }
            return Token::End;
        }
        if (*m_pos != '<') {
            const char* lt = static_cast<const char*>(
                std::memchr(m_pos, '<', static_cast<size_t>(m_end - m_pos)));
            const char* stop = lt ? lt : m_end;
            m_textBegin = Span{m_pos, static_cast<int>(stop - m_pos)};
            m_pos = stop;
            return Token::Text;
        }
        if (m_end - m_pos < 2) {
            fail("premature end of document");
            return Token::Invalid;
        }
        if (m_pos[1] == '/') {
            if (!parseEndTag()) {
                return Token::Invalid;
            }
            popBindings();
            m_open.pop_back();
            return Token::EndElement;
        }
        if (m_end - m_pos >= 9 && std::memcmp(m_pos, "<![CDATA[", 9) == 0) {
            const char* close = find(m_pos + 9, m_end, "]]>");
            if (close == nullptr) {
                fail("unterminated CDATA section");
                return Token::Invalid;
            }
            // Raw text: marked by a negative size so that it is not entity-decoded.
            m_textBegin = Span{m_pos + 9, -static_cast<int>(close - m_pos - 9) - 1};
            m_pos = close + 3;
            return Token::Text;
        }
        if (m_pos[1] == '!' || m_pos[1] == '?') {
            if (!skipMarkup()) {
                fail("malformed markup declaration");
                return Token::Invalid;
            }
            continue;
        }
        return parseStartTag() ? Token::StartElement : Token::Invalid;
    }
}

/* Advance to the next child start element of the current element. */
bool XmlReader::readNextStartElement() {
    for (;;) {
        switch (next()) {
            case Token::StartElement:
                return true;
            case Token::Text:
                continue;
            case Token::EndElement:
            case Token::End:
            case Token::Invalid:
                return false;
        }
    }
}

/* Skip to the end of the current element; skipping decodes nothing. */
void XmlReader::skipCurrentElement() {
    walkToElementEnd(1, [] {});
}

/* Collect the current element's own text. */
QString XmlReader::readElementText() {
    QString text;
    appendToElementEnd(text, 1);
    return text;
}

/* Read on to the end of the current element, `depth` levels below its start tag, calling
   `onOwnText` at each text token of the element itself (not of its children). */
template <typename OnOwnText>
void XmlReader::walkToElementEnd(int depth, OnOwnText onOwnText) {
    while (depth > 0) {
        switch (next()) {
            case Token::StartElement:
                ++depth;
                break;
            case Token::EndElement:
                --depth;
                break;
            case Token::Text:
                if (depth == 1) {
                    onOwnText();
                }
                break;
            case Token::End:
            case Token::Invalid:
                return;
        }
    }
}

/* Read on to the end of the current element, appending its own text to `text`. */
void XmlReader::appendToElementEnd(QString& text, int depth) {
    walkToElementEnd(depth, [&] { appendText(text); });
}

/* One plain run followed by the end tag is viewed in place; anything else is decoded. */
QLatin1String XmlReader::readElementBytes(QByteArray& scratch) {
    const char* start = m_pos;
    const Token token = next();
    if (token == Token::EndElement) {
        return QLatin1String(start, 0);
    }
    if (token == Token::Text && m_textBegin.size >= 0 && m_end - m_pos >= 2 && m_pos[1] == '/' &&
        std::memchr(m_textBegin.data, '&', static_cast<size_t>(m_textBegin.size)) == nullptr) {
        const Span text = m_textBegin;
        return next() == Token::EndElement ? text.view() : QLatin1String();
    }
    QString text;
    if (token == Token::Text) {
        appendText(text);
        appendToElementEnd(text, 1);
    } else if (token == Token::StartElement) {
        appendToElementEnd(text, 2);
    }
    if (hasError()) {
        return QLatin1String();
    }
    scratch = text.toUtf8();
    return QLatin1String(scratch.constData(), scratch.size());
}

/* Append the text token just read, decoding references only where it holds some. */
void XmlReader::appendText(QString& text) const {
    if (m_textBegin.size < 0) {
        text += QString::fromUtf8(m_textBegin.data, -m_textBegin.size - 1);
    } else {
        appendDecoded(m_textBegin.data, m_textBegin.data + m_textBegin.size, text);
    }
}

/* Decode UTF-8 text with entity and character references (XML 1.0, 4.1 and 4.6). */
void XmlReader::appendDecoded(const char* begin, const char* end, QString& out) const {
    while (begin < end) {
        const char* amp =
            static_cast<const char*>(std::memchr(begin, '&', static_cast<size_t>(end - begin)));
        if (amp == nullptr) {
            out += QString::fromUtf8(begin, static_cast<int>(end - begin));
            return;
        }
        out += QString::fromUtf8(begin, static_cast<int>(amp - begin));
        const size_t window = static_cast<size_t>(std::min<ptrdiff_t>(end - amp, 16));
        const char* semicolon = static_cast<const char*>(std::memchr(amp, ';', window));
        if (semicolon == nullptr) {
            // A bare ampersand is not well-formed; keep it rather than lose text.
            out += QLatin1Char('&');
            begin = amp + 1;
            continue;
        }
        const QLatin1String entity(amp + 1, static_cast<int>(semicolon - amp - 1));
        if (entity == QLatin1String("lt")) {
            out += QLatin1Char('<');
        } else if (entity == QLatin1String("gt")) {
            out += QLatin1Char('>');
        } else if (entity == QLatin1String("amp")) {
            out += QLatin1Char('&');
        } else if (entity == QLatin1String("quot")) {
            out += QLatin1Char('"');
        } else if (entity == QLatin1String("apos")) {
            out += QLatin1Char('\'');
        } else if (entity.size() > 1 && entity[0] == QLatin1Char('#')) {
            bool ok = false;
            const QByteArray digits(entity.data() + 1, entity.size() - 1);
            const uint code =
                digits.startsWith('x') ? digits.mid(1).toUInt(&ok, 16) : digits.toUInt(&ok, 10);
            if (ok) {
                appendCodePoint(code, out);
            }
        }
        // Any other entity was declared in a document type declaration, if at all: it is
        // never expanded.
        begin = semicolon + 1;
    }
}

/* The current element's attribute by local name and namespace; null when it has none. */
const XmlReader::Attribute* XmlReader::findAttribute(QLatin1String localName,
                                                     const QLatin1String* namespaces,
                                                     int namespaceCount) const {
    for (const Attribute& attribute : m_attributes) {
        if (attribute.local.view() != localName) {
            continue;
        }
        bool matches = attribute.prefix.size == 0 || namespaces == nullptr;
        if (!matches) {
            const QLatin1String uri = resolve(attribute.prefix).view();
            for (int i = 0; i < namespaceCount && !matches; ++i) {
                matches = uri == namespaces[i];
            }
        }
        if (matches) {
            return &attribute;
        }
    }
    return nullptr;
}

/* Look an attribute of the current element up and decode its value. */
QString XmlReader::attribute(QLatin1String localName, const QLatin1String* namespaces,
                             int namespaceCount) const {
    const Attribute* found = findAttribute(localName, namespaces, namespaceCount);
    QString value;
    if (found != nullptr) {
        appendDecoded(found->value.data, found->value.data + found->value.size, value);
    }
    return value;
}

/* Plain decimal digits read straight from the input; anything else is left to attribute(). */
bool XmlReader::integerAttribute(QLatin1String localName, int& value,
                                 const QLatin1String* namespaces, int namespaceCount) const {
    const Attribute* found = findAttribute(localName, namespaces, namespaceCount);
    if (found == nullptr || found->value.size == 0 || found->value.size > 9) {
        return false;
    }
    int number = 0;
    for (int i = 0; i < found->value.size; ++i) {
        const char c = found->value.data[i];
        if (c < '0' || c > '9') {
            return false;
        }
        number = number * 10 + (c - '0');
    }
    value = number;
    return true;
}

/* The raw value unless it holds a reference. */
QLatin1String XmlReader::attributeBytes(QLatin1String localName, QByteArray& scratch,
                                        const QLatin1String* namespaces, int namespaceCount) const {
    const Attribute* found = findAttribute(localName, namespaces, namespaceCount);
    if (found == nullptr) {
        return QLatin1String();
    }
    const Span& raw = found->value;
    if (std::memchr(raw.data, '&', static_cast<size_t>(raw.size)) == nullptr) {
        return raw.view();
    }
    QString decoded;
    appendDecoded(raw.data, raw.data + raw.size, decoded);
    scratch = decoded.toUtf8();
    return QLatin1String(scratch.constData(), scratch.size());
}

/* Compare without decoding unless the value holds a reference. */
bool XmlReader::attributeIs(QLatin1String localName, QLatin1String expected,
                            const QLatin1String* namespaces, int namespaceCount) const {
    const Attribute* found = findAttribute(localName, namespaces, namespaceCount);
    if (found == nullptr) {
        return false;
    }
    const Span& raw = found->value;
    if (std::memchr(raw.data, '&', static_cast<size_t>(raw.size)) == nullptr) {
        return raw.view() == expected;
    }
    QString decoded;
    appendDecoded(raw.data, raw.data + raw.size, decoded);
    return decoded == expected;
}
