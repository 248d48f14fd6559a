#include "office/word/doc/docbytes.h"

/* Make a view on size bytes at data. */
DocBytes::DocBytes(const char* data, qint64 size)
    : m_data(reinterpret_cast<const uchar*>(data)), m_size(data && size > 0 ? size : 0) {}

/* Make a view on the bytes of a byte array. */
DocBytes::DocBytes(const QByteArray& bytes) : DocBytes(bytes.constData(), bytes.size()) {}

/* Tell whether a range lies inside the view. */
bool DocBytes::contains(qint64 offset, qint64 count) const {
    return offset >= 0 && count >= 0 && offset <= m_size && count <= m_size - offset;
}

/* Read one byte. */
quint8 DocBytes::u8(qint64 offset) const {
    return contains(offset, 1) ? m_data[offset] : 0;
}

/* Read a little-endian 16-bit unsigned value. */
quint16 DocBytes::u16(qint64 offset) const {
    if (!contains(offset, 2)) {
        return 0;
    }
    return quint16(m_data[offset] | (m_data[offset + 1] << 8));
}

/* Read a little-endian 32-bit unsigned value. */
quint32 DocBytes::u32(qint64 offset) const {
    if (!contains(offset, 4)) {
        return 0;
    }
    return quint32(m_data[offset]) | (quint32(m_data[offset + 1]) << 8) |
           (quint32(m_data[offset + 2]) << 16) | (quint32(m_data[offset + 3]) << 24);
}

/* Read a little-endian 16-bit signed value. */
qint16 DocBytes::i16(qint64 offset) const {
    return qint16(u16(offset));
}

/* Read a little-endian 32-bit signed value. */
qint32 DocBytes::i32(qint64 offset) const {
    return qint32(u32(offset));
}

/* Take a sub-view. */
DocBytes DocBytes::mid(qint64 offset, qint64 count) const {
    if (!contains(offset, count)) {
        return DocBytes();
    }
    return DocBytes(reinterpret_cast<const char*>(m_data + offset), count);
}
