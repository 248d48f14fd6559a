#pragma once

#include <vector>

// The open complex fields of a story as a reader walks it (field begin, separator, end marks):
// a field's instruction is hidden, its result shows. Nesting deeper than kMaxDepth is not kept
// but counted, so that each end mark still closes the field it belongs to and the text of the
// fields too deep to keep stays hidden.
class FieldNesting {
public:
    static constexpr int kMaxDepth = 64;

    // A field begins: its instruction follows.
    void begin();
    // The innermost field's result begins.
    void separate();
    // The innermost field ends.
    void end();
    // Forget every open field (a new story).
    void clear();
    // True when text at this point shows: no open field is in its instruction.
    bool showsText() const;

private:
    std::vector<bool> m_inResult;  // per open field: whether its result has begun
    int m_overflow = 0;            // fields opened beyond kMaxDepth, not yet closed
};
