// libFuzzer target for web pages: the input is read as a page (with the loader's encoding
// choice), and every page that opens is copied as the conversion job copies it.

#include "office/word/html/htmlreader.h"
#include "tests/office/word/fuzzcopy.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WordReadLimits limits;
    limits.maxPartBytes = 2 * 1024 * 1024;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    copyAsTheJobDoes(HtmlReader::readData(bytes, limits));
    return 0;
}
