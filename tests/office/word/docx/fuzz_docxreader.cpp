// libFuzzer target for the .docx reader: the input is tried as a whole package, and as the
// XML of a main document part and of a styles part, so that mutations reach the XML reader
// even when they break the ZIP container. Every document that opens is also copied.

#include "office/word/docx/docxbodyreader.h"
#include "office/word/docx/docxreader.h"
#include "office/word/docx/docxstyles.h"
#include "tests/office/word/fuzzcopy.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WordReadLimits limits;
    // Large seeds are refused quickly, so that every run stays within the time per input.
    limits.maxPartBytes = 2 * 1024 * 1024;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    copyAsTheJobDoes(DocxReader::readData(bytes, limits));

    DocxStyles styles;
    styles.readStyles(bytes);
    DocxBodyReader body(styles, limits);
    copyAsTheJobDoes(body.read(bytes));
    return 0;
}
