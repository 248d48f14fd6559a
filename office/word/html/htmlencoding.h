#pragma once

// HtmlEncoding: the character encoding of a web page saved as a Word file, and its text
// turned into UTF-8 for the HTML parser.
//
// The encoding is chosen as a browser chooses it: a byte order mark first, then the charset
// the transport states (a web archive's part header), then the page's own <meta charset> or
// http-equiv content type, then UTF-8 when the bytes are valid UTF-8, else GBK (GB18030),
// the legacy encoding of the documents this program mostly meets.

#include <QByteArray>

class HtmlEncoding {
public:
    // A page turned into UTF-8 and the name of the encoding chosen for it.
    struct Decoded {
        QByteArray utf8;
        QByteArray encoding;
    };

    // The page's bytes as UTF-8 without a byte order mark. `transportCharset` may be empty.
    // Bytes the chosen encoding cannot decode become U+FFFD; the text is never empty for
    // a non-empty input.
    static Decoded toUtf8(const QByteArray& data, const QByteArray& transportCharset);

    // The charset a <meta> tag in the first bytes names, lower case; empty when none.
    static QByteArray metaCharset(const QByteArray& data);

    // True when the bytes are well-formed UTF-8.
    static bool isValidUtf8(const char* data, int size);
};
