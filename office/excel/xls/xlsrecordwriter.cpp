#include "office/excel/xls/xlsrecordwriter.h"

#include <cstring>

namespace {

/* Store a 16-bit value little-endian at `out`. */
void storeU16(char* out, std::uint16_t value) {
    out[0] = static_cast<char>(value & 0xFF);
    out[1] = static_cast<char>(value >> 8);
}

}  // namespace

/* Start with an empty stream. */
XlsRecordWriter::XlsRecordWriter() = default;

/* Write the record header with a length to be patched by endRecord(). */
void XlsRecordWriter::beginRecord(std::uint16_t id) {
    m_recordStart = m_data.size();
    putU16(id);
    putU16(0);
}

/* Patch the open record's length; split data past the limit into CONTINUE records. */
void XlsRecordWriter::endRecord() {
    if (m_recordStart < 0) {
        return;
    }
    if (recordSize() > kMaxRecordData) {
        splitOversizedRecord();
    } else {
        storeU16(m_data.data() + m_recordStart + 2, static_cast<std::uint16_t>(recordSize()));
    }
    m_recordStart = -1;
}

/* Move the data past the first kMaxRecordData bytes into CONTINUE records (MS-XLS 2.4.58). */
void XlsRecordWriter::splitOversizedRecord() {
    const QByteArray tail = m_data.mid(m_recordStart + 4 + kMaxRecordData);
    m_data.truncate(m_recordStart + 4 + kMaxRecordData);
    storeU16(m_data.data() + m_recordStart + 2, kMaxRecordData);
    for (int at = 0; at < tail.size(); at += kMaxRecordData) {
        const int chunk = qMin(kMaxRecordData, tail.size() - at);
        putU16(kContinue);
        putU16(static_cast<std::uint16_t>(chunk));
        m_data.append(tail.constData() + at, chunk);
    }
}

/* A record without data. */
void XlsRecordWriter::emptyRecord(std::uint16_t id) {
    putU16(id);
    putU16(0);
}

/* Append a 16-bit little-endian value. */
void XlsRecordWriter::putU16(std::uint16_t value) {
    char bytes[2];
    storeU16(bytes, value);
    m_data.append(bytes, 2);
}

/* Append a 32-bit little-endian value. */
void XlsRecordWriter::putU32(std::uint32_t value) {
    const char bytes[4] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                           static_cast<char>((value >> 16) & 0xFF), static_cast<char>(value >> 24)};
    m_data.append(bytes, 4);
}

/* Append an IEEE 754 double little-endian (Xnum, MS-XLS 2.5.342). */
void XlsRecordWriter::putF64(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    putU32(static_cast<std::uint32_t>(bits & 0xFFFFFFFFu));
    putU32(static_cast<std::uint32_t>(bits >> 32));
}

/* True when no character needs a high byte. */
bool XlsRecordWriter::isCompressible(const QChar* chars, int count) {
    for (int i = 0; i < count; ++i) {
        if (chars[i].unicode() > 0xFF) {
            return false;
        }
    }
    return true;
}

/* Append characters as 8-bit or UTF-16LE. */
void XlsRecordWriter::putCharacters(const QChar* chars, int count, bool compressed) {
    const int start = m_data.size();
    if (compressed) {
        m_data.resize(start + count);
        char* out = m_data.data() + start;
        for (int i = 0; i < count; ++i) {
            out[i] = static_cast<char>(chars[i].unicode());
        }
        return;
    }
    m_data.resize(start + 2 * count);
    char* out = m_data.data() + start;
    for (int i = 0; i < count; ++i) {
        storeU16(out + 2 * i, chars[i].unicode());
    }
}

/* ShortXLUnicodeString (MS-XLS 2.5.240). */
void XlsRecordWriter::putShortString(const QString& text) {
    const int count = qMin(text.size(), 255);
    const bool compressed = isCompressible(text.constData(), count);
    putU8(static_cast<std::uint8_t>(count));
    putU8(compressed ? 0 : 1);
    putCharacters(text.constData(), count, compressed);
}

/* XLUnicodeString (MS-XLS 2.5.294). */
void XlsRecordWriter::putString(const QString& text) {
    const int count = qMin(text.size(), 65535);
    const bool compressed = isCompressible(text.constData(), count);
    putU16(static_cast<std::uint16_t>(count));
    putU8(compressed ? 0 : 1);
    putCharacters(text.constData(), count, compressed);
}

/* Overwrite four bytes at an absolute position. */
void XlsRecordWriter::patchU32(int at, std::uint32_t value) {
    if (at < 0 || at + 4 > m_data.size()) {
        return;
    }
    char* out = m_data.data() + at;
    storeU16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    storeU16(out + 2, static_cast<std::uint16_t>(value >> 16));
}
