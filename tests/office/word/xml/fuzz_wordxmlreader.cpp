// libFuzzer target for Word's single-file XML documents (flat OPC and Word 2003 XML): the
// input is read as the loader reads such a file, and every document that opens is copied as
// the conversion job copies it.

#include "tests/office/word/fuzzcopy.h"
#include "office/word/xml/wordxmlreader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WordReadLimits limits;
    limits.maxPartBytes = 2 * 1024 * 1024;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    copyAsTheJobDoes(WordXmlReader::readData(bytes, limits));
    return 0;
}
