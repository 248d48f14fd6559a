#pragma once

#include <QByteArray>
#include <QtGlobal>

// A read-only, bounds-checked view on little-endian binary data: Word streams, BIFF records,
// ZIP headers and equation streams all read their fields through it. The view does not own its
// bytes; whatever they were taken from must outlive it.
//
// Two ways to read: at an offset (u8(offset), u16(offset), ...), which leaves the cursor alone,
// or at the cursor (readU8(), readU16(), ...), which then moves past the value.
//
// Failure convention, the same for every read: a value (or sub-view) that does not lie wholly
// inside the view reads as 0 (an empty view), the cursor does not move, and failed() is set and
// stays set for the life of this reader. A parser can read every field of a structure and check
// failed() once; a caller that must know beforehand asks contains().
class LittleEndianReader {
public:
    LittleEndianReader() = default;
    LittleEndianReader(const char* data, qint64 size);
    LittleEndianReader(const uchar* data, qint64 size);
    explicit LittleEndianReader(const QByteArray& bytes);

    // Number of bytes in the view.
    qint64 size() const { return m_size; }
    // Pointer to the first byte, or nullptr for an empty view.
    const uchar* data() const { return m_data; }
    // True when [offset, offset + count) lies inside the view (count 0 included).
    bool contains(qint64 offset, qint64 count) const {
        return offset >= 0 && count >= 0 && offset <= m_size && count <= m_size - offset;
    }
    // True once any read has fallen outside the view.
    bool failed() const { return m_failed != 0; }

    // Little-endian values at offset; 0 (and failed()) when not wholly inside the view.
    quint8 u8(qint64 offset) const { return static_cast<quint8>(value(offset, 1)); }
    quint16 u16(qint64 offset) const { return static_cast<quint16>(value(offset, 2)); }
    quint32 u32(qint64 offset) const { return static_cast<quint32>(value(offset, 4)); }
    quint64 u64(qint64 offset) const { return value(offset, 8); }
    qint16 i16(qint64 offset) const { return static_cast<qint16>(u16(offset)); }
    qint32 i32(qint64 offset) const { return static_cast<qint32>(u32(offset)); }
    // An IEEE 754 double at offset; 0.0 (and failed()) when not wholly inside the view.
    double f64(qint64 offset) const;

    // The sub-view [offset, offset + count); an empty view (and failed()) when not inside.
    LittleEndianReader mid(qint64 offset, qint64 count) const;

    // The cursor: where the next read*() starts, and the bytes from there to the end.
    qint64 position() const { return m_position; }
    qint64 remaining() const { return m_size - m_position; }
    bool atEnd() const { return m_position >= m_size; }
    // Move the cursor to offset; false (and failed()) when offset lies outside [0, size()].
    bool seek(qint64 offset);
    // Move the cursor past count bytes; false (and failed()) when fewer are left.
    bool skip(qint64 count);

    // Little-endian values at the cursor, which moves past them; 0 (and failed()) when fewer
    // bytes are left than the value needs.
    quint8 readU8() { return static_cast<quint8>(advance(1)); }
    quint16 readU16() { return static_cast<quint16>(advance(2)); }
    quint32 readU32() { return static_cast<quint32>(advance(4)); }
    quint64 readU64() { return advance(8); }
    double readF64();

private:
    // The `width`-byte value at offset, or 0 after marking the failure.
    quint64 value(qint64 offset, int width) const {
        if (!contains(offset, width)) {
            m_failed = 1;
            return 0;
        }
        quint64 result = 0;
        for (int i = width - 1; i >= 0; --i) {
            result = (result << 8) | m_data[offset + i];
        }
        return result;
    }
    // The `width`-byte value at the cursor, which moves past it when it was there.
    quint64 advance(int width) {
        const quint64 result = value(m_position, width);
        if (contains(m_position, width)) {
            m_position += width;
        }
        return result;
    }

    const uchar* m_data = nullptr;
    qint64 m_size = 0;
    qint64 m_position = 0;
    // Set by const reads too: failing is a fact about the reads made, not about the bytes.
    // A whole word rather than a bool: GCC 12 takes the copy of a byte-sized last member into
    // a QVector element for an overflow (-Wstringop-overflow) and warns.
    mutable qint64 m_failed = 0;
};
