#pragma once

#include "office/word/doc/docbytes.h"
#include "office/word/doc/docfib.h"

#include <QtGlobal>

// The file information block of a Word 6.0/95 document (nFib 101 to 105): one fixed layout
// whose (fc, lcb) pairs name structures in the WordDocument stream itself (these versions
// have no table stream). Only the fields the reader uses are kept.
struct DocWord6Fib {
    bool ok = false;             // false: the stream is shorter than the FIB
    bool complex = false;        // fComplex: fast-saved, the text is reached through the Clx
    bool encrypted = false;      // fEncrypted
    bool extendedChars = false;  // fExtChar: two bytes a character (UTF-16) instead of one
    quint16 lid = 0;             // language of the document, for its code page
    quint16 charset = 0;         // chse: 0 Windows ANSI, 256 Macintosh
    quint32 fcMin = 0;           // first byte of the text of a non-complex file
    quint32 fcMac = 0;           // the byte after its last character
    qint32 ccpText = 0;          // characters of the main document
    DocFib::Range stshf;         // style sheet
    DocFib::Range plcfBteChpx;
    DocFib::Range plcfBtePapx;
    DocFib::Range sttbfFfn;  // font table
    DocFib::Range clx;       // piece table of a complex file
    quint16 pnChpFirst = 0;  // first character property page (incomplete bin tables)
    quint16 pnPapFirst = 0;
    quint16 cpnBteChp = 0;  // count of character property pages
    quint16 cpnBtePap = 0;

    // Parse the FIB at the start of the WordDocument stream.
    static DocWord6Fib parse(const DocBytes& wordDocument);
};
