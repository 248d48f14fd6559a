#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <memory>

class QTextCodec;

// The code pages an RTF file's 8-bit text is written in: \ansicpgN for the document and
// \fcharsetN / \cpgN for each font. Decoding goes through Qt's codecs; a code page Qt does
// not know decodes as Windows-1252, so text never goes missing.
class RtfCodePages {
public:
    RtfCodePages();

    // The Windows code page of a font character set (\fcharsetN), or 0 for "the document's
    // code page" (ANSI_CHARSET's default, DEFAULT_CHARSET and unknown sets).
    static int codePageOfCharset(int charset);
    // True for the double-byte code pages (Shift-JIS, GBK, Korean, Big5, Johab).
    static bool isDoubleByte(int codePage);

    // Decode bytes written in codePage (0: Windows-1252). ASCII-only input takes a fast path.
    QString decode(const QByteArray& bytes, int codePage);

private:
    QTextCodec* codec(int codePage);

    // Codecs found so far, by code page; the few that matter are looked up once each.
    struct Cached {
        int codePage = -1;
        QTextCodec* codec = nullptr;
    };
    std::array<Cached, 8> m_cache;
    std::size_t m_nextSlot = 0;
};
