#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <charconv>

// The UTF-8 text of one XML part, built in a buffer that goes to `device` when flushed (kept
// whole when there is no device). Every escape a part needs is made here:
// - cell text (ST_Xstring, ECMA-376 Part 1, 22.9.2.19), the only element text that varies:
//   characters XML cannot carry as "_xHHHH_", a literal "_xHHHH_" with its underscore escaped
//   as "_x005F_", then "&", "<", ">" as entities;
// - attribute values: "&", "<", ">", '"' as entities, and tab, line feed and carriage return
//   as character references, so that a reader's attribute normalisation keeps them.
// An attribute value holding a character XML cannot carry (a control character other than
// tab, line feed and carriage return, an unpaired surrogate, U+FFFE or U+FFFF) is not
// written and fails the sink: the part is then of no use. The markup itself is appended as
// is.
class XmlSink {
public:
    // The declaration every part starts with; the large parts follow it with a line feed.
    static constexpr const char* kDeclaration =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";

    explicit XmlSink(QIODevice* device = nullptr);

    /* Append markup as is. */
    XmlSink& operator<<(const char* markup) {
        m_buffer.append(markup);
        return *this;
    }
    XmlSink& operator<<(const QByteArray& markup) {
        m_buffer.append(markup);
        return *this;
    }
    /* Append a decimal integer. */
    XmlSink& number(long long value) {
        char digits[24];
        const auto result = std::to_chars(digits, digits + sizeof digits, value);
        m_buffer.append(digits, static_cast<int>(result.ptr - digits));
        return *this;
    }
    /* Append a double in the shortest form that reads back exactly. */
    XmlSink& real(double value) {
        char digits[32];
        const auto result = std::to_chars(digits, digits + sizeof digits, value);
        m_buffer.append(digits, static_cast<int>(result.ptr - digits));
        return *this;
    }

    // Cell text in its OOXML form, then escaped as element text.
    XmlSink& cellText(const QString& text);
    // ` name="value"`, the value escaped.
    XmlSink& attribute(const char* name, const QString& value);

    /* Hand the buffer to the device once it holds enough to be worth a write. */
    void flushIfFull() {
        if (m_buffer.size() >= kFlushSize) {
            flush();
        }
    }
    // Hand the buffer to the device (nothing without one).
    void flush();
    // False once a character could not be written or the device refused a write.
    bool ok() const { return !m_failed; }
    // What the sink holds (everything when it has no device).
    const QByteArray& bytes() const { return m_buffer; }

private:
    static const int kFlushSize = 256 * 1024;

    static QString ooxmlText(const QString& text);
    void appendMarkupEscaped(const QString& text, bool inAttribute);

    QIODevice* m_device;
    QByteArray m_buffer;
    bool m_failed = false;
};
