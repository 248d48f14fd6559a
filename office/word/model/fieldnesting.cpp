#include "office/word/model/fieldnesting.h"

#include <algorithm>

/* Keep the field, or count it past the limit. */
void FieldNesting::begin(bool hideResult) {
    if (static_cast<int>(m_parts.size()) < kMaxDepth) {
        m_parts.push_back(hideResult ? Part::HiddenResult : Part::Instruction);
    } else {
        ++m_overflow;
    }
}

/* A separator inside an uncounted field belongs to it. */
void FieldNesting::separate() {
    if (m_overflow == 0 && !m_parts.empty() && m_parts.back() == Part::Instruction) {
        m_parts.back() = Part::Result;
    }
}

/* Only a field that is kept can be marked. */
void FieldNesting::hideResult() {
    if (m_overflow == 0 && !m_parts.empty()) {
        m_parts.back() = Part::HiddenResult;
    }
}

/* Close the uncounted fields first: they are the innermost. */
void FieldNesting::end() {
    if (m_overflow > 0) {
        --m_overflow;
    } else if (!m_parts.empty()) {
        m_parts.pop_back();
    }
}

/* Back to no open field. */
void FieldNesting::clear() {
    m_parts.clear();
    m_overflow = 0;
}

/* Hidden inside any instruction or hidden result, and inside fields too deep to keep. */
bool FieldNesting::showsText() const {
    return m_overflow == 0 && std::all_of(m_parts.begin(), m_parts.end(),
                                          [](Part part) { return part == Part::Result; });
}
