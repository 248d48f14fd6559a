#pragma once

#include "office/word/doc/docbytes.h"
#include "office/word/doc/docfkptable.h"

#include <vector>

// The formatted disk pages of a Word 6.0/95 document. The bin table holds two-byte page
// numbers, a paragraph page's entries are seven bytes (offset and PHE), and a paragraph's
// PAPX is a count of words, the style and the grpprl. A bin table of a non-complex file may
// list fewer pages than the file header counts: the missing ones follow the last listed page.
// The runs keep the Word 6 grpprls (views into the stream).
class DocWord6Fkp {
public:
    // Read the runs of every page the bin table plc names, up to pageCount pages.
    static std::vector<DocFkpTable::Run> read(DocFkpTable::Kind kind, const DocBytes& plc,
                                              int pageCount, const DocBytes& wordDocument);

private:
    static void readPage(DocFkpTable::Kind kind, const DocBytes& page,
                         std::vector<DocFkpTable::Run>& runs);
};
