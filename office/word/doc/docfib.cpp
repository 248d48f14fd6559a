#include "office/word/doc/docfib.h"

namespace {

constexpr quint16 kWordIdent = 0xA5EC;
constexpr quint16 kWord6Ident = 0xA5DC;  // Word 6.0 and Word 95
constexpr quint16 kFirstWord97Fib = 0xC0;
constexpr quint16 kFirstWord6Fib = 101;
constexpr quint16 kLastWord6Fib = 105;
constexpr quint16 kEncryptedFlag = 0x0100;
constexpr quint16 kWhichTableFlag = 0x0200;
constexpr quint16 kComplexFlag = 0x0004;
constexpr quint16 kObfuscatedFlag = 0x8000;
constexpr int kFibBaseSize = 32;

// Indexes of (fc, lcb) pairs in FibRgFcLcb97 (MS-DOC 2.5.6).
constexpr int kIndexStshf = 1;
constexpr int kIndexPlcfBteChpx = 12;
constexpr int kIndexPlcfBtePapx = 13;
constexpr int kIndexSttbfFfn = 15;
constexpr int kIndexClx = 33;

/* Read the (fc, lcb) pair with the given index of FibRgFcLcb. */
DocFib::Range rangeAt(const DocBytes& bytes, qint64 blob, int index) {
    DocFib::Range range;
    range.fc = bytes.u32(blob + index * 8);
    range.lcb = bytes.u32(blob + index * 8 + 4);
    return range;
}

}  // namespace

/* Parse FibBase, then walk csw/cslw/cbRgFcLcb to the pairs the reader needs. */
DocFib DocFib::parse(const DocBytes& bytes) {
    DocFib fib;
    const quint16 ident = bytes.u16(0);
    if (!bytes.contains(0, kFibBaseSize) || (ident != kWordIdent && ident != kWord6Ident)) {
        return fib;
    }
    fib.nFib = bytes.u16(2);
    const quint16 flags = bytes.u16(0x0A);
    fib.complex = flags & kComplexFlag;
    fib.tableStream = (flags & kWhichTableFlag) ? 1 : 0;
    if (fib.nFib >= kFirstWord6Fib && fib.nFib <= kLastWord6Fib) {
        fib.status = Status::Word6;
        return fib;
    }
    if (ident == kWord6Ident || fib.nFib < kFirstWord97Fib) {
        fib.status = Status::Legacy;
        return fib;
    }
    if (flags & (kEncryptedFlag | kObfuscatedFlag)) {
        fib.status = Status::Encrypted;
        return fib;
    }
    // csw, then FibRgW97 (csw 16-bit values), cslw, FibRgLw97, cbRgFcLcb, FibRgFcLcb.
    const qint64 cswAt = kFibBaseSize;
    const qint64 cslwAt = cswAt + 2 + static_cast<qint64>(bytes.u16(cswAt)) * 2;
    const qint64 rgLwAt = cslwAt + 2;
    const qint64 cbRgFcLcbAt = rgLwAt + static_cast<qint64>(bytes.u16(cslwAt)) * 4;
    const qint64 blobAt = cbRgFcLcbAt + 2;
    const quint16 pairCount = bytes.u16(cbRgFcLcbAt);
    if (bytes.u16(cslwAt) < 4 || pairCount <= kIndexClx ||
        !bytes.contains(blobAt, (kIndexClx + 1) * 8)) {
        fib.status = Status::Truncated;
        return fib;
    }
    fib.ccpText = bytes.i32(rgLwAt + 12);
    fib.stshf = rangeAt(bytes, blobAt, kIndexStshf);
    fib.plcfBteChpx = rangeAt(bytes, blobAt, kIndexPlcfBteChpx);
    fib.plcfBtePapx = rangeAt(bytes, blobAt, kIndexPlcfBtePapx);
    fib.sttbfFfn = rangeAt(bytes, blobAt, kIndexSttbfFfn);
    fib.clx = rangeAt(bytes, blobAt, kIndexClx);
    fib.status = fib.ccpText < 0 ? Status::Truncated : Status::Ok;
    return fib;
}
