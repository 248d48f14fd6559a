#pragma once

#include "office/word/doc/docbytes.h"
#include "office/word/model/storyformats.h"

#include <QString>

#include <vector>

// The style sheet of a Word binary document: STSH (MS-DOC 2.9.271) with its Stshi (2.9.272)
// and the LPStd entries (2.9.146 STD). Each style's paragraph and character properties are
// resolved once through its istdBase chain (cycles and chains deeper than a limit are cut).
class DocStyleSheet {
public:
    // Read the style sheet; false when it is malformed (the reader then uses defaults).
    bool parse(const DocBytes& stsh);

    // Resolved formats of style istd; the document defaults for an unknown style.
    const StoryCharFormat& charFormat(int istd) const;
    const StoryParaFormat& paraFormat(int istd) const;
    // True when istd names a character style.
    bool isCharacterStyle(int istd) const;
    // The character format with no style applied (document defaults).
    const StoryCharFormat& defaultCharFormat() const { return m_defaultChar; }

private:
    struct Style {
        bool present = false;
        int kind = 0;  // stk: 1 paragraph, 2 character, 3 table, 4 numbering
        int base = 0x0FFF;
        DocBytes papx;
        DocBytes chpx;
        StoryCharFormat charFormat;
        StoryParaFormat paraFormat;
    };

    void readStyle(int istd, const DocBytes& std, int baseSize);
    void resolve();
    // True when istd indexes a style of the sheet.
    bool inRange(int istd) const {
        return istd >= 0 && static_cast<size_t>(istd) < m_styles.size();
    }

    std::vector<Style> m_styles;
    StoryCharFormat m_defaultChar;
    StoryParaFormat m_defaultPara;
};
