#include "office/excel/xls/xlsbytecursor.h"

#include <cstring>

/* A cursor over one chunk of data. */
XlsByteCursor::XlsByteCursor(const char* data, int size) {
    appendChunk(data, size);
}

/* Queue one more chunk. */
void XlsByteCursor::appendChunk(const char* data, int size) {
    m_chunks.push_back({data, qMax(0, size)});
}

/* Bytes left from the current position to the end of the last chunk. */
int XlsByteCursor::remaining() const {
    int left = 0;
    for (int i = m_chunk; i < chunkCount(); ++i) {
        left += m_chunks[i].size - (i == m_chunk ? m_pos : 0);
    }
    return left;
}

/* Copy `count` bytes, crossing chunk boundaries; false (and failed) when too few are left.
   A chunk is left only when more bytes are wanted, so characters() can see a boundary. */
bool XlsByteCursor::take(char* out, int count) {
    if (m_failed || count < 0 || remaining() < count) {
        m_failed = true;
        return false;
    }
    while (count > 0) {
        if (m_pos == m_chunks[m_chunk].size) {
            ++m_chunk;
            m_pos = 0;
        }
        const Chunk& chunk = m_chunks[m_chunk];
        const int step = qMin(count, chunk.size - m_pos);
        if (out) {
            std::memcpy(out, chunk.data + m_pos, static_cast<size_t>(step));
            out += step;
        }
        m_pos += step;
        count -= step;
    }
    return true;
}

/* `width` bytes gathered across chunk boundaries, as a view to decode them from; an empty view
   (whose reads give 0) when fewer are left. */
LittleEndianReader XlsByteCursor::gather(int width) {
    if (!take(m_scratch, width)) {
        return LittleEndianReader();
    }
    return LittleEndianReader(m_scratch, width);
}

/* One byte. */
std::uint8_t XlsByteCursor::u8() {
    return gather(1).u8(0);
}

/* A 16-bit little-endian value. */
std::uint16_t XlsByteCursor::u16() {
    return gather(2).u16(0);
}

/* A 32-bit little-endian value. */
std::uint32_t XlsByteCursor::u32() {
    return gather(4).u32(0);
}

/* An IEEE 754 double, little-endian. */
double XlsByteCursor::f64() {
    return gather(8).f64(0);
}

/* Skip bytes. */
void XlsByteCursor::skip(int count) {
    take(nullptr, count);
}

/* Read `count` characters; where they continue into the next chunk, that chunk starts with a
   flag byte giving the width of the characters that follow. */
QString XlsByteCursor::characters(int count, bool highByte, bool canContinue) {
    QString text;
    text.reserve(qMin(count, remaining()));
    while (count > 0 && !m_failed) {
        if (m_chunk < chunkCount() && m_pos == m_chunks[m_chunk].size) {
            if (!canContinue || m_chunk + 1 >= chunkCount()) {
                m_failed = true;
                break;
            }
            ++m_chunk;
            m_pos = 0;
            highByte = (u8() & 0x01) != 0;
            continue;
        }
        const int left = m_chunk < chunkCount() ? m_chunks[m_chunk].size - m_pos : 0;
        const int width = highByte ? 2 : 1;
        const int step = qMin(count, left / width);
        if (step == 0) {
            // Half a wide character before the boundary, or nothing left at all.
            m_failed = true;
            break;
        }
        const auto* bytes = reinterpret_cast<const unsigned char*>(m_chunks[m_chunk].data + m_pos);
        for (int i = 0; i < step; ++i) {
            text.append(QChar(highByte ? static_cast<ushort>(bytes[2 * i] | (bytes[2 * i + 1] << 8))
                                       : static_cast<ushort>(bytes[i])));
        }
        m_pos += step * width;
        count -= step;
    }
    return text;
}

/* ShortXLUnicodeString. */
QString XlsByteCursor::shortString() {
    const int count = u8();
    const bool highByte = (u8() & 0x01) != 0;
    const QString text = m_failed ? QString() : characters(count, highByte, false);
    return m_failed ? QString() : text;
}

/* XLUnicodeString. */
QString XlsByteCursor::string() {
    const int count = u16();
    const bool highByte = (u8() & 0x01) != 0;
    const QString text = m_failed ? QString() : characters(count, highByte, true);
    return m_failed ? QString() : text;
}

/* XLUnicodeRichExtendedString; runs and phonetic data are skipped. */
QString XlsByteCursor::richString() {
    const int count = u16();
    const std::uint8_t flags = u8();
    const bool highByte = (flags & 0x01) != 0;
    const int runs = (flags & 0x08) ? u16() : 0;
    const std::uint32_t extSize = (flags & 0x04) ? u32() : 0;
    if (m_failed) {
        return QString();
    }
    const QString text = characters(count, highByte, true);
    skip(runs * 4);
    if (extSize > static_cast<std::uint32_t>(remaining())) {
        m_failed = true;
        return QString();
    }
    skip(static_cast<int>(extSize));
    return text;
}
