#include "office/word/model/wordfonttable.h"

/* Add one font name. */
int WordFontTable::append(const QString& name) {
    m_names.append(name);
    return m_names.size() - 1;
}

/* Look up a font name. */
QString WordFontTable::name(int index) const {
    return index >= 0 && index < m_names.size() ? m_names[index] : QString();
}
