#pragma once

#include "office/word/doc/docbytes.h"

#include <vector>

// The formatted disk pages of a Word binary document: a PlcBteChpx or PlcBtePapx (MS-DOC
// 2.8.26, 2.8.27) in the table stream names 512-byte pages of the WordDocument stream holding
// ChpxFkp (2.9.34) or PapxFkp (2.9.176) runs. All runs are read up front into one list sorted
// by stream offset, so a lookup is a binary search.
class DocFkpTable {
public:
    enum class Kind { Character, Paragraph };

    struct Run {
        quint32 fcStart = 0;
        quint32 fcEnd = 0;  // exclusive
        DocBytes grpprl;    // the run's sprms (a view into the WordDocument stream)
        int istd = 0;       // paragraph runs: the paragraph style
    };

    // Read the bin table plc from the table stream and every page it names, each page once
    // (a page named again adds nothing). Pages or runs that do not fit the stream are skipped.
    // False when the plc itself is malformed.
    bool parse(Kind kind, const DocBytes& plc, const DocBytes& wordDocument);

    // Take runs read by another page reader (Word 6.0/95 pages), sorting them by offset.
    void assign(std::vector<Run> runs);

    const std::vector<Run>& runs() const { return m_runs; }
    // The run containing fc, or nullptr when no run does.
    const Run* find(quint32 fc) const;
    // The start of the first run beginning after fc, or 0xFFFFFFFF when there is none.
    quint32 nextStart(quint32 fc) const;

private:
    void readPage(Kind kind, const DocBytes& page);

    std::vector<Run> m_runs;
};
