#include "office/excel/xls/xlsrecordreader.h"

namespace {

/* A little-endian 16-bit value at `at`. */
std::uint16_t loadU16(const char* at) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(at);
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

}  // namespace

/* Start at the beginning of the stream. */
XlsRecordReader::XlsRecordReader(const QByteArray& stream) : m_stream(stream) {}

/* Decode the record at the current position without consuming it. */
std::optional<XlsRecord> XlsRecordReader::peek() const {
    const int left = m_stream.size() - m_pos;
    if (left < 4) {
        return std::nullopt;
    }
    const char* header = m_stream.constData() + m_pos;
    const int size = loadU16(header + 2);
    if (size > left - 4) {
        return std::nullopt;
    }
    XlsRecord record;
    record.id = loadU16(header);
    record.size = size;
    record.data = header + 4;
    record.offset = m_pos;
    return record;
}

/* Consume and return the next record. */
std::optional<XlsRecord> XlsRecordReader::next() {
    std::optional<XlsRecord> record = peek();
    if (!record) {
        // Fewer than four trailing bytes are padding some writers leave; a header that
        // promises more data than the stream holds is a truncated record.
        const int left = m_stream.size() - m_pos;
        m_truncated = left >= 4;
        return std::nullopt;
    }
    m_pos += 4 + record->size;
    return record;
}

/* Consume the CONTINUE records that follow. */
std::vector<XlsRecord> XlsRecordReader::takeContinues() {
    std::vector<XlsRecord> continues;
    for (std::optional<XlsRecord> record = peek(); record && record->id == kContinue;
         record = peek()) {
        continues.push_back(*record);
        m_pos += 4 + record->size;
    }
    return continues;
}

/* Jump to an absolute position inside the stream. */
bool XlsRecordReader::seek(int offset) {
    if (offset < 0 || offset > m_stream.size()) {
        return false;
    }
    m_pos = offset;
    m_truncated = false;
    return true;
}
