#pragma once

// PlainTextReader: opens a plain text file as Word does, one paragraph per line.
//
// The encoding is found from the bytes, since a text file does not state it:
// - a byte order mark: UTF-8, UTF-16 LE or UTF-16 BE;
// - else UTF-8 when the bytes are valid UTF-8 (ASCII included);
// - else GBK, the code page a Chinese Windows writes text in, unless the text reads better as
//   Windows-1252: Latin text never fails to decode as GBK but gives wrong characters, so
//   Windows-1252 wins when no GBK pair in the text is one of the 3,755 common characters
//   (GB2312 level 1, lead bytes 0xB0-0xD7 with trail bytes 0xA1-0xFE) and every byte from
//   0x80 up is a Windows-1252 letter or common punctuation mark.
// A file with NUL characters or mostly control characters is binary, not text (UTF-16 is
// checked after decoding).

#include "office/word/model/wordloadresult.h"
#include "office/word/model/wordreadlimits.h"

#include <QByteArray>
#include <QString>

#include <optional>

class PlainTextReader {
public:
    enum class Encoding : std::uint8_t {
        Utf8,
        Utf16LittleEndian,
        Utf16BigEndian,
        Gbk,
        Windows1252
    };

    // The encoding of bytes as described above; none when the bytes are not text.
    static std::optional<Encoding> detectEncoding(const QByteArray& bytes);
    // The text of bytes in encoding, without its byte order mark.
    static QString decode(const QByteArray& bytes, Encoding encoding);

    // Read the text file at path. Failures: NotFound (unreadable), WrongFormat (binary
    // content), TooLarge (beyond maxTextFileBytes, or more lines than maxParagraphs).
    static WordLoadResult readFile(const QString& path,
                                   const WordReadLimits& limits = WordReadLimits());
    // Read text held in memory; the same results as readFile.
    static WordLoadResult readData(const QByteArray& bytes,
                                   const WordReadLimits& limits = WordReadLimits());
};
