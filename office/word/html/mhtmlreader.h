#pragma once

// MhtmlReader: web archives (MIME multipart/related, RFC 2557), as Word saves a "Single File
// Web Page" and browsers save a page: the root HTML part is decoded from its transfer
// encoding (quoted-printable, base64, 7bit, 8bit, binary) and read as a web page with the
// charset its header states (htmlreader.h). Images, style sheets and the other parts are
// ignored. A single-part archive whose body is text/html reads the same way.

#include "office/word/html/htmlreader.h"

#include <QByteArray>

class MhtmlReader {
public:
    // Read an archive held in memory. WrongFormat when it has no HTML part, TooLarge past the
    // input size limit, else as HtmlReader::readData.
    static WordLoadResult readData(const QByteArray& data,
                                   const WordReadLimits& limits = WordReadLimits());

    // The root HTML part: its decoded bytes and the charset its header names (lower case,
    // possibly empty). False when the archive has no HTML part.
    static bool rootPart(const QByteArray& data, QByteArray& html, QByteArray& charset);

    // A MIME header field's value ("Content-Type") from a header block, unfolded; empty when
    // absent. Names compare without regard to case.
    static QByteArray headerValue(const QByteArray& headers, const QByteArray& name);
    // A parameter of a header value ("boundary" of a Content-Type), unquoted; empty if none.
    static QByteArray parameter(const QByteArray& value, const QByteArray& name);
    // Decode quoted-printable text (RFC 2045, 6.7): soft line breaks removed, =XX decoded,
    // malformed escapes kept as written.
    static QByteArray decodeQuotedPrintable(const QByteArray& text);
};
