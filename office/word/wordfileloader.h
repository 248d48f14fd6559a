#pragma once

// Opening a Word file of any supported kind into the document model (worddocument.h).
//
// The built-in Word's "Open" goes through here. The file's content decides the reader, not
// only its name: a ZIP package goes to DocxReader (.docx, .docm), an OLE2 compound file to
// the Word 97-2003 reader, a web page (HTML) or web archive (MHTML) to html/; an encrypted package
// (an OLE2 file holding EncryptedPackage), a truncated or malformed file, or anything else does not
// open.

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
    // Read the Word file at `path`. Never throws; a file Word "cannot open" gives a
    // failure status with a message naming the reason.
    static WordLoadResult load(const QString& path);
};
