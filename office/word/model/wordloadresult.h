#pragma once

#include "office/word/model/worddocument.h"

#include <QString>

#include <cstdint>
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
