#include "office/word/rtf/rtftokenizer.h"

#include <algorithm>
#include <climits>

namespace {

/* True for the letters a control word is made of. */
bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

/* True for a decimal digit. */
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

/* The value of one hexadecimal digit, or -1. */
int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

/* Read one token, skipping line ends between tokens. */
RtfTokenizer::Token RtfTokenizer::next() {
    while (m_pos < m_data.size()) {
        const char c = m_data[m_pos];
        if (c == '\r' || c == '\n') {
            ++m_pos;
            continue;
        }
        Token token;
        if (c == '{') {
            ++m_pos;
            token.kind = Kind::GroupStart;
            return token;
        }
        if (c == '}') {
            ++m_pos;
            token.kind = Kind::GroupEnd;
            return token;
        }
        if (c == '\\') {
            return controlSequence();
        }
        return text();
    }
    return Token();
}

/* A backslash sequence: control word, hexadecimal byte or control symbol. */
RtfTokenizer::Token RtfTokenizer::controlSequence() {
    ++m_pos;  // the backslash
    Token token;
    if (m_pos >= m_data.size()) {
        return token;
    }
    const char c = m_data[m_pos];
    if (isLetter(c)) {
        return controlWord();
    }
    ++m_pos;
    if (c == '\'') {
        const int high = m_pos < m_data.size() ? hexValue(m_data[m_pos]) : -1;
        const int low = m_pos + 1 < m_data.size() ? hexValue(m_data[m_pos + 1]) : -1;
        if (high < 0 || low < 0) {
            // A broken escape stands for nothing; the characters after it stay text.
            token.kind = Kind::ControlSymbol;
            token.symbol = '\'';
            return token;
        }
        m_pos += 2;
        token.kind = Kind::HexByte;
        token.byte = std::uint8_t(high * 16 + low);
        return token;
    }
    // A backslash before a line end is a paragraph mark (\par) in older writers.
    token.kind = Kind::ControlSymbol;
    token.symbol = c == '\r' ? '\n' : c;
    return token;
}

/* \word[-]digits[ ]; \binN also swallows its N data bytes. */
RtfTokenizer::Token RtfTokenizer::controlWord() {
    Token token;
    token.kind = Kind::ControlWord;
    const std::size_t start = m_pos;
    while (m_pos < m_data.size() && isLetter(m_data[m_pos])) {
        ++m_pos;
    }
    token.text = m_data.substr(start, std::min<std::size_t>(m_pos - start, kMaxWordLength));
    bool negative = false;
    if (m_pos + 1 < m_data.size() && m_data[m_pos] == '-' && isDigit(m_data[m_pos + 1])) {
        negative = true;
        ++m_pos;
    }
    long long value = 0;
    int digits = 0;
    while (m_pos < m_data.size() && isDigit(m_data[m_pos])) {
        if (digits++ < kMaxParameterDigits) {
            value = value * 10 + (m_data[m_pos] - '0');
        }
        ++m_pos;
    }
    if (digits > 0) {
        value = std::min<long long>(value, INT_MAX);
        token.hasParameter = true;
        token.parameter = static_cast<int>(negative ? -value : value);
    }
    if (m_pos < m_data.size() && m_data[m_pos] == ' ') {
        ++m_pos;
    }
    if (token.text == "bin" && token.parameter > 0) {
        const std::size_t size =
            std::min<std::size_t>(std::size_t(token.parameter), m_data.size() - m_pos);
        token.kind = Kind::Binary;
        token.text = m_data.substr(m_pos, size);
        m_pos += size;
    }
    return token;
}

/* A run of plain text up to the next brace, backslash or line end. */
RtfTokenizer::Token RtfTokenizer::text() {
    Token token;
    token.kind = Kind::Text;
    const std::size_t start = m_pos;
    while (m_pos < m_data.size()) {
        const char c = m_data[m_pos];
        if (c == '\\' || c == '{' || c == '}' || c == '\r' || c == '\n') {
            break;
        }
        ++m_pos;
    }
    token.text = m_data.substr(start, m_pos - start);
    return token;
}
