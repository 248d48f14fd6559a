#pragma once

#include <QByteArray>
#include <QtGlobal>

// Appends little-endian integers to a byte buffer: the Word 6 reader rewrites its structures
// (grpprls, style sheet, piece table) in the Word 97 layout the rest of the reader reads.
class DocBytesWriter {
public:
    static void appendU8(QByteArray& out, quint32 value);
    static void appendU16(QByteArray& out, quint32 value);
    static void appendU32(QByteArray& out, quint32 value);
};
