#pragma once

#include <cstdint>
#include <string_view>

// Splits RTF bytes into tokens (RTF 1.9.1, "RTF Syntax"): group braces, control words with
// their optional numeric parameter, control symbols, hexadecimal bytes (\'hh) and runs of
// plain text. Carriage returns and line feeds between tokens carry no meaning and are
// dropped. The data of \binN is passed over as one Binary token, so binary bytes are never
// read as syntax. The tokenizer keeps no copy of the input: the views in a token point into
// the caller's bytes, which must outlive it.
class RtfTokenizer {
public:
    enum class Kind : std::uint8_t {
        End,            // no more input
        GroupStart,     // {
        GroupEnd,       // }
        ControlWord,    // \word or \wordN
        ControlSymbol,  // \ followed by one character that is not a letter (\*, \~, \{ ...)
        HexByte,        // \'hh: one byte in the active code page
        Text,           // plain text bytes
        Binary,         // the N bytes following \binN
    };

    struct Token {
        Kind kind = Kind::End;
        std::string_view text;  // ControlWord: the word; Text / Binary: the bytes
        int parameter = 0;      // ControlWord: the parameter when hasParameter
        bool hasParameter = false;
        char symbol = 0;        // ControlSymbol: the character after the backslash
        std::uint8_t byte = 0;  // HexByte: the value
    };

    // Longest control word and parameter the format allows; longer ones are cut there.
    static constexpr int kMaxWordLength = 32;
    static constexpr int kMaxParameterDigits = 10;

    explicit RtfTokenizer(std::string_view data) : m_data(data) {}

    // The next token; End once the input is used up (also after a truncated \binN).
    Token next();
    // Bytes consumed so far.
    std::size_t offset() const { return m_pos; }

private:
    Token controlSequence();
    Token controlWord();
    Token text();

    std::string_view m_data;
    std::size_t m_pos = 0;
};
