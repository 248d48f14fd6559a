#pragma once

// XmlReader: a small pull reader for the XML parts of Word and Excel packages, shaped like the
// part of QXmlStreamReader the reader uses (readNextStartElement, skipCurrentElement,
// readElementText), and several times faster on large parts.
//
// It reads UTF-8 (UTF-16 with a byte order mark is converted first), resolves namespace
// prefixes, decodes the predefined and character entities, and checks that every end tag
// matches its start tag. Document type declarations are skipped: entities they declare are
// never expanded and nothing is ever fetched; a reference to an undeclared entity gives
// nothing. Comments, processing instructions and CDATA sections are handled; anything not
// well-formed stops the reader with an error.

#include <QByteArray>
#include <QLatin1String>
#include <QString>

#include <string_view>
#include <unordered_map>
#include <vector>

class XmlReader {
public:
    // `maxDepth` bounds element nesting; deeper input is an error.
    explicit XmlReader(const QByteArray& xml, int maxDepth = 1024);

    // Read on to the next start element inside the current element: true when one was
    // found (it is now current), false at the current element's end, at the end of the
    // input, or on error.
    bool readNextStartElement();
    // Read to the end of the current element, skipping everything inside it.
    void skipCurrentElement();
    // The text inside the current element (child elements skipped), read to its end.
    QString readElementText();
    // The same text as UTF-8 bytes: a view into the input when it is one run without
    // references (no copy, no conversion), else decoded into `scratch` and viewed there. The
    // view lives as long as the reader and `scratch`; null after an error. For values read as
    // numbers, where a QString would only be converted back.
    QLatin1String readElementBytes(QByteArray& scratch);

    // The current element's local name and namespace URI (ASCII views into the input).
    QLatin1String name() const { return m_name; }
    QLatin1String namespaceUri() const { return m_namespace; }
    // Give namespace URIs a number, compared once per declaration instead of once per
    // element; call before reading. Returns the number namespaceId() answers for `uri`.
    int registerNamespace(QLatin1String uri);
    // The number of the current element's namespace, or -1 when it was not registered.
    int namespaceId() const { return m_namespaceId; }
    // The value of the current element's attribute with this local name, in no namespace or
    // in one of the given namespaces (null: any); a null string when it has none.
    QString attribute(QLatin1String localName, const QLatin1String* namespaces = nullptr,
                      int namespaceCount = 0) const;
    // The same attribute read as a whole number written in plain decimal digits (values up to
    // 999,999,999): true with `value` set; false when it is absent or written otherwise
    // (then attribute() gives the text). Measures and counts are read without a string.
    bool integerAttribute(QLatin1String localName, int& value,
                          const QLatin1String* namespaces = nullptr, int namespaceCount = 0) const;
    // The attribute's value as UTF-8 bytes: a view into the input when it holds no reference,
    // else decoded into `scratch` and viewed there; a null view when it is absent.
    QLatin1String attributeBytes(QLatin1String localName, QByteArray& scratch,
                                 const QLatin1String* namespaces = nullptr,
                                 int namespaceCount = 0) const;
    // True when the attribute is present and its value, decoded, is `expected`.
    bool attributeIs(QLatin1String localName, QLatin1String expected,
                     const QLatin1String* namespaces = nullptr, int namespaceCount = 0) const;

    // Past the closing ">" of the document type declaration starting at `begin` ("<!DOCTYPE"),
    // its internal subset skipped whole; null when it does not end before `end`.
    static const char* doctypeEnd(const char* begin, const char* end);

    bool hasError() const { return !m_error.isEmpty(); }
    QString errorString() const { return m_error; }
    // The 1-based line of the reading position.
    int lineNumber() const;

private:
    struct Span {
        const char* data = nullptr;
        int size = 0;
        QLatin1String view() const { return QLatin1String(data, size); }
        bool operator==(const Span& other) const;
    };
    struct Attribute {
        Span prefix;
        Span local;
        Span value;
    };
    struct Binding {
        Span prefix;  // empty: the default namespace
        Span uri;
        int depth;
        int id;  // registered number of the URI, or -1
    };
    enum class Token { StartElement, EndElement, Text, End, Invalid };

    Token next();
    bool parseStartTag();
    bool parseAttributes(int depth);
    bool parseAttribute(int depth);
    bool parseEndTag();
    bool skipMarkup();
    bool parseName(Span& prefix, Span& local);
    void skipSpace();
    void pushBinding(const Binding& binding);
    void popBindings();
    const Binding* binding(const Span& prefix) const;
    Span resolve(const Span& prefix) const;
    int idOf(const Span& uri) const;
    const Attribute* findAttribute(QLatin1String localName, const QLatin1String* namespaces,
                                   int namespaceCount) const;
    void fail(const char* message);
    void appendDecoded(const char* begin, const char* end, QString& out) const;
    template <typename OnOwnText>
    void walkToElementEnd(int depth, OnOwnText onOwnText);
    void appendToElementEnd(QString& text, int depth);
    void appendText(QString& text) const;

    QByteArray m_converted;  // the input, when it had to be converted to UTF-8
    const char* m_begin;
    const char* m_pos;
    const char* m_end;
    int m_maxDepth;
    std::vector<Span> m_open;  // qualified names of the open elements
    std::vector<Binding> m_bindings;
    // For each prefix in scope, the indices into m_bindings of its declarations, innermost
    // last: a lookup costs the same however many prefixes a document declares.
    std::unordered_map<std::string_view, std::vector<size_t>> m_scopes;
    std::vector<Attribute> m_attributes;
    Span m_textBegin;
    QLatin1String m_name;
    QLatin1String m_namespace;
    int m_namespaceId = -1;
    std::vector<QLatin1String> m_registered;
    bool m_selfClosing = false;  // the current start tag was <x/>: its end comes next
    bool m_pendingEnd = false;
    QString m_error;
};

// Visit every element below the reader's current one (the whole document before the first
// read) in document order, each made current in turn. `visit` returns true when it read the
// element to its end itself, false to have the element's children visited next.
template <typename Visit>
void walkElements(XmlReader& reader, const Visit& visit) {
    while (reader.readNextStartElement()) {
        if (!visit()) {
            walkElements(reader, visit);
        }
    }
}
