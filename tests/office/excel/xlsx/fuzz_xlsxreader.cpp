// Fuzz target for the .xlsx reader: inputs starting with "PK" are read as a whole package,
// anything else is read as a worksheet part and as a shared strings part.

#include "office/excel/workbookfile.h"
#include "office/excel/xlsx/xlsxreader.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

/* Read one input; only crashes, leaks and hangs count. */
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    if (bytes.startsWith("PK")) {
        static QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("fuzz.xlsx"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            return 0;
        }
        file.write(bytes);
        file.close();
        Workbook book;
        WorkbookFile::load(path, book);
        return 0;
    }
    static const std::vector<QString> strings = {QStringLiteral("a"), QStringLiteral("b")};
    static const std::vector<int> formats = {0, 0, 0};
    std::vector<QString> items;
    XlsxReader::readSharedStrings(bytes, items);
    Worksheet sheet(QStringLiteral("F"), nullptr);
    XlsxReader::readSheetPart(bytes, strings, formats, sheet);
    return 0;
}
