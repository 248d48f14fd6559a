#include "support/bytestring.h"

namespace {

/* True when a "keep marker" flag byte is set: greater than zero as a signed byte. */
bool keepFlagSet(signed char flag) {
    return flag > 0;
}

/* Position of marker in source (first occurrence, or last one when fromLast), or -1. */
std::ptrdiff_t findMarker(std::string_view source, std::string_view marker, signed char fromLast) {
    if (fromLast != 0) {
        return lastIndexOfText(source, marker);
    }
    const std::size_t at = source.find(marker);
    return at == std::string_view::npos ? -1 : static_cast<std::ptrdiff_t>(at);
}

/* True for the two blank bytes, space and tab. */
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

/* Index of the n-th occurrence of c in text. */
std::ptrdiff_t indexOfNthChar(std::string_view text, char c, int n) {
    if (n <= 0) {
        return -1;
    }
    int seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == c && ++seen == n) {
            return static_cast<std::ptrdiff_t>(i);
        }
    }
    return -1;
}

/* Copy source[start, end) into out, with end limited to the source's length. */
void copyRange(std::string& out, std::string_view source, std::size_t start, std::size_t end) {
    if (start > source.size()) {
        return;
    }
    if (end > source.size()) {
        end = source.size();
    }
    // Built aside first: source may be a view of out itself.
    std::string piece;
    if (start < end) {
        piece.assign(source.substr(start, end - start));
    }
    out.swap(piece);
}

/* Replace the first occurrence of pattern by replacement. */
void replaceFirst(std::string& text, std::string_view pattern, std::string_view replacement) {
    if (pattern.empty()) {
        return;
    }
    const std::size_t at = text.find(pattern);
    if (at == std::string::npos) {
        return;
    }
    std::string result = text.substr(0, at);
    result.append(replacement);
    result.append(text, at + pattern.size(), std::string::npos);
    text.swap(result);
}

/* Replace every occurrence of pattern by replacement in one left-to-right pass. */
void replaceAll(std::string& text, std::string_view pattern, std::string_view replacement) {
    if (pattern.empty() || text.find(pattern) == std::string::npos) {
        return;
    }
    std::string result;
    std::size_t from = 0;
    for (std::size_t at = text.find(pattern); at != std::string::npos;
         at = text.find(pattern, from)) {
        result.append(text, from, at - from);
        result.append(replacement);
        from = at + pattern.size();
    }
    result.append(text, from, std::string::npos);
    text.swap(result);
}

/* Offset of the last non-overlapping occurrence of needle in text. */
std::ptrdiff_t lastIndexOfText(std::string_view text, std::string_view needle) {
    if (needle.empty()) {
        return -1;
    }
    std::ptrdiff_t last = -1;
    for (std::size_t at = text.find(needle); at != std::string_view::npos;
         at = text.find(needle, at + needle.size())) {
        last = static_cast<std::ptrdiff_t>(at);
    }
    return last;
}

/* Replace the last occurrence of needle by replacement, keeping the tail after it. */
void replaceLast(std::string& text, std::string_view needle, std::string_view replacement) {
    const std::ptrdiff_t at = lastIndexOfText(text, needle);
    if (at < 0) {
        return;
    }
    const std::size_t start = static_cast<std::size_t>(at);
    std::string result = text.substr(0, start);
    result.append(replacement);
    result.append(text, start + needle.size(), std::string::npos);
    text.swap(result);
}

/* out = the text of source after marker, optionally with the marker. */
int textAfter(std::string& out, std::string_view source, std::string_view marker,
              signed char keepMarker, signed char fromLast) {
    const std::ptrdiff_t at = findMarker(source, marker, fromLast);
    if (at < 0) {
        out.clear();
        return -1;
    }
    std::size_t start = static_cast<std::size_t>(at);
    if (!keepFlagSet(keepMarker)) {
        start += marker.size();
    }
    copyRange(out, source, start);
    return 1;
}

/* out = the text of source before marker, optionally with the marker. */
int textBefore(std::string& out, std::string_view source, std::string_view marker,
               signed char keepMarker, signed char fromLast) {
    const std::ptrdiff_t at = findMarker(source, marker, fromLast);
    if (at < 0) {
        out.clear();
        return -1;
    }
    std::size_t end = static_cast<std::size_t>(at);
    if (keepFlagSet(keepMarker)) {
        end += marker.size();
    }
    copyRange(out, source, 0, end);
    return 1;
}

/* out = the text between an opening and a closing marker. */
int textBetween(std::string& out, std::string_view source, std::string_view opening,
                std::string_view closing, signed char keepOpening, signed char keepClosing,
                signed char openingFromLast, signed char closingFromLast) {
    std::string afterOpening;
    std::string result;
    if (textAfter(afterOpening, source, opening, keepOpening, openingFromLast) != 1 ||
        textBefore(result, afterOpening, closing, keepClosing, closingFromLast) != 1) {
        out.clear();
        return -1;
    }
    out.swap(result);
    return 1;
}

/* Remove every leading byte equal to c. */
void stripLeadingChar(std::string& text, char c) {
    std::size_t first = 0;
    while (first < text.size() && text[first] == c) {
        ++first;
    }
    text.erase(0, first);
}

/* Remove every trailing byte equal to c. */
void stripTrailingChar(std::string& text, char c) {
    std::size_t end = text.size();
    while (end > 0 && text[end - 1] == c) {
        --end;
    }
    text.resize(end);
}

/* Remove leading spaces and tabs. */
void trimLeftBlanks(std::string& text) {
    std::size_t first = 0;
    while (first < text.size() && isBlank(text[first])) {
        ++first;
    }
    text.erase(0, first);
}

/* Remove trailing spaces and tabs. */
void trimRightBlanks(std::string& text) {
    std::size_t end = text.size();
    while (end > 0 && isBlank(text[end - 1])) {
        --end;
    }
    text.resize(end);
}

/* out = value written in decimal, when it fits scratchSize bytes with its NUL. */
void intToDecimal(int value, std::string& out, std::size_t scratchSize) {
    // The magnitude in 64 bits, so the most negative int has one too.
    long long magnitude = value;
    if (magnitude < 0) {
        magnitude = -magnitude;
    }
    std::string reversed;
    do {
        reversed.push_back(static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) {
        reversed.push_back('-');
    }
    if (reversed.size() + 1 > scratchSize) {
        out.clear();
        return;
    }
    out.assign(reversed.rbegin(), reversed.rend());
}

/* out = the value of one field of a flat {"name":value, ...} reply. */
void jsonFieldValue(std::string& out, std::string_view reply, std::string_view field) {
    std::string marker = "\"";
    marker.append(field);
    marker.push_back('"');
    std::string rest;
    textAfter(rest, reply, marker, 0, 0);
    const char* closing = rest.find(',') != std::string::npos ? "," : "}";
    std::string value;
    textBetween(value, rest, ":", closing, 0, 0, 0, 0);
    trimLeftBlanks(value);
    trimRightBlanks(value);
    stripLeadingChar(value, '"');
    stripTrailingChar(value, '"');
    out.swap(value);
}
