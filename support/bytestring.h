#pragma once

// Byte-string helpers: extraction by markers, replacing, trimming and decimal text.
//
// Every text is a run of bytes in the local 8-bit code page, compared byte by byte and case
// by case. Inputs are read-only views; outputs go into a std::string the caller owns, so no
// helper can write past the end of anything. Nothing is kept between calls.
//
// Flags are single bytes: a "keep marker" flag is set only when it is greater than zero as a
// signed byte, a "from last" flag whenever it is non-zero.

#include <cstddef>
#include <string>
#include <string_view>

// Index of the n-th occurrence (counting from 1) of byte c in text, or -1 when text holds
// fewer than n of them or n is zero or negative.
std::ptrdiff_t indexOfNthChar(std::string_view text, char c, int n);

// Copy source[start, end) into out. When start is beyond the source's length, out is left
// untouched; end is limited to the length (npos, or (size_t)-1, means "to the end"); when
// start is not below the limited end, out becomes empty.
void copyRange(std::string& out, std::string_view source, std::size_t start,
               std::size_t end = std::string_view::npos);

// Replace the first occurrence of pattern in text by replacement. Nothing changes when the
// pattern does not occur or is empty.
void replaceFirst(std::string& text, std::string_view pattern, std::string_view replacement);

// Replace every occurrence of pattern in text by replacement, left to right; the replaced
// bytes are not searched again, so a replacement holding the pattern cannot loop. Nothing
// changes when the pattern is empty.
void replaceAll(std::string& text, std::string_view pattern, std::string_view replacement);

// Offset of the last occurrence of needle in text, matches taken left to right without
// overlapping ("aa" in "aaa" is at 0), or -1 when it does not occur or needle is empty.
std::ptrdiff_t lastIndexOfText(std::string_view text, std::string_view needle);

// Replace the last occurrence of needle in text (as lastIndexOfText finds it) by replacement,
// keeping the text after it. Nothing changes when needle does not occur.
void replaceLast(std::string& text, std::string_view needle, std::string_view replacement);

// out = the part of source after marker (its first occurrence, or its last when fromLast is
// set), starting with the marker itself when keepMarker is set. Returns 1, or -1 with out
// empty when the marker does not occur.
int textAfter(std::string& out, std::string_view source, std::string_view marker,
              signed char keepMarker, signed char fromLast);

// out = the part of source before marker (its first occurrence, or its last when fromLast is
// set), ending with the marker itself when keepMarker is set. Returns 1, or -1 with out empty
// when the marker does not occur.
int textBefore(std::string& out, std::string_view source, std::string_view marker,
               signed char keepMarker, signed char fromLast);

// out = textBefore(textAfter(source, opening), closing): the closing marker is searched only
// in what follows the opening marker (and in the opening marker when it is kept). Returns 1,
// or -1 with out empty when either marker is not found.
int textBetween(std::string& out, std::string_view source, std::string_view opening,
                std::string_view closing, signed char keepOpening, signed char keepClosing,
                signed char openingFromLast, signed char closingFromLast);

// Remove every leading byte equal to c.
void stripLeadingChar(std::string& text, char c);
// Remove every trailing byte equal to c.
void stripTrailingChar(std::string& text, char c);

// Remove leading spaces and tabs (carriage return and line feed are not blanks here).
void trimLeftBlanks(std::string& text);
// Remove trailing spaces and tabs (carriage return and line feed are not blanks here).
void trimRightBlanks(std::string& text);

// out = value in decimal ("-305", "0"), every int value included. scratchSize is the room the
// text may take together with a terminating NUL; when it does not fit, out becomes empty.
void intToDecimal(int value, std::string& out, std::size_t scratchSize = 32);

// out = the value of field in a flat reply {"name":value, ...}, read without parsing: the
// text after the first ':' that follows "field" up to the next ',' (or up to '}' when no
// comma follows anywhere), trimmed of blanks and then of surrounding double quotes. A quoted
// value holding a comma is cut at that comma. out is empty when the field is absent.
void jsonFieldValue(std::string& out, std::string_view reply, std::string_view field);
