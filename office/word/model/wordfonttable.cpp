#include "office/word/model/wordfonttable.h"

/* Add one font name. */
int WordFontTable::append(const QString& name) {
    m_names.push_back(name);
    return count() - 1;
}

/* Look up a font name. */
QString WordFontTable::name(int index) const {
    return index >= 0 && index < count() ? m_names[static_cast<size_t>(index)] : QString();
}
