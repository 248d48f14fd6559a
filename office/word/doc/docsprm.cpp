#include "office/word/doc/docsprm.h"

/* Size of a sprmPChgTabs operand (MS-DOC 2.6.2), which may not carry its own size. */
static qint64 chgTabsSize(const DocBytes& rest) {
    const quint8 cb = rest.u8(0);
    if (cb != 255) {
        return rest.contains(0, 1) ? 1 + static_cast<qint64>(cb) : -1;
    }
    // PChgTabsDelClose then PChgTabsAdd, each counted by its cTabs byte.
    const qint64 deleted = rest.u8(1);
    const qint64 addAt = 2 + deleted * 4;
    if (!rest.contains(addAt, 1)) {
        return -1;
    }
    return addAt + 1 + static_cast<qint64>(rest.u8(addAt)) * 3;
}

/* Tell the operand size from the spra field and, for variable sizes, the operand's first bytes. */
qint64 DocSprm::operandSize(quint16 sprm, const DocBytes& rest) {
    switch (sprm >> 13) {
        case 0:
        case 1:
            return 1;
        case 2:
        case 4:
        case 5:
            return 2;
        case 3:
            return 4;
        case 7:
            return 3;
        default:
            break;
    }
    if (sprm == TDefTable || sprm == TDefTable10) {
        // TDefTableOperand: cb counts the rest of the operand plus one (MS-DOC 2.9.320).
        if (!rest.contains(0, 2)) {
            return -1;
        }
        const qint64 cb = rest.u16(0);
        return cb == 0 ? 2 : 2 + cb - 1;
    }
    if (sprm == PChgTabs) {
        return chgTabsSize(rest);
    }
    return rest.contains(0, 1) ? 1 + static_cast<qint64>(rest.u8(0)) : -1;
}

/* Step over the current entry and decode the next one. */
bool DocSprm::next() {
    if (!m_grpprl.contains(m_pos, 2)) {
        return false;
    }
    m_sprm = m_grpprl.u16(m_pos);
    const qint64 start = m_pos + 2;
    const DocBytes rest = m_grpprl.mid(start, m_grpprl.size() - start);
    const qint64 size = operandSize(m_sprm, rest);
    if (size < 0 || !rest.contains(0, size)) {
        m_pos = m_grpprl.size();
        return false;
    }
    m_operand = rest.mid(0, size);
    m_pos = start + size;
    return true;
}
