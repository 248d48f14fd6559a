#pragma once

// DocxReader: reads a WordprocessingML package (.docx, .docm; macros are ignored) into the
// document model (worddocument.h).
//
// The main document part is found through the package relationships, its styles through
// the part's own relationships. Transitional and ISO Strict namespaces are both read.
// Text follows the copy rules of the built-in Word: runs inside hyperlinks, smart tags,
// custom XML, content controls, simple fields and tracked insertions are read; deleted and
// moved-from text, field instructions, text boxes, drawings and notes are not.

#include "office/opc/opcpackage.h"
#include "office/word/model/wordloadresult.h"
#include "office/word/model/wordreadlimits.h"

#include <QByteArray>
#include <QString>

class QFile;

class DocxReader {
public:
    // Read the package at `path`. A file that is not a Word package, or is damaged,
    // truncated or beyond the limits gives a failure status with the reason.
    static WordLoadResult readFile(const QString& path,
                                   const WordReadLimits& limits = WordReadLimits());

    // Read the package in a file already open for reading (from its start, whatever the
    // position); the same results as readFile.
    static WordLoadResult readOpenFile(QFile& file,
                                       const WordReadLimits& limits = WordReadLimits());
    // Read a package held in memory; the same results as readFile.
    static WordLoadResult readData(const QByteArray& data,
                                   const WordReadLimits& limits = WordReadLimits());

    // Read an opened package of any kind (ZIP or flat OPC); the same results as readFile.
    static WordLoadResult readPackage(OpcPackage& package, const WordReadLimits& limits);
    // The package bounds (part size, expansion ratio) of the reader's limits.
    static PackageLimits packageLimits(const WordReadLimits& limits);
};
