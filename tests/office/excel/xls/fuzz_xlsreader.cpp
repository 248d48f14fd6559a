// Fuzz target for the .xls reader: whole compound files and bare BIFF8 streams.

#include "office/excel/xls/xlsreader.h"

#include <cstddef>
#include <cstdint>

/* Read one input as an .xls file when it starts like a compound file, else as a stream. */
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<int>(size));
    static const QByteArray oleSignature = QByteArray::fromHex("d0cf11e0a1b11ae1");
    Workbook workbook;
    if (bytes.startsWith(oleSignature)) {
        XlsReader::readData(bytes, workbook);
    } else {
        XlsReader::readStream(bytes, workbook);
    }
    return 0;
}
