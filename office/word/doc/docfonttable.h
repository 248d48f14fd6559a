#pragma once

#include "office/word/doc/docbytes.h"
#include "office/word/model/wordfonttable.h"

// The font table of a Word binary document: SttbfFfn (MS-DOC 2.9.283) of FFN records (2.9.82),
// indexed by the ftc values of character properties.
class DocFontTable {
public:
    // Read the table; malformed entries end it (the fonts read so far are kept).
    static WordFontTable parse(const DocBytes& sttbfFfn);
};
