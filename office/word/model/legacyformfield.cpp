#include "office/word/model/legacyformfield.h"

#include "office/word/model/symbolfonts.h"

/* Word draws the box from the state, and the entry from the index; a bad index falls back. */
QString LegacyFormField::shownText() const {
    switch (type) {
        case Type::CheckBox:
            return QString(QChar(checked.value_or(checkedByDefault) ? SymbolFonts::kTicked
                                                                    : SymbolFonts::kUnticked));
        case Type::DropDown:
            for (const int index : {result, defaultResult, 0}) {
                if (index >= 0 && index < entries.size()) {
                    return entries.at(index);
                }
            }
            return QString();
        case Type::Text:
            break;
    }
    return QString();
}

/* Only blanks of the kinds Word fills an empty field with. */
bool LegacyFormField::isPlaceholder(const QString& result) {
    for (const QChar c : result) {
        if (c != QChar(0x2002) && c != QChar(0x3000) && c != QLatin1Char(' ')) {
            return false;
        }
    }
    return true;
}

/* ST_OnOff, read leniently as writers spell it. */
bool LegacyFormField::flag(const QString& value) {
    return value.isEmpty() || value == QLatin1String("1") ||
           value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
           value.compare(QLatin1String("on"), Qt::CaseInsensitive) == 0;
}
