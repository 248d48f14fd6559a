#pragma once

#include "office/format/result.h"
#include "office/word/model/worddocument.h"

#include <memory>

// The outcome of reading a Word file: the office's one result shape with the document read,
// or why there is none (WrongFormat: neither a Word package nor a Word binary document;
// TooLarge: beyond the reader's limits such as part size, expansion ratio or nesting).
struct WordLoadResult : Result {
    std::shared_ptr<WordDocument> document;  // set exactly when status is Ok

    explicit operator bool() const { return ok() && document != nullptr; }

    static WordLoadResult success(std::shared_ptr<WordDocument> document);
    static WordLoadResult failure(Status status, const QString& message);
};
