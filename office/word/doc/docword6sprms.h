#pragma once

#include "office/word/doc/docbytes.h"

#include <QByteArray>
#include <QtGlobal>

// The property modifiers of Word 6.0/95: one-byte sprm codes with their own numbering and
// operand layouts (the BRC of a border is two bytes, a cell's TC ten). The reader keeps its
// Word 97 formatter and translates the Word 6 grpprls it needs into Word 97 ones: paragraph
// style, justification, table membership and row ends, character formats, and the row
// definition with its cell merges, borders and shading. Sprms without a counterpart are
// dropped; a truncated last sprm ends the walk.
class DocWord6Sprms {
public:
    // Word 6 sprm codes the reader uses.
    static constexpr quint8 PIstd = 2;
    static constexpr quint8 PJc = 5;
    static constexpr quint8 PChgTabs = 23;
    static constexpr quint8 PFInTable = 24;
    static constexpr quint8 PFTtp = 25;
    static constexpr quint8 CFStrikeRM = 65;
    static constexpr quint8 CSymbol = 74;
    static constexpr quint8 CIstd = 80;
    static constexpr quint8 CFBold = 85;
    static constexpr quint8 CFItalic = 86;
    static constexpr quint8 CFStrike = 87;
    static constexpr quint8 CFtc = 93;
    static constexpr quint8 CKul = 94;
    static constexpr quint8 CIco = 98;
    static constexpr quint8 CHps = 99;
    static constexpr quint8 CFSpec = 117;
    static constexpr quint8 TTableBorders = 187;
    static constexpr quint8 TDyaRowHeight = 189;
    static constexpr quint8 TDefTable = 190;
    static constexpr quint8 TDefTableShd = 191;
    static constexpr quint8 TSetBrc = 193;
    static constexpr quint8 TMerge = 197;
    static constexpr quint8 TSplit = 198;

    // Size of the operand of sprm at the start of rest, or -1 when it does not fit.
    static qint64 operandSize(quint8 sprm, const DocBytes& rest);
    // The font (sprmCFtc) a grpprl names, or -1.
    static int fontOf(const DocBytes& grpprl);
    // The grpprl translated into Word 97 sprms.
    static QByteArray toWord97(const DocBytes& grpprl);

private:
    template <typename Visit>
    static void forEachSprm(const DocBytes& grpprl, Visit visit);
    static void translate(quint8 sprm, const DocBytes& operand, QByteArray& out);
    static void translateTable(quint8 sprm, const DocBytes& operand, QByteArray& out);
    static void defineTable(const DocBytes& operand, QByteArray& out);
    static void defineShading(const DocBytes& operand, QByteArray& out);
    static void appendShd(quint16 shd, QByteArray& out);
    static int shadePercent(int ipat);
};
