#pragma once

#include "office/word/doc/docbytes.h"

#include <QtGlobal>

// Walks the Prl entries of a grpprl (MS-DOC 2.2.5.1 Prl, 2.2.5.2 Sprm): each entry is a 16-bit
// sprm followed by an operand whose size the sprm's spra field gives. A truncated last entry ends
// the walk; nothing is read outside the grpprl.
class DocSprm {
public:
    // Paragraph properties.
    static constexpr quint16 PIstd = 0x4600;
    static constexpr quint16 PJc80 = 0x2403;
    static constexpr quint16 PJc = 0x2461;
    static constexpr quint16 PFInTable = 0x2416;
    static constexpr quint16 PFTtp = 0x2417;
    static constexpr quint16 PItap = 0x6649;
    static constexpr quint16 PDtap = 0x664A;
    static constexpr quint16 PFInnerTableCell = 0x244B;
    static constexpr quint16 PFInnerTtp = 0x244C;
    static constexpr quint16 PHugePapx = 0x6646;
    static constexpr quint16 PChgTabs = 0xC615;
    // Character properties.
    static constexpr quint16 CFRMarkDel = 0x0800;
    static constexpr quint16 CFRMarkIns = 0x0801;
    static constexpr quint16 CFSpec = 0x0855;
    static constexpr quint16 CIstd = 0x4A30;
    static constexpr quint16 CFBold = 0x0835;
    static constexpr quint16 CFItalic = 0x0836;
    static constexpr quint16 CFStrike = 0x0837;
    static constexpr quint16 CFDStrike = 0x2A53;
    static constexpr quint16 CKul = 0x2A3E;
    static constexpr quint16 CHps = 0x4A43;
    static constexpr quint16 CIco = 0x2A42;
    static constexpr quint16 CCv = 0x6870;
    static constexpr quint16 CRgFtc0 = 0x4A4F;
    static constexpr quint16 CRgFtc1 = 0x4A50;
    static constexpr quint16 CSymbol = 0x6A09;
    static constexpr quint16 CPicLocation = 0x6A03;
    static constexpr quint16 CFOle2 = 0x080A;
    // Table (row) properties.
    static constexpr quint16 TDefTable = 0xD608;
    static constexpr quint16 TDefTable10 = 0xD606;
    static constexpr quint16 TDefTableShd80 = 0xD609;
    static constexpr quint16 TDefTableShd = 0xD612;
    static constexpr quint16 TVertMerge = 0xD62B;
    static constexpr quint16 TVertAlign = 0xD62C;
    static constexpr quint16 TTableBorders80 = 0xD605;
    static constexpr quint16 TTableBorders = 0xD613;
    static constexpr quint16 TSetBrc80 = 0xD620;
    static constexpr quint16 TSetBrc = 0xD62F;
    static constexpr quint16 TDyaRowHeight = 0x9407;
    static constexpr quint16 TMerge = 0x5624;
    static constexpr quint16 TSplit = 0x5625;

    explicit DocSprm(const DocBytes& grpprl) : m_grpprl(grpprl) {}

    // Advance to the next entry; false at the end or on a truncated entry.
    bool next();
    quint16 sprm() const { return m_sprm; }
    // The operand of the current entry (for variable-size operands: including the size byte(s)).
    const DocBytes& operand() const { return m_operand; }

    // Size of the operand of sprm at the start of rest (rest begins after the sprm itself), or
    // -1 when it cannot be told from the bytes available.
    static qint64 operandSize(quint16 sprm, const DocBytes& rest);

private:
    DocBytes m_grpprl;
    qint64 m_pos = 0;
    quint16 m_sprm = 0;
    DocBytes m_operand;
};
