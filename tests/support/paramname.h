#pragma once

// A GoogleTest parameter name from a row's readable name: letters and digits kept, anything
// else (spaces, punctuation) turned into '_', as test names require.

#include <cctype>
#include <string>

inline std::string paramName(const char* readable) {
    std::string name = readable;
    for (char& ch : name) {
        ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    }
    return name;
}
