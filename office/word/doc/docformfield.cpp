#include "office/word/doc/docformfield.h"

#include <utility>

namespace {

constexpr quint32 kFFDataVersion = 0xFFFFFFFF;
constexpr int kCheckBoxDefaultState = 25;  // iRes of a check box that follows wDef
constexpr int kMaxDropEntries = 25;        // Word's limit on a drop-down's entries

}  // namespace

/* NilPICFAndBinData: lcb, cbHeader, header; then the FFData. */
std::optional<LegacyFormField> DocFormField::read(const DocBytes& data, quint32 offset) {
    const quint16 header = data.u16(static_cast<qint64>(offset) + 4);
    qint64 position = static_cast<qint64>(offset) + header;
    if (header < 6 || data.u32(position) != kFFDataVersion || !data.contains(position, 10)) {
        return std::nullopt;
    }
    const quint16 bits = data.u16(position + 4);
    const int type = bits & 0x3;
    const int result = (bits >> 2) & 0x1F;
    LegacyFormField field;
    position += 10;  // version, bits, cch, hps
    std::optional<QString> name = readXstz(data, position);
    if (!name) {
        return std::nullopt;
    }
    field.name = std::move(*name);
    if (type == 0) {
        return field;  // a text field shows its result
    }
    const quint16 defaultValue = data.u16(position);
    position += 2;
    if (type == 1) {
        field.type = LegacyFormField::Type::CheckBox;
        field.checkedByDefault = defaultValue != 0;
        if (result != kCheckBoxDefaultState) {
            field.checked = result != 0;
        }
        return field;
    }
    field.type = LegacyFormField::Type::DropDown;
    field.result = result;
    field.defaultResult = defaultValue;
    // Text format, help, status and the two macro names come before the entries.
    for (int i = 0; i < 5; ++i) {
        if (!readXstz(data, position)) {
            return field;
        }
    }
    readDropList(data, position, field);
    return field;
}

/* Count, characters, terminator. */
std::optional<QString> DocFormField::readXstz(const DocBytes& data, qint64& position) {
    const quint16 count = data.u16(position);
    if (!data.contains(position, 2 + static_cast<qint64>(count) * 2 + 2)) {
        return std::nullopt;
    }
    QString text(count, Qt::Uninitialized);
    for (int i = 0; i < count; ++i) {
        text[i] = QChar(data.u16(position + 2 + i * 2));
    }
    position += 2 + static_cast<qint64>(count) * 2 + 2;
    return text;
}

/* An STTB of Unicode strings (fExtend 0xFFFF, cData, cbExtra, then the strings). */
bool DocFormField::readDropList(const DocBytes& data, qint64 position, LegacyFormField& field) {
    if (data.u16(position) != 0xFFFF) {
        return false;
    }
    const int count = qMin<int>(data.u16(position + 2), kMaxDropEntries);
    const quint16 extra = data.u16(position + 4);
    position += 6;
    for (int i = 0; i < count; ++i) {
        const quint16 length = data.u16(position);
        if (!data.contains(position + 2, static_cast<qint64>(length) * 2)) {
            return false;
        }
        QString entry(length, Qt::Uninitialized);
        for (int c = 0; c < length; ++c) {
            entry[c] = QChar(data.u16(position + 2 + c * 2));
        }
        field.entries.append(entry);
        position += 2 + static_cast<qint64>(length) * 2 + extra;
    }
    return true;
}
