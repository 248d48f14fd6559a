#pragma once

#include <cstdint>
#include <vector>

// The open complex fields of a story as a reader walks it (field begin, separator, end marks):
// a field's instruction is hidden, its result shows. Nesting deeper than kMaxDepth is not kept
// but counted, so that each end mark still closes the field it belongs to and the text of the
// fields too deep to keep stays hidden. A field whose shown text the reader supplies itself (a
// check box or drop-down form field) hides its result too.
class FieldNesting {
public:
    static constexpr int kMaxDepth = 64;

    // A field begins: its instruction follows. With `hideResult` its result stays hidden too.
    void begin(bool hideResult = false);
    // The innermost field's result begins.
    void separate();
    // The innermost field's result stays hidden (the reader shows the field its own way).
    void hideResult();
    // The innermost field ends.
    void end();
    // Forget every open field (a new story).
    void clear();
    // True when text at this point shows: no open field is in its instruction.
    bool showsText() const;
    // The number of open fields, those past kMaxDepth included.
    int depth() const { return static_cast<int>(m_parts.size()) + m_overflow; }

private:
    enum class Part : std::uint8_t { Instruction, Result, HiddenResult };

    std::vector<Part> m_parts;  // per open field: the part being read
    int m_overflow = 0;         // fields opened beyond kMaxDepth, not yet closed
};
