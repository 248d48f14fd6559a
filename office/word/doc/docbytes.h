#pragma once

#include <QByteArray>
#include <QtGlobal>

// A read-only little-endian view on bytes of a Word binary stream. Every read is bounds-checked:
// a read outside the view yields 0, and contains() tells beforehand whether a range is inside.
// The view does not own its bytes; the QByteArray it was made from must outlive it.
class DocBytes {
public:
    DocBytes() = default;
    DocBytes(const char* data, qint64 size);
    explicit DocBytes(const QByteArray& bytes);

    // Number of bytes in the view.
    qint64 size() const { return m_size; }
    // Pointer to the first byte, or nullptr for an empty view.
    const uchar* data() const { return m_data; }
    // True when [offset, offset + count) lies inside the view (count 0 included).
    bool contains(qint64 offset, qint64 count) const;

    // Little-endian integers at offset; 0 when the value does not lie wholly inside the view.
    quint8 u8(qint64 offset) const;
    quint16 u16(qint64 offset) const;
    quint32 u32(qint64 offset) const;
    qint16 i16(qint64 offset) const;
    qint32 i32(qint64 offset) const;

    // The sub-view [offset, offset + count); an empty view when that range is not inside.
    DocBytes mid(qint64 offset, qint64 count) const;

private:
    const uchar* m_data = nullptr;
    qint64 m_size = 0;
};
