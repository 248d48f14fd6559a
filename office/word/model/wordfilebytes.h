#pragma once

#include "office/word/model/wordloadresult.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Reads a whole document file into memory, for the readers that parse from bytes (.doc, RTF,
// plain text), refusing a file beyond their size bound before reading it.
class WordFileBytes {
public:
    // A file read whole, or why it was not.
    struct Contents {
        QByteArray bytes;                       // empty on failure
        std::optional<WordLoadResult> failure;  // NotFound (cannot open or read it whole) or
                                                // TooLarge (larger than maxBytes)
    };

    static Contents read(const QString& path, qint64 maxBytes);
};
