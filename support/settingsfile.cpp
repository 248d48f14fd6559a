#include "support/settingsfile.h"

int readWholeFile(std::string&, std::string_view, std::size_t) {
    return -1;
}

void getKeyValue(std::string& out, std::string_view, std::string_view) {
    out.clear();
}

void setKeyValueInText(std::string& out, std::string_view settingsText, std::string_view,
                       std::string_view) {
    out.assign(settingsText);
}

int setKeyValueInFile(std::string_view, std::string_view, std::string_view) {
    return -1;
}
