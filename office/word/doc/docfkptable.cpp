#include "office/word/doc/docfkptable.h"

#include <QSet>

#include <algorithm>
#include <utility>

namespace {

constexpr qint64 kPageSize = 512;
constexpr int kBxPapSize = 13;  // BxPap (2.9.23): bOffset and a 12-byte Phe

}  // namespace

/* Read the bin table and its pages. */
bool DocFkpTable::parse(Kind kind, const DocBytes& plc, const DocBytes& wordDocument) {
    m_runs.clear();
    if (plc.size() < 4 || (plc.size() - 4) % 8 != 0) {
        return plc.size() == 0;
    }
    const qint64 count = (plc.size() - 4) / 8;
    // Each page is read once however often the table names it, so the runs are bounded by
    // the stream's pages rather than by the table's length.
    QSet<qint64> seen;
    for (qint64 i = 0; i < count; ++i) {
        // PnFkpChpx / PnFkpPapx (2.9.190, 2.9.191): the low 22 bits are the page number.
        const qint64 pn = plc.u32((count + 1) * 4 + i * 4) & 0x3FFFFF;
        if (seen.contains(pn)) {
            continue;
        }
        seen.insert(pn);
        const DocBytes page = wordDocument.mid(pn * kPageSize, kPageSize);
        if (page.size() == kPageSize) {
            readPage(kind, page);
        }
    }
    assign(std::move(m_runs));
    return true;
}

/* Keep the runs sorted by their start for the binary searches. */
void DocFkpTable::assign(std::vector<Run> runs) {
    std::stable_sort(runs.begin(), runs.end(),
                     [](const Run& a, const Run& b) { return a.fcStart < b.fcStart; });
    m_runs = std::move(runs);
}

/* Read the runs of one ChpxFkp or PapxFkp page. */
void DocFkpTable::readPage(Kind kind, const DocBytes& page) {
    const int count = page.u8(kPageSize - 1);
    const int entrySize = kind == Kind::Character ? 1 : kBxPapSize;
    const qint64 entriesAt = static_cast<qint64>(count + 1) * 4;
    if (entriesAt + static_cast<qint64>(count) * entrySize > kPageSize - 1) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        Run run;
        run.fcStart = page.u32(i * 4);
        run.fcEnd = page.u32((i + 1) * 4);
        if (run.fcEnd <= run.fcStart) {
            continue;
        }
        const qint64 at = static_cast<qint64>(page.u8(entriesAt + i * entrySize)) * 2;
        if (at == 0) {
            m_runs.push_back(run);  // no properties: defaults
            continue;
        }
        if (kind == Kind::Character) {
            // Chpx (2.9.35): cb, grpprl.
            run.grpprl = page.mid(at + 1, page.u8(at));
        } else {
            // PapxInFkp (2.9.175): cb (or 0 then cb'), GrpPrlAndIstd of 2*cb-1 (or 2*cb') bytes.
            const int cb = page.u8(at);
            const qint64 size = cb != 0 ? 2 * cb - 1 : 2 * static_cast<qint64>(page.u8(at + 1));
            const DocBytes data = page.mid(at + (cb != 0 ? 1 : 2), size);
            if (data.size() < 2) {
                continue;
            }
            run.istd = data.u16(0);
            run.grpprl = data.mid(2, data.size() - 2);
        }
        m_runs.push_back(run);
    }
}

/* Binary search for the run containing fc. */
const DocFkpTable::Run* DocFkpTable::find(quint32 fc) const {
    auto it = std::upper_bound(m_runs.begin(), m_runs.end(), fc,
                               [](quint32 value, const Run& run) { return value < run.fcStart; });
    if (it == m_runs.begin()) {
        return nullptr;
    }
    --it;
    return fc < it->fcEnd ? &*it : nullptr;
}

/* Binary search for the first run that starts after fc. */
quint32 DocFkpTable::nextStart(quint32 fc) const {
    auto it = std::upper_bound(m_runs.begin(), m_runs.end(), fc,
                               [](quint32 value, const Run& run) { return value < run.fcStart; });
    return it == m_runs.end() ? 0xFFFFFFFFu : it->fcStart;
}
