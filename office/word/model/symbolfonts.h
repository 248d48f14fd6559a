#pragma once

// SymbolFonts: the characters of the symbol fonts (Symbol, Wingdings, Wingdings 2,
// Wingdings 3, Webdings) as Unicode, for every Word reader. A document stores a character
// of such a font by its code in the font (0x20-0xFF, often written 0xF020-0xF0FF, the
// private-use form), and the font draws a glyph that has nothing to do with the Latin letter
// of that code: Symbol's "a" is α, Wingdings' 0xE8 is an arrow. Read as plain text, "→" would
// become "à" and "✔" "ü". Boxes that forms use as check boxes map to one of the two check
// box characters (kUnticked ☐, kTicked ☑), so a ticked box reads the same whoever drew it.
//
// Only text in one of these fonts is looked up; ordinary text never pays for the table.

#include <QString>

#include <cstdint>

class SymbolFonts {
public:
    enum class Font : std::uint8_t { None, Symbol, Wingdings, Wingdings2, Wingdings3, Webdings };

    static constexpr char16_t kUnticked = 0x2610;  // ☐ BALLOT BOX
    static constexpr char16_t kTicked = 0x2611;    // ☑ BALLOT BOX WITH CHECK

    // The symbol font a font name stands for (letter case ignored); None for any other font.
    static Font fontOf(const QString& fontName);
    // The Unicode text of one code of `font` (0x20-0xFF, or 0xF020-0xF0FF); an empty string
    // when the table has no character for it (the caller keeps the code as it is).
    static QString toUnicode(Font font, uint code);
};
