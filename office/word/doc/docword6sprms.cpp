#include "office/word/doc/docword6sprms.h"

#include "office/word/doc/docbyteswriter.h"
#include "office/word/doc/docformatter.h"
#include "office/word/doc/docsprm.h"

#include <array>
#include <optional>

namespace {

constexpr qint8 kVariable = -1;

/* Operand sizes of the fixed-size Word 6 sprms; every other code carries a size byte. */
std::array<qint8, 256> makeSizes() {
    std::array<qint8, 256> sizes;
    sizes.fill(kVariable);
    struct Group {
        qint8 size;
        std::initializer_list<int> codes;
    };
    const Group groups[] = {
        {0, {0, 52, 83, 163}},
        {1, {4,   5,   6,   7,   8,   9,   10,  11,  13,  14,  24,  25,  37,  44,
             50,  51,  65,  66,  67,  71,  75,  85,  86,  87,  88,  89,  90,  91,
             92,  94,  98,  100, 102, 104, 117, 118, 119, 131, 132, 138, 139, 142,
             143, 146, 147, 150, 151, 152, 153, 158, 159, 162, 185, 186}},
        {2,
         {2,   16,  17,  18,  19,  21,  22,  26,  27,  28,  30,  31,  32,  33,  34,  35,  36,  38,
          39,  40,  41,  42,  43,  45,  46,  47,  48,  49,  69,  72,  80,  93,  96,  97,  99,  101,
          107, 109, 110, 121, 122, 123, 124, 140, 141, 144, 145, 148, 149, 154, 155, 156, 157, 160,
          161, 164, 165, 166, 167, 168, 169, 170, 171, 182, 183, 184, 189, 195, 197, 198}},
        {3, {73, 95, 136, 137}},
        {4, {20, 70, 192, 194, 196, 200}},
        {5, {193, 199}},
        {12, {187}},
    };
    for (const Group& group : groups) {
        for (int code : group.codes) {
            sizes[static_cast<size_t>(code)] = group.size;
        }
    }
    return sizes;
}

/* A Word 97 sprm with a fixed-size operand copied from the Word 6 one. */
void appendSprm(QByteArray& out, quint16 sprm, const DocBytes& operand) {
    DocBytesWriter::appendU16(out, sprm);
    out.append(reinterpret_cast<const char*>(operand.data()), static_cast<int>(operand.size()));
}

/* A Word 6 BRC (two bytes) as a Brc80 (four): dxpLineWidth 3 bits in 0.75 pt, brcType 2
   bits, fShadow, ico 5 bits, dxpSpace 5 bits; widths 6 and 7 stand for dotted and dashed. */
void appendBrc80(QByteArray& out, quint16 brc) {
    if (brc == 0xFFFF) {
        DocBytesWriter::appendU16(out, 0xFFFF);
        DocBytesWriter::appendU16(out, 0xFFFF);
        return;
    }
    int width = brc & 0x07;
    int type = (brc >> 3) & 0x03;
    if (width > 5) {
        type = width;
        width = 1;
    }
    DocBytesWriter::appendU8(out, width * 6);
    DocBytesWriter::appendU8(out, type);
    DocBytesWriter::appendU8(out, (brc >> 6) & 0x1F);
    DocBytesWriter::appendU8(out, ((brc >> 11) & 0x1F) | ((brc >> 5) & 1) << 5);
}

}  // namespace

/* Fixed sizes from the table; sprmTDefTable counts its operand in two bytes (plus one),
   sprmPChgTabs as in Word 97, the others in one byte. */
qint64 DocWord6Sprms::operandSize(quint8 sprm, const DocBytes& rest) {
    static const std::array<qint8, 256> kSizes = makeSizes();
    if (kSizes[sprm] != kVariable) {
        return kSizes[sprm];
    }
    if (sprm == TDefTable) {
        return DocSprm::operandSize(DocSprm::TDefTable, rest);
    }
    if (sprm == PChgTabs) {
        return DocSprm::operandSize(DocSprm::PChgTabs, rest);
    }
    return rest.contains(0, 1) ? 1 + static_cast<qint64>(rest.u8(0)) : -1;
}

/* Hand each sprm of the grpprl with its operand to visit, in order; a sprm whose operand
   does not fit ends the walk. */
template <typename Visit>
void DocWord6Sprms::forEachSprm(const DocBytes& grpprl, Visit visit) {
    qint64 pos = 0;
    while (grpprl.contains(pos, 1)) {
        const quint8 sprm = grpprl.u8(pos);
        const DocBytes rest = grpprl.mid(pos + 1, grpprl.size() - pos - 1);
        const qint64 size = operandSize(sprm, rest);
        if (size < 0 || !rest.contains(0, size)) {
            break;
        }
        visit(sprm, rest.mid(0, size));
        pos += 1 + size;
    }
}

/* Walk the grpprl for the last sprmCFtc. */
int DocWord6Sprms::fontOf(const DocBytes& grpprl) {
    int font = -1;
    forEachSprm(grpprl, [&font](quint8 sprm, const DocBytes& operand) {
        if (sprm == CFtc) {
            font = operand.u16(0);
        }
    });
    return font;
}

/* Walk the grpprl and translate each sprm. */
QByteArray DocWord6Sprms::toWord97(const DocBytes& grpprl) {
    QByteArray out;
    forEachSprm(grpprl,
                [&out](quint8 sprm, const DocBytes& operand) { translate(sprm, operand, out); });
    return out;
}

/* Translate one paragraph or character sprm; table sprms go to translateTable. */
void DocWord6Sprms::translate(quint8 sprm, const DocBytes& op, QByteArray& out) {
    switch (sprm) {
        case PIstd:
            return appendSprm(out, DocSprm::PIstd, op);
        case PJc:
            return appendSprm(out, DocSprm::PJc80, op);
        case PFInTable:
            return appendSprm(out, DocSprm::PFInTable, op);
        case PFTtp:
            return appendSprm(out, DocSprm::PFTtp, op);
        case CFStrikeRM:
            return appendSprm(out, DocSprm::CFRMarkDel, op);
        case CIstd:
            return appendSprm(out, DocSprm::CIstd, op);
        case CFBold:
            return appendSprm(out, DocSprm::CFBold, op);
        case CFItalic:
            return appendSprm(out, DocSprm::CFItalic, op);
        case CFStrike:
            return appendSprm(out, DocSprm::CFStrike, op);
        case CFtc:
            return appendSprm(out, DocSprm::CRgFtc0, op);
        case CKul:
            return appendSprm(out, DocSprm::CKul, op);
        case CIco:
            return appendSprm(out, DocSprm::CIco, op);
        case CHps:
            return appendSprm(out, DocSprm::CHps, op);
        case CFSpec:
            return appendSprm(out, DocSprm::CFSpec, op);
        case CSymbol:
            // Size byte, ftc, an 8-bit character of a symbol font (Word 97 keeps those at
            // U+F000 and above).
            if (op.size() >= 4) {
                DocBytesWriter::appendU16(out, DocSprm::CSymbol);
                DocBytesWriter::appendU16(out, op.u16(1));
                DocBytesWriter::appendU16(out, 0xF000 | op.u8(3));
            }
            return;
        default:
            return translateTable(sprm, op, out);
    }
}

/* Translate one table sprm. */
void DocWord6Sprms::translateTable(quint8 sprm, const DocBytes& op, QByteArray& out) {
    switch (sprm) {
        case TDyaRowHeight:
            return appendSprm(out, DocSprm::TDyaRowHeight, op);
        case TMerge:
            return appendSprm(out, DocSprm::TMerge, op);
        case TSplit:
            return appendSprm(out, DocSprm::TSplit, op);
        case TDefTableShd:
            return defineShading(op, out);
        case TDefTable:
            return defineTable(op, out);
        case TTableBorders:
            DocBytesWriter::appendU16(out, DocSprm::TTableBorders80);
            DocBytesWriter::appendU8(out, 6 * 4);
            for (int i = 0; i < 6; ++i) {
                appendBrc80(out, op.u16(i * 2));
            }
            return;
        case TSetBrc:
            // itcFirst, itcLim, the sides, a BRC.
            DocBytesWriter::appendU16(out, DocSprm::TSetBrc80);
            DocBytesWriter::appendU8(out, 7);
            out.append(reinterpret_cast<const char*>(op.data()), 3);
            appendBrc80(out, op.u16(3));
            return;
        default:
            return;
    }
}

/* sprmTDefTableShd: a size byte and two-byte SHDs (icoFore, icoBack, ipat), rewritten as
   Word 97 Shds of the colour a reader sees: a shade pattern mixes the foreground (black when
   automatic) into the background (white when automatic) by its percentage. */
void DocWord6Sprms::defineShading(const DocBytes& op, QByteArray& out) {
    // Word 97 splits the cells among three sprms: 0 to 21, 22 to 43, 44 to 62.
    static const quint16 kSprms[] = {DocSprm::TDefTableShd, 0xD616, 0xD60C};
    const int count = op.u8(0) / 2;
    for (int part = 0; part < 3 && part * 22 < count; ++part) {
        const int first = part * 22;
        const int last = qMin(count, first + 22);
        DocBytesWriter::appendU16(out, kSprms[part]);
        DocBytesWriter::appendU8(out, (last - first) * 10);
        for (int i = first; i < last; ++i) {
            appendShd(op.u16(1 + i * 2), out);
        }
    }
}

/* One Shd: automatic foreground, the mixed colour as background, a clear pattern. */
void DocWord6Sprms::appendShd(quint16 shd, QByteArray& out) {
    const int percent = shadePercent(shd >> 10);
    const quint32 fore = DocFormatter::icoColor(shd & 0x1F).value_or(0x000000);
    const std::optional<quint32> backColor = DocFormatter::icoColor((shd >> 5) & 0x1F);
    const bool hasBack = backColor.has_value();
    const quint32 back = backColor.value_or(0xFFFFFF);
    DocBytesWriter::appendU16(out, 0xFFFF);  // cvFore: automatic
    DocBytesWriter::appendU16(out, 0xFF00);
    if (percent < 0 || (percent == 0 && !hasBack)) {
        DocBytesWriter::appendU16(out, 0xFFFF);  // cvBack: automatic, no shading
        DocBytesWriter::appendU16(out, 0xFF00);
    } else {
        for (int shift = 16; shift >= 0; shift -= 8) {
            const int channel = (static_cast<int>((fore >> shift) & 0xFF) * percent +
                                 static_cast<int>((back >> shift) & 0xFF) * (100 - percent)) /
                                100;
            DocBytesWriter::appendU8(out, channel);
        }
        DocBytesWriter::appendU8(out, 0);
    }
    DocBytesWriter::appendU16(out, 0);  // ipat: clear, the colour is the background
}

/* The share of foreground of a shade pattern (ipat), in percent; -1 for none. */
int DocWord6Sprms::shadePercent(int ipat) {
    static const int kPercents[] = {0, 100, 5, 10, 20, 25, 30, 40, 50, 60, 70, 75, 80, 90};
    if (ipat < static_cast<int>(sizeof(kPercents) / sizeof(kPercents[0]))) {
        return kPercents[ipat];
    }
    return ipat < 26 ? 50 : -1;  // hatches and crosses look half covered
}

/* sprmTDefTable: cb, itcMac, the cell boundaries, then ten-byte TCs (merge flags and four
   BRCs), rewritten with twenty-byte Tc80s. */
void DocWord6Sprms::defineTable(const DocBytes& op, QByteArray& out) {
    const int count = op.u8(2);
    const qint64 tcAt = 3 + static_cast<qint64>(count + 1) * 2;
    if (!op.contains(3, (count + 1) * 2)) {
        return;
    }
    const int tcs = static_cast<int>(qMin<qint64>(count, (op.size() - tcAt) / 10));
    QByteArray body;
    DocBytesWriter::appendU8(body, count);
    body.append(reinterpret_cast<const char*>(op.data()) + 3, (count + 1) * 2);
    for (int i = 0; i < tcs; ++i) {
        const qint64 at = tcAt + i * 10;
        DocBytesWriter::appendU16(body, op.u16(at) & 0x0003);  // fFirstMerged, fMerged
        DocBytesWriter::appendU16(body, 0);
        for (int side = 0; side < 4; ++side) {
            appendBrc80(body, op.u16(at + 2 + side * 2));
        }
    }
    DocBytesWriter::appendU16(out, DocSprm::TDefTable);
    DocBytesWriter::appendU16(out, body.size() + 1);
    out.append(body);
}
