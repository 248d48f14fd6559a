#pragma once

// Opening a Word file of any supported kind into the document model (worddocument.h).
//
// The built-in Word's "Open" goes through here. The file's content decides the reader, never
// its name, as in Word: a ZIP package goes to DocxReader (.docx, .docm), an OLE2 compound file
// to the Word 97-2003 reader, "{\rtf" to RtfReader, other text to PlainTextReader; an
// encrypted package (an OLE2 file holding EncryptedPackage), a truncated or malformed file,
// or other binary content does not open.

#include "office/word/worddocument.h"

#include <QString>

#include <memory>

// The outcome of reading a Word file: a document, or why there is none.
struct WordLoadResult {
    enum class Status : std::uint8_t {
        Ok,
        NotFound,     // no such file, or it cannot be read
        NotWordFile,  // neither a Word package nor a Word binary document
        Encrypted,    // password-protected
        Malformed,    // damaged, truncated, or breaks the format's rules
        TooLarge,     // beyond the reader's limits (part size, expansion ratio, nesting)
        Unsupported,  // a kind of Word file this build cannot read
    };

    Status status = Status::NotWordFile;
    QString message;                         // why it failed, for people; empty when Ok
    std::shared_ptr<WordDocument> document;  // set exactly when status is Ok

    explicit operator bool() const { return status == Status::Ok && document != nullptr; }

    static WordLoadResult success(std::shared_ptr<WordDocument> document);
    static WordLoadResult failure(Status status, const QString& message);
};

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
