#pragma once

#include <QtGlobal>

// Bounds that keep hostile documents from exhausting memory or time, one set for every Word
// reader: each reader checks those its format can exceed. Beyond a bound a reader gives
// TooLarge (or, where noted, keeps what it read within it).
struct WordReadLimits {
    // Any file the loader hands to a reader; a .doc compound file holds streams beside its
    // text, so it may be larger than a text document.
    qint64 maxFileBytes = 512ll * 1024 * 1024;
    // A document read whole as text (RTF, plain text).
    qint64 maxTextFileBytes = 256ll * 1024 * 1024;
    // One part of a package, uncompressed; web pages, web archives and Word's XML formats are
    // read as one part.
    qint64 maxPartBytes = 256ll * 1024 * 1024;
    // Package parts above ratioCheckBytes must not expand more than maxExpansionRatio times
    // their compressed size.
    qint64 ratioCheckBytes = 8ll * 1024 * 1024;
    int maxExpansionRatio = 200;

    int maxXmlDepth = 256;    // element nesting of XML and HTML
    int maxGroupDepth = 256;  // nested { } groups of RTF
    // Tables inside table cells. The .doc and RTF readers read deeper levels as part of the
    // deepest kept one; the markup readers refuse them.
    int maxTableNesting = 32;
    int maxTableRows = 1048576;  // rows of one table
    int maxGridColumns = 16384;  // grid columns of one table
    int maxRowCells = 16384;     // cells one RTF row definition states
    // Table cells of one document, those a rowspan or vertical merge carries down included:
    // far beyond any real document, well within memory.
    long long maxCells = 4'000'000;
    // Paragraphs of a story (RTF: paragraphs, cells and row ends; plain text: lines).
    int maxParagraphs = 2000000;
};
