#include "office/word/doc/docformatter.h"

#include "office/word/doc/docsprm.h"

namespace {

constexpr int kMaxCells = 64;  // Word allows 63 cells a row
constexpr int kMaxTableDepth = 64;

/* Resolve a toggle operand (MS-DOC 2.9.339 ToggleOperand) against the style's value. */
bool toggle(quint8 operand, bool styleValue) {
    switch (operand) {
        case 0:
            return false;
        case 1:
            return true;
        case 0x80:
            return styleValue;
        case 0x81:
            return !styleValue;
        default:
            return styleValue;
    }
}

/* Read a COLORREF (MS-DOC 2.9.43); none when it is automatic. */
std::optional<quint32> colorRef(const DocBytes& bytes, qint64 at) {
    if (!bytes.contains(at, 4) || bytes.u8(at + 3) == 0xFF) {
        return std::nullopt;
    }
    return (static_cast<quint32>(bytes.u8(at)) << 16) |
           (static_cast<quint32>(bytes.u8(at + 1)) << 8) | bytes.u8(at + 2);
}

/* Store a colour that is given in target; true when it is. Without one, target keeps its
   value (a format compares its colour even when it has none). */
bool assignColor(const std::optional<quint32>& color, quint32& target) {
    if (color) {
        target = *color;
    }
    return color.has_value();
}

/* Read a Brc80 (MS-DOC 2.9.17); an all-ones value is "nil" and leaves the border undefined. */
StoryBorder brc80(const DocBytes& bytes, qint64 at) {
    StoryBorder border;
    if (!bytes.contains(at, 4) || bytes.u32(at) == 0xFFFFFFFFu) {
        return border;
    }
    border.defined = true;
    border.eighths = bytes.u8(at);
    border.type = bytes.u8(at + 1);
    border.hasColor = assignColor(DocFormatter::icoColor(bytes.u8(at + 2)), border.color);
    return border;
}

/* Read a Brc (MS-DOC 2.9.16). */
StoryBorder brc(const DocBytes& bytes, qint64 at) {
    StoryBorder border;
    if (!bytes.contains(at, 8) || bytes.u32(at + 4) == 0xFFFFFFFFu) {
        return border;
    }
    border.defined = true;
    border.hasColor = assignColor(colorRef(bytes, at), border.color);
    border.eighths = bytes.u8(at + 4);
    border.type = bytes.u8(at + 5);
    return border;
}

/* Follow a sprmPHugePapx operand to the PrcData grpprl in the Data stream (MS-DOC 2.9.210). */
DocBytes hugeGrpprl(const DocBytes& operand, const DocBytes& dataStream) {
    const qint64 at = operand.u32(0);
    const qint64 cb = dataStream.u16(at);
    return dataStream.mid(at + 2, cb);
}

}  // namespace

/* Map an ico index to its RGB value. */
std::optional<quint32> DocFormatter::icoColor(int ico) {
    static const quint32 kColors[] = {0,        0x000000, 0x0000FF, 0x00FFFF, 0x00FF00, 0xFF00FF,
                                      0xFF0000, 0xFFFF00, 0xFFFFFF, 0x000080, 0x008080, 0x008000,
                                      0x800080, 0x800000, 0x808000, 0x808080, 0xC0C0C0};
    if (ico <= 0 || ico >= static_cast<int>(sizeof(kColors) / sizeof(kColors[0]))) {
        return std::nullopt;
    }
    return kColors[ico];
}

/* Apply the character sprms the reader keeps. */
void DocFormatter::applyChar(const DocBytes& grpprl, const StoryCharFormat& style,
                             StoryCharFormat& format) {
    DocSprm sprms(grpprl);
    while (sprms.next()) {
        const DocBytes& op = sprms.operand();
        switch (sprms.sprm()) {
            case DocSprm::CFBold:
                format.bold = toggle(op.u8(0), style.bold);
                break;
            case DocSprm::CFItalic:
                format.italic = toggle(op.u8(0), style.italic);
                break;
            case DocSprm::CFStrike:
            case DocSprm::CFDStrike:
                format.strike = toggle(op.u8(0), style.strike);
                break;
            case DocSprm::CKul:
                format.underline = op.u8(0);
                break;
            case DocSprm::CHps:
                if (op.u16(0) > 0) {
                    format.halfPoints = op.u16(0);
                }
                break;
            case DocSprm::CIco:
                format.hasColor = assignColor(icoColor(op.u8(0)), format.color);
                break;
            case DocSprm::CCv:
                format.hasColor = assignColor(colorRef(op, 0), format.color);
                break;
            case DocSprm::CRgFtc0:
                format.fontAscii = op.u16(0);
                break;
            case DocSprm::CRgFtc1:
                format.fontEastAsia = op.u16(0);
                break;
            case DocSprm::CFRMarkDel:
                format.deleted = op.u8(0) != 0;
                break;
            case DocSprm::CFSpec:
                format.special = op.u8(0) != 0;
                break;
            case DocSprm::CSymbol:
                format.symbolFont = op.u16(0);
                format.symbolChar = op.u16(2);
                break;
            case DocSprm::CPicLocation:
                format.picLocation = op.u32(0);
                break;
            case DocSprm::CFOle2:
                format.ole2 = op.u8(0) != 0;
                break;
            default:
                break;
        }
    }
}

/* Find a sprmCIstd in a grpprl. */
int DocFormatter::charStyleOf(const DocBytes& grpprl) {
    int istd = -1;
    DocSprm sprms(grpprl);
    while (sprms.next()) {
        if (sprms.sprm() == DocSprm::CIstd) {
            istd = sprms.operand().u16(0);
        }
    }
    return istd;
}

/* Apply the paragraph sprms, following a huge grpprl one level deep. */
void DocFormatter::applyPara(const DocBytes& grpprl, const DocBytes& dataStream,
                             StoryParaFormat& format) {
    applyParaSprms(grpprl, dataStream, 0, format);
}

/* Apply paragraph sprms at a given huge-grpprl depth. */
void DocFormatter::applyParaSprms(const DocBytes& grpprl, const DocBytes& dataStream, int depth,
                                  StoryParaFormat& format) {
    DocSprm sprms(grpprl);
    while (sprms.next()) {
        const DocBytes& op = sprms.operand();
        switch (sprms.sprm()) {
            case DocSprm::PIstd:
                format.istd = op.u16(0);
                break;
            case DocSprm::PJc80:
            case DocSprm::PJc:
                format.justification = op.u8(0);
                break;
            case DocSprm::PFInTable:
                format.inTable = op.u8(0) != 0;
                break;
            case DocSprm::PFTtp:
                format.tableRowEnd = op.u8(0) != 0;
                break;
            case DocSprm::PFInnerTableCell:
                format.innerCellEnd = op.u8(0) != 0;
                break;
            case DocSprm::PFInnerTtp:
                format.innerRowEnd = op.u8(0) != 0;
                break;
            case DocSprm::PItap:
                format.itap = qBound(0, static_cast<int>(op.i32(0)), kMaxTableDepth);
                break;
            case DocSprm::PDtap:
                format.itap =
                    qBound(0, qMax(format.itap, 0) + static_cast<int>(op.i32(0)), kMaxTableDepth);
                break;
            case DocSprm::PHugePapx:
                if (depth == 0) {
                    applyParaSprms(hugeGrpprl(op, dataStream), dataStream, 1, format);
                }
                break;
            default:
                break;
        }
    }
}

/* Apply the table sprms of a row-end paragraph. */
void DocFormatter::applyRow(const DocBytes& grpprl, const DocBytes& dataStream,
                            StoryRowFormat& row) {
    applyRowSprms(grpprl, dataStream, 0, row);
}

/* Apply row sprms at a given huge-grpprl depth. */
void DocFormatter::applyRowSprms(const DocBytes& grpprl, const DocBytes& dataStream, int depth,
                                 StoryRowFormat& row) {
    DocSprm sprms(grpprl);
    while (sprms.next()) {
        if (sprms.sprm() == DocSprm::PHugePapx) {
            if (depth == 0) {
                applyRowSprms(hugeGrpprl(sprms.operand(), dataStream), dataStream, 1, row);
            }
            continue;
        }
        applyRowSprm(sprms.sprm(), sprms.operand(), row);
    }
}

/* Apply one table sprm. */
void DocFormatter::applyRowSprm(quint16 sprm, const DocBytes& op, StoryRowFormat& row) {
    switch (sprm) {
        case DocSprm::TDefTable:
            defineTable(op, row);
            break;
        case DocSprm::TDefTableShd80:
            setShading(op, false, 0, row);
            break;
        case DocSprm::TDefTableShd:
            setShading(op, true, 0, row);
            break;
        case 0xD616:  // sprmTDefTableShd2nd: cells 22 to 43
            setShading(op, true, 22, row);
            break;
        case 0xD60C:  // sprmTDefTableShd3rd: cells 44 to 62
            setShading(op, true, 44, row);
            break;
        case DocSprm::TTableBorders80:
            setTableBorders(op, false, row);
            break;
        case DocSprm::TTableBorders:
            setTableBorders(op, true, row);
            break;
        case DocSprm::TSetBrc80:
            setCellBorders(op, false, row);
            break;
        case DocSprm::TSetBrc:
            setCellBorders(op, true, row);
            break;
        case DocSprm::TDyaRowHeight:
            row.heightTwips = op.i16(0);
            break;
        default:
            applyCellSprm(sprm, op, row);
            break;
    }
}

/* Apply one sprm that sets a property of some of the row's cells (merges, alignment). */
void DocFormatter::applyCellSprm(quint16 sprm, const DocBytes& op, StoryRowFormat& row) {
    switch (sprm) {
        case DocSprm::TVertMerge: {
            // VerticalMergeOperand: cb, itc, vertMergeFlags (MS-DOC 2.9.347).
            const int itc = op.u8(1);
            if (static_cast<size_t>(itc) < row.cells.size() && op.contains(2, 1)) {
                row.cells[itc].verticalMerge = op.u8(2) & 3;
            }
            break;
        }
        case DocSprm::TVertAlign: {
            // CellRangeVertAlign: cb, itcFirst, itcLim, valign (MS-DOC 2.9.32).
            const int last = qMin(static_cast<int>(op.u8(2)), static_cast<int>(row.cells.size()));
            for (int itc = op.u8(1); itc < last; ++itc) {
                row.cells[itc].verticalAlign = op.u8(3);
            }
            break;
        }
        case DocSprm::TMerge: {
            const int last = qMin(static_cast<int>(op.u8(1)), static_cast<int>(row.cells.size()));
            for (int itc = op.u8(0); itc < last; ++itc) {
                row.cells[itc].horizontalMerge = itc == op.u8(0) ? 1 : 2;
            }
            break;
        }
        case DocSprm::TSplit: {
            const int last = qMin(static_cast<int>(op.u8(1)), static_cast<int>(row.cells.size()));
            for (int itc = op.u8(0); itc < last; ++itc) {
                row.cells[itc].horizontalMerge = 0;
            }
            break;
        }
        default:
            break;
    }
}

/* Read a TDefTableOperand (MS-DOC 2.9.320): cell boundaries and Tc80 records. */
void DocFormatter::defineTable(const DocBytes& op, StoryRowFormat& row) {
    const int count = op.u8(2);
    if (count < 1 || count > kMaxCells || !op.contains(3, (count + 1) * 2)) {
        return;
    }
    row.defined = true;
    row.boundaries.resize(static_cast<size_t>(count) + 1);
    for (int i = 0; i <= count; ++i) {
        row.boundaries[static_cast<size_t>(i)] = op.i16(3 + i * 2);
    }
    row.cells.assign(static_cast<size_t>(count), StoryCellFormat());
    const qint64 tcAt = 3 + static_cast<qint64>(count + 1) * 2;
    for (int i = 0; i < count && op.contains(tcAt + i * 20, 20); ++i) {
        // Tc80 (MS-DOC 2.9.311): TCGRF, wWidth, then four Brc80MayBeNil.
        const qint64 at = tcAt + i * 20;
        const quint16 grf = op.u16(at);
        StoryCellFormat& cell = row.cells[i];
        cell.horizontalMerge = grf & 3;
        cell.verticalMerge = (grf >> 5) & 3;
        cell.verticalAlign = (grf >> 7) & 3;
        cell.top = brc80(op, at + 4);
        cell.left = brc80(op, at + 8);
        cell.bottom = brc80(op, at + 12);
        cell.right = brc80(op, at + 16);
    }
}

/* Read a TableBordersOperand80 or TableBordersOperand (MS-DOC 2.9.315/2.9.316). */
void DocFormatter::setTableBorders(const DocBytes& op, bool wide, StoryRowFormat& row) {
    const int size = wide ? 8 : 4;
    StoryBorder* targets[] = {&row.top,   &row.left,    &row.bottom,
                              &row.right, &row.insideH, &row.insideV};
    for (int i = 0; i < 6; ++i) {
        *targets[i] = wide ? brc(op, 1 + i * size) : brc80(op, 1 + i * size);
    }
}

/* Read a TableBrcOperand or TableBrc80Operand (MS-DOC 2.9.317/2.9.318) for a cell range. */
void DocFormatter::setCellBorders(const DocBytes& op, bool wide, StoryRowFormat& row) {
    const int first = op.u8(1);
    const int last = qMin(static_cast<int>(op.u8(2)), static_cast<int>(row.cells.size()));
    const int sides = op.u8(3);
    const StoryBorder border = wide ? brc(op, 4) : brc80(op, 4);
    if (!border.defined) {
        return;
    }
    for (int itc = first; itc < last; ++itc) {
        StoryCellFormat& cell = row.cells[itc];
        if (sides & 0x01) {
            cell.top = border;
        }
        if (sides & 0x02) {
            cell.left = border;
        }
        if (sides & 0x04) {
            cell.bottom = border;
        }
        if (sides & 0x08) {
            cell.right = border;
        }
    }
}

/* Read a DefTableShdOperand (Shd, 10 bytes each) or an array of Shd80 (2 bytes each). */
void DocFormatter::setShading(const DocBytes& op, bool wide, int firstCell, StoryRowFormat& row) {
    const int size = wide ? 10 : 2;
    const int count = op.u8(0) / size;
    const int cellCount = static_cast<int>(row.cells.size());
    for (int i = 0; i < count && firstCell + i < cellCount; ++i) {
        StoryCellFormat& cell = row.cells[firstCell + i];
        const qint64 at = 1 + static_cast<qint64>(i) * size;
        std::optional<quint32> fore;
        std::optional<quint32> back;
        int pattern = 0;
        if (wide) {
            // Shd (MS-DOC 2.9.248): cvFore, cvBack, ipat.
            fore = colorRef(op, at);
            back = colorRef(op, at + 4);
            pattern = op.u16(at + 8);
        } else {
            // Shd80 (MS-DOC 2.9.249): icoFore (5 bits), icoBack (5 bits), ipat (6 bits).
            const quint16 value = op.u16(at);
            fore = icoColor(value & 0x1F);
            back = icoColor((value >> 5) & 0x1F);
            pattern = value >> 10;
        }
        // A solid pattern shows the foreground colour; others are approximated by the ground.
        if (pattern == 1 && fore) {
            cell.hasShading = true;
            cell.shading = *fore;
        } else if (pattern != 0xFFFF && back) {
            cell.hasShading = true;
            cell.shading = *back;
        } else {
            cell.hasShading = false;
        }
    }
}
