#include "office/word/doc/docbyteswriter.h"

/* The low byte. */
void DocBytesWriter::appendU8(QByteArray& out, quint32 value) {
    out.append(static_cast<char>(value & 0xFF));
}

/* The low two bytes, low byte first. */
void DocBytesWriter::appendU16(QByteArray& out, quint32 value) {
    appendU8(out, value);
    appendU8(out, value >> 8);
}

/* Four bytes, low byte first. */
void DocBytesWriter::appendU32(QByteArray& out, quint32 value) {
    appendU16(out, value & 0xFFFF);
    appendU16(out, value >> 16);
}
