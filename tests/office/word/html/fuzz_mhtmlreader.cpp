// libFuzzer target for web archives: MIME parsing, transfer decodings and the page inside.

#include "office/word/html/mhtmlreader.h"
#include "tests/office/word/fuzzcopy.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WordReadLimits limits;
    limits.maxPartBytes = 2 * 1024 * 1024;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    copyAsTheJobDoes(MhtmlReader::readData(bytes, limits));
    return 0;
}
