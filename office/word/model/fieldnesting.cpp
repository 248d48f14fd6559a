#include "office/word/model/fieldnesting.h"

#include <algorithm>

/* Keep the field, or count it past the limit. */
void FieldNesting::begin() {
    if (static_cast<int>(m_inResult.size()) < kMaxDepth) {
        m_inResult.push_back(false);
    } else {
        ++m_overflow;
    }
}

/* A separator inside an uncounted field belongs to it. */
void FieldNesting::separate() {
    if (m_overflow == 0 && !m_inResult.empty()) {
        m_inResult.back() = true;
    }
}

/* Close the uncounted fields first: they are the innermost. */
void FieldNesting::end() {
    if (m_overflow > 0) {
        --m_overflow;
    } else if (!m_inResult.empty()) {
        m_inResult.pop_back();
    }
}

/* Back to no open field. */
void FieldNesting::clear() {
    m_inResult.clear();
    m_overflow = 0;
}

/* Hidden inside any instruction, and inside fields too deep to keep. */
bool FieldNesting::showsText() const {
    return m_overflow == 0 &&
           std::find(m_inResult.begin(), m_inResult.end(), false) == m_inResult.end();
}
