// libFuzzer target for web archives: MIME parsing, transfer decodings and the page inside.

#include "office/word/html/mhtmlreader.h"
#include "office/word/server/wordfragmentbuilder.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DocxLimits limits;
    limits.maxPartBytes = 2 * 1024 * 1024;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const WordLoadResult result = MhtmlReader::readData(bytes, limits);
    if (result) {
        Fragment fragment;
        WordFragmentBuilder::wholeStory(*result.document, fragment);
    }
    return 0;
}
