#include "office/excel/xls/xlssharedstrings.h"

namespace {

constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kExtSst = 0x00FF;
constexpr int kStringHeader = 3;  // cch (2 bytes) and the flags byte

// ISSTInf (MS-XLS 2.5.174): where a bucket's first string starts.
struct BucketStart {
    std::uint32_t streamPosition;
    std::uint16_t recordOffset;
};

}  // namespace

/* Size the index and the list ahead. */
void XlsSharedStrings::reserve(int count) {
    m_index.reserve(count);
    m_strings.reserve(static_cast<size_t>(qMax(0, count)));
}

/* Intern one cell text. */
std::uint32_t XlsSharedStrings::add(const QString& text) {
    ++m_references;
    const auto found = m_index.constFind(text);
    if (found != m_index.constEnd()) {
        return found.value();
    }
    const auto index = static_cast<std::uint32_t>(m_strings.size());
    m_index.insert(text, index);
    m_strings.push_back(text);
    return index;
}

/* Strings per EXTSST bucket (MS-XLS 2.4.107). */
int XlsSharedStrings::bucketSize(int unique) {
    return qMax(unique / 128 + 1, 8);
}

/* Write SST + CONTINUE + EXTSST. */
void XlsSharedStrings::write(XlsRecordWriter& out) const {
    constexpr int limit = XlsRecordWriter::kMaxRecordData;
    const int count = uniqueCount();
    const int perBucket = bucketSize(count);
    std::vector<BucketStart> buckets;
    int recordStart = out.position();
    out.beginRecord(kSst);
    out.putU32(m_references);
    out.putU32(static_cast<std::uint32_t>(m_strings.size()));
    for (int i = 0; i < count; ++i) {
        const QString& text = m_strings[static_cast<size_t>(i)];
        const bool compressed = XlsRecordWriter::isCompressible(text.constData(), text.size());
        const int width = compressed ? 1 : 2;
        // The header and the first character stay together in one record.
        const int firstPart = kStringHeader + (text.isEmpty() ? 0 : width);
        if (out.recordSize() + firstPart > limit) {
            out.endRecord();
            recordStart = out.position();
            out.beginRecord(XlsRecordWriter::kContinue);
        }
        if (i % perBucket == 0) {
            buckets.push_back({static_cast<std::uint32_t>(out.position()),
                               static_cast<std::uint16_t>(out.position() - recordStart)});
        }
        out.putU16(static_cast<std::uint16_t>(text.size()));
        out.putU8(compressed ? 0x00 : 0x01);
        int done = 0;
        while (done < text.size()) {
            const int room = (limit - out.recordSize()) / width;
            if (room == 0) {
                out.endRecord();
                recordStart = out.position();
                out.beginRecord(XlsRecordWriter::kContinue);
                out.putU8(compressed ? 0x00 : 0x01);
                continue;
            }
            const int step = qMin(room, text.size() - done);
            out.putCharacters(text.constData() + done, step, compressed);
            done += step;
        }
    }
    out.endRecord();

    out.beginRecord(kExtSst);
    out.putU16(static_cast<std::uint16_t>(perBucket));
    for (const BucketStart& bucket : buckets) {
        out.putU32(bucket.streamPosition);
        out.putU16(bucket.recordOffset);
        out.putU16(0);
    }
    out.endRecord();
}
