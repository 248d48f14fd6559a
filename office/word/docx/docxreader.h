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

#include <QByteArray>
#include <QString>

// Bounds that keep hostile packages from exhausting memory or time.
// The package's own bounds (part size, expansion ratio) come from PackageLimits.
struct DocxLimits : PackageLimits {
    int maxXmlDepth = 256;       // element nesting
    int maxTableNesting = 32;    // tables inside table cells
    int maxTableRows = 1048576;  // rows of one table
    int maxGridColumns = 16384;  // grid columns of one table
    // Table cells of one document, those a rowspan or vertical merge carries down included:
    // far beyond any real document, well within memory.
    long long maxCells = 4'000'000;
};

class QFile;

class DocxReader {
public:
    // Read the package at `path`. A file that is not a Word package, or is damaged,
    // truncated or beyond the limits gives a failure status with the reason.
    static WordLoadResult readFile(const QString& path, const DocxLimits& limits = DocxLimits());

    // Read the package in a file already open for reading (from its start, whatever the
    // position); the same results as readFile.
    static WordLoadResult readOpenFile(QFile& file, const DocxLimits& limits = DocxLimits());
    // Read a package held in memory; the same results as readFile.
    static WordLoadResult readData(const QByteArray& data, const DocxLimits& limits = DocxLimits());

    // Read an opened package of any kind (ZIP or flat OPC); the same results as readFile.
    static WordLoadResult readPackage(OpcPackage& package, const DocxLimits& limits);
};
