#pragma once

#include "office/word/doc/docbytes.h"

#include <QByteArray>

// The style sheet of a Word 6.0/95 document rewritten in the Word 97 layout DocStyleSheet
// reads. The Word 6 STSHI holds the count of styles, the size of an STD's fixed part and the
// standard font at the offsets of Word 97's Stshif; an STD keeps the packed style kind, base
// and UPX count of Word 97's StdfBase, its name is a byte-counted 8-bit string (left out
// here, the reader does not use names) and its UPXs hold Word 6 sprms (translated).
class DocWord6StyleSheet {
public:
    // The Word 97 STSH; empty when the Word 6 one is too short to name its styles.
    static QByteArray toWord97(const DocBytes& stsh);

private:
    static void appendStyle(const DocBytes& std, int baseSize, QByteArray& out);
    static void appendUpx(const QByteArray& upx, QByteArray& std);
};
