#pragma once

#include "office/word/doc/docbytes.h"

#include <QtGlobal>

// The file information block at the start of the WordDocument stream: Fib (MS-DOC 2.5.1) with
// FibBase (2.5.2), FibRgLw97 (2.5.4) and the parts of FibRgFcLcb97 (2.5.6) the reader uses.
struct DocFib {
    enum class Status {
        Ok,
        NotWord,  // wIdent is neither 0xA5EC nor 0xA5DC (Word 6.0/95) or the stream is shorter than
                  // a FibBase
        Word6,    // Word 6.0/95 (nFib 101 to 105): read through DocWord6Document
        Legacy,   // Word 2.0 and older, or another version before Word 97
        Encrypted,  // fEncrypted or fObfuscated set
        Truncated,  // the FIB ends before the fields the reader needs
    };

    // A (fc, lcb) pair of FibRgFcLcb97: offset and size of a structure in the table stream.
    struct Range {
        quint32 fc = 0;
        quint32 lcb = 0;
    };

    Status status = Status::NotWord;
    quint16 nFib = 0;
    bool complex = false;  // fComplex: the document was fast-saved
    int tableStream = 0;   // fWhichTblStm: 1 for "1Table", 0 for "0Table"
    qint32 ccpText = 0;    // number of characters of the main document
    Range stshf;           // STSH style sheet
    Range plcfBteChpx;     // PlcBteChpx
    Range plcfBtePapx;     // PlcBtePapx
    Range sttbfFfn;        // SttbfFfn font table
    Range clx;             // Clx piece table

    // Parse the FIB at the start of the WordDocument stream; status tells whether it is usable
    // (a Word 6.0/95 FIB gives Word6 with only nFib and complex set).
    static DocFib parse(const DocBytes& wordDocument);
};
