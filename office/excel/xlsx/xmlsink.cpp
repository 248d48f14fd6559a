#include "office/excel/xlsx/xmlsink.h"

#include "office/excel/xlsx/xlsxtext.h"

namespace {

/* True for the UTF-16 unit at text[i] when XML 1.0 cannot hold it: a control character other
   than tab, line feed and carriage return, U+FFFE, U+FFFF or half of no surrogate pair. */
bool unencodable(const QString& text, int i) {
    const ushort u = text[i].unicode();
    if (u < 0x20) {
        return u != '\t' && u != '\n' && u != '\r';
    }
    if (u == 0xFFFE || u == 0xFFFF) {
        return true;
    }
    if (QChar::isHighSurrogate(u)) {
        return i + 1 >= text.size() || !QChar::isLowSurrogate(text[i + 1].unicode());
    }
    if (QChar::isLowSurrogate(u)) {
        return i == 0 || !QChar::isHighSurrogate(text[i - 1].unicode());
    }
    return false;
}

/* True for a unit cell text carries as "_xHHHH_": what XML cannot hold, and carriage
   returns, which a reader would turn into line feeds. */
bool needsOoxmlEscape(const QString& text, int i) {
    return text[i].unicode() == '\r' || unencodable(text, i);
}

/* True when cell text needs no "_xHHHH_" escape (the common case, checked first). */
bool isPlainCellText(const QString& text) {
    for (int i = 0; i < text.size(); ++i) {
        const ushort u = text[i].unicode();
        if (u < 0x20 || u == '_' || u >= 0xD800) {
            if (needsOoxmlEscape(text, i) || XlsxText::isEscapeAt(text, i)) {
                return false;
            }
        }
    }
    return true;
}

/* "_xHHHH_" for one UTF-16 unit. */
QString ooxmlEscape(ushort unit) {
    return QStringLiteral("_x%1_")
        .arg(unit, 4, 16, QLatin1Char('0'))
        .toUpper()
        .replace(QLatin1String("_X"), QLatin1String("_x"));
}

/* The entity or character reference for one UTF-8 byte, null when it stands as is. */
const char* entityFor(char c, bool inAttribute) {
    switch (c) {
        case '&':
            return "&amp;";
        case '<':
            return "&lt;";
        case '>':
            return "&gt;";
        case '"':
            return inAttribute ? "&quot;" : nullptr;
        case '\t':
            return inAttribute ? "&#9;" : nullptr;
        case '\n':
            return inAttribute ? "&#10;" : nullptr;
        case '\r':
            return inAttribute ? "&#13;" : nullptr;
        default:
            return nullptr;
    }
}

}  // namespace

XmlSink::XmlSink(QIODevice* device) : m_device(device) {
    m_buffer.reserve(m_device ? kFlushSize + 4096 : 4096);
}

/* Cell text: the OOXML escapes first, then the markup. */
XmlSink& XmlSink::cellText(const QString& text) {
    appendMarkupEscaped(ooxmlText(text), false);
    return *this;
}

/* One attribute with its value escaped, unless it holds a unit XML cannot carry. */
XmlSink& XmlSink::attribute(const char* name, const QString& value) {
    for (int i = 0; i < value.size(); ++i) {
        if (unencodable(value, i)) {
            m_failed = true;
            return *this;
        }
    }
    m_buffer.append(' ');
    m_buffer.append(name);
    m_buffer.append("=\"");
    appendMarkupEscaped(value, true);
    m_buffer.append('"');
    return *this;
}

/* Escape what XML cannot carry and what would read as an escape. */
QString XmlSink::ooxmlText(const QString& text) {
    if (isPlainCellText(text)) {
        return text;
    }
    QString out;
    out.reserve(text.size() + 16);
    for (int i = 0; i < text.size(); ++i) {
        if (needsOoxmlEscape(text, i)) {
            out += ooxmlEscape(text[i].unicode());
        } else if (XlsxText::isEscapeAt(text, i)) {
            out += QLatin1String("_x005F_");
        } else {
            out += text[i];
        }
    }
    return out;
}

/* Append UTF-8 text with the markup escaped. */
void XmlSink::appendMarkupEscaped(const QString& text, bool inAttribute) {
    const QByteArray utf8 = text.toUtf8();
    int plainFrom = 0;
    for (int i = 0; i < utf8.size(); ++i) {
        const char* entity = entityFor(utf8[i], inAttribute);
        if (entity != nullptr) {
            m_buffer.append(utf8.constData() + plainFrom, i - plainFrom);
            m_buffer.append(entity);
            plainFrom = i + 1;
        }
    }
    m_buffer.append(utf8.constData() + plainFrom, utf8.size() - plainFrom);
}

/* Write the buffer out, remembering a refused write. */
void XmlSink::flush() {
    if (m_device == nullptr) {
        return;
    }
    if (!m_failed && m_device->write(m_buffer) != m_buffer.size()) {
        m_failed = true;
    }
    m_buffer.clear();
}
