#include "office/format/littleendianreader.h"

#include <cstring>

/* Make a view on size bytes at data. */
LittleEndianReader::LittleEndianReader(const uchar* data, qint64 size)
    : m_data(data), m_size(data != nullptr && size > 0 ? size : 0) {}

/* Make a view on size bytes at data. */
LittleEndianReader::LittleEndianReader(const char* data, qint64 size)
    : LittleEndianReader(reinterpret_cast<const uchar*>(data), size) {}

/* Make a view on the bytes of a byte array. */
LittleEndianReader::LittleEndianReader(const QByteArray& bytes)
    : LittleEndianReader(bytes.constData(), bytes.size()) {}

/* Read an IEEE 754 double at an offset. */
double LittleEndianReader::f64(qint64 offset) const {
    const quint64 bits = u64(offset);
    double result = 0;
    std::memcpy(&result, &bits, sizeof result);
    return result;
}

/* Take a sub-view. */
LittleEndianReader LittleEndianReader::mid(qint64 offset, qint64 count) const {
    if (!contains(offset, count)) {
        m_failed = 1;
        return LittleEndianReader();
    }
    return LittleEndianReader(m_data + offset, count);
}

/* Move the cursor. */
bool LittleEndianReader::seek(qint64 offset) {
    if (!contains(offset, 0)) {
        m_failed = 1;
        return false;
    }
    m_position = offset;
    return true;
}

/* Move the cursor forward. */
bool LittleEndianReader::skip(qint64 count) {
    if (!contains(m_position, count)) {
        m_failed = 1;
        return false;
    }
    m_position += count;
    return true;
}

/* Read an IEEE 754 double at the cursor. */
double LittleEndianReader::readF64() {
    const double result = f64(m_position);
    if (contains(m_position, 8)) {
        m_position += 8;
    }
    return result;
}
