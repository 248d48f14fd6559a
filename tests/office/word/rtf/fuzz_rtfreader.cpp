// libFuzzer target for the RTF reader: any bytes either give a document or a failure status.
// Every document that opens is also walked, so damaged tables are built and measured.

#include "office/word/rtf/rtfreader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const WordLoadResult result = RtfReader::readData(bytes);
    if (result) {
        std::size_t cells = result.document->blocks.size();
        for (const auto& table : result.document->topLevelTables()) {
            cells += static_cast<size_t>(table->gridColumnCount());
            for (const WordRow& row : table->rows) {
                for (const WordCell& cell : row.cells) {
                    cells += static_cast<size_t>(cell.text().size());
                }
            }
        }
        (void)cells;
    }
    return 0;
}
