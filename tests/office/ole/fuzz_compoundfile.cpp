// libFuzzer target for the compound file reader: any bytes either open or are refused, and
// every stream read either gives its bytes or a failure status.

#include "office/ole/compoundfile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const CompoundFile file(bytes);
    if (!file.isOpen()) {
        return 0;
    }
    QByteArray stream;
    for (const char* name : {"WordDocument", "1Table", "0Table", "Data", "Workbook"}) {
        file.readStream(name, 1 << 24, stream);
    }
    file.readStream({"ObjectPool", "_1", "Equation Native"}, 1 << 20, stream);
    file.hasStream("EncryptedPackage");
    return 0;
}
