#include "office/word/doc/docword6fkp.h"

#include <QSet>

namespace {

constexpr qint64 kPageSize = 512;
constexpr int kBxSize = 7;  // a paragraph page entry: word offset and a six-byte PHE
constexpr int kMaxPageNumber = 0xFFFF;

}  // namespace

/* Collect the listed page numbers, add the unlisted ones, read each page once. */
std::vector<DocFkpTable::Run> DocWord6Fkp::read(DocFkpTable::Kind kind, const DocBytes& plc,
                                                int pageCount, const DocBytes& wordDocument) {
    std::vector<DocFkpTable::Run> runs;
    if (plc.size() < 4 || (plc.size() - 4) % 6 != 0) {
        return runs;
    }
    const qint64 count = (plc.size() - 4) / 6;
    std::vector<int> pages;
    for (qint64 i = 0; i < count; ++i) {
        pages.push_back(plc.u16((count + 1) * 4 + i * 2));
    }
    while (!pages.empty() && static_cast<qint64>(pages.size()) < pageCount &&
           pages.back() < kMaxPageNumber) {
        pages.push_back(pages.back() + 1);
    }
    QSet<int> seen;
    for (int pn : pages) {
        if (seen.contains(pn)) {
            continue;
        }
        seen.insert(pn);
        const DocBytes page = wordDocument.mid(static_cast<qint64>(pn) * kPageSize, kPageSize);
        if (page.size() == kPageSize) {
            readPage(kind, page, runs);
        }
    }
    return runs;
}

/* Read the runs of one CHPX or PAPX page. */
void DocWord6Fkp::readPage(DocFkpTable::Kind kind, const DocBytes& page,
                           std::vector<DocFkpTable::Run>& runs) {
    const int count = page.u8(kPageSize - 1);
    const bool character = kind == DocFkpTable::Kind::Character;
    const int entrySize = character ? 1 : kBxSize;
    const qint64 entriesAt = static_cast<qint64>(count + 1) * 4;
    if (entriesAt + static_cast<qint64>(count) * entrySize > kPageSize - 1) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        DocFkpTable::Run run;
        run.fcStart = page.u32(i * 4);
        run.fcEnd = page.u32((i + 1) * 4);
        if (run.fcEnd <= run.fcStart) {
            continue;
        }
        const qint64 at = static_cast<qint64>(page.u8(entriesAt + i * entrySize)) * 2;
        if (at != 0 && character) {
            run.grpprl = page.mid(at + 1, page.u8(at));  // cb, grpprl
        } else if (at != 0) {
            const DocBytes papx =
                page.mid(at + 1, 2 * static_cast<qint64>(page.u8(at)));  // cw, istd, grpprl
            if (papx.size() < 2) {
                continue;
            }
            run.istd = papx.u16(0);
            run.grpprl = papx.mid(2, papx.size() - 2);
        }
        runs.push_back(run);
    }
}
