#include "office/word/doc/docword6fib.h"

namespace {

constexpr qint64 kFibSize = 0x192;  // the FIB ends after cpnBtePap
constexpr quint16 kComplexFlag = 0x0004;
constexpr quint16 kEncryptedFlag = 0x0100;
constexpr quint16 kExtCharFlag = 0x1000;

/* Read the (fc, lcb) pair at a byte offset of the FIB. */
DocFib::Range rangeAt(const DocBytes& bytes, qint64 at) {
    DocFib::Range range;
    range.fc = bytes.u32(at);
    range.lcb = bytes.u32(at + 4);
    return range;
}

}  // namespace

/* Read the fields at their fixed offsets. */
DocWord6Fib DocWord6Fib::parse(const DocBytes& bytes) {
    DocWord6Fib fib;
    if (!bytes.contains(0, kFibSize)) {
        return fib;
    }
    const quint16 flags = bytes.u16(0x0A);
    fib.complex = flags & kComplexFlag;
    fib.encrypted = flags & kEncryptedFlag;
    fib.extendedChars = flags & kExtCharFlag;
    fib.lid = bytes.u16(0x06);
    fib.charset = bytes.u16(0x14);
    fib.fcMin = bytes.u32(0x18);
    fib.fcMac = bytes.u32(0x1C);
    fib.ccpText = bytes.i32(0x34);
    fib.stshf = rangeAt(bytes, 0x60);
    fib.plcfBteChpx = rangeAt(bytes, 0xB8);
    fib.plcfBtePapx = rangeAt(bytes, 0xC0);
    fib.sttbfFfn = rangeAt(bytes, 0xD0);
    fib.clx = rangeAt(bytes, 0x160);
    fib.pnChpFirst = bytes.u16(0x18A);
    fib.pnPapFirst = bytes.u16(0x18C);
    fib.cpnBteChp = bytes.u16(0x18E);
    fib.cpnBtePap = bytes.u16(0x190);
    fib.ok = fib.ccpText >= 0;
    return fib;
}
