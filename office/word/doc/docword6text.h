#pragma once

#include "office/word/doc/docbytes.h"

#include <QByteArray>
#include <QtGlobal>

class QTextCodec;

// The 8-bit text of a Word 6.0/95 document decoded to UTF-16. Each byte at stream offset fc
// becomes the UTF-16 unit at offset 2 * fc of the decoded copy, so the copy reads like a
// Word 97 stream of uncompressed text with every offset doubled. A double-byte character
// (Chinese, Japanese, Korean code pages) sits on its lead byte and leaves a zero unit on its
// trail byte, which the story reader drops like any other control character.
class DocWord6Text {
public:
    // The code page of text in a font of character set charset (FFN chs, -1 unknown); ANSI
    // fonts take the Windows code page of the document's language lid, chse 256 is Macintosh.
    static QTextCodec* codecFor(int charset, quint16 lid, quint16 chse);
    // Decode the stream bytes [from, to) into decoded (twice the stream's size).
    static void decode(const DocBytes& stream, quint32 from, quint32 to, QTextCodec* codec,
                       QByteArray& decoded);

private:
    static const char* codecNameForCharset(int charset);
    static const char* codecNameForLanguage(quint16 lid);
    static bool isDoubleByte(QTextCodec* codec);
    static void put(QByteArray& decoded, qint64 at, ushort unit);
};
