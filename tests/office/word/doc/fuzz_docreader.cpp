// libFuzzer target for the .doc reader: any bytes either give a document or a failure status.

#include "office/word/doc/docreader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const WordLoadResult result = DocReader::readData(bytes);
    if (result) {
        std::size_t blocks = result.document->blocks.size();
        for (const auto& table : result.document->topLevelTables()) {
            blocks += table->rows.size() + static_cast<size_t>(table->gridColumnCount());
        }
        (void)blocks;
    }
    return 0;
}
