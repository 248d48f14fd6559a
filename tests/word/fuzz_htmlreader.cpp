// libFuzzer target for web pages: the input is read as a page (with the loader's encoding
// choice), and every page that opens is copied as the conversion job copies it.

#include "office/word/html/htmlreader.h"
#include "office/word/server/wordfragmentbuilder.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DocxLimits limits;
    limits.maxPartBytes = 2 * 1024 * 1024;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const WordLoadResult result = HtmlReader::readData(bytes, limits);
    if (result) {
        Fragment fragment;
        WordFragmentBuilder::wholeStory(*result.document, fragment);
        for (const auto& table : result.document->topLevelTables()) {
            WordFragmentBuilder::table(*table, fragment);
        }
    }
    return 0;
}
