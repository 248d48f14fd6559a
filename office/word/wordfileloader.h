#pragma once

// Opening a Word file of any supported kind into the document model (worddocument.h).
//
// The built-in Word's "Open" goes through here. The file's content decides the reader, never
// its name, as in Word: a ZIP package goes to DocxReader (.docx, .docm), an OLE2 compound file
// to the Word 97-2003 reader, "{\rtf" to RtfReader, a web page (HTML) or web archive (MHTML) to
// html/, Word 2003 XML or flat OPC XML to xml/, other text to PlainTextReader; an encrypted
// package (an OLE2 file holding EncryptedPackage), a truncated or malformed file, or other
// binary content does not open.

#include "office/word/model/wordloadresult.h"

#include <QString>

class WordFileLoader {
public:
    // What a file holds, as its first bytes tell.
    enum class ContentKind : std::uint8_t {
        Package,  // ZIP: .docx, .docm
        Binary,   // OLE2 compound file: Word 97-2003 (or an encrypted package)
        Rtf,      // "{\rtf" after an optional UTF-8 byte order mark and white space
        Text,     // anything else: plain text, unless the text reader finds it binary
    };
    // Bytes of the file's start that contentKind looks at.
    static constexpr int kSniffBytes = 4096;

    // The kind of content that starts with head (the file's first kSniffBytes bytes or all
    // of a shorter file).
    static ContentKind contentKind(const QByteArray& head);

    // Read the Word file at `path`. Never throws; a file Word "cannot open" gives a
    // failure status with a message naming the reason.
    static WordLoadResult load(const QString& path);
};
