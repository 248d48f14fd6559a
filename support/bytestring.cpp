#include "support/bytestring.h"

std::ptrdiff_t indexOfNthChar(std::string_view, char, int) {
    return -1;
}

void copyRange(std::string&, std::string_view, std::size_t, std::size_t) {}

void replaceFirst(std::string&, std::string_view, std::string_view) {}

void replaceAll(std::string&, std::string_view, std::string_view) {}

std::ptrdiff_t lastIndexOfText(std::string_view, std::string_view) {
    return -1;
}

void replaceLast(std::string&, std::string_view, std::string_view) {}

int textAfter(std::string& out, std::string_view, std::string_view, signed char, signed char) {
    out.clear();
    return -1;
}

int textBefore(std::string& out, std::string_view, std::string_view, signed char, signed char) {
    out.clear();
    return -1;
}

int textBetween(std::string& out, std::string_view, std::string_view, std::string_view, signed char,
                signed char, signed char, signed char) {
    out.clear();
    return -1;
}

void stripLeadingChar(std::string&, char) {}

void stripTrailingChar(std::string&, char) {}

void trimLeftBlanks(std::string&) {}

void trimRightBlanks(std::string&) {}

void intToDecimal(int, std::string& out, std::size_t) {
    out.clear();
}

void jsonFieldValue(std::string& out, std::string_view, std::string_view) {
    out.clear();
}
