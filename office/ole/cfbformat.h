#pragma once

// The fixed numbers of the compound file format (MS-CFB) that the reader (CfbSectors,
// CfbDirectory) and the writer (CfbWriter) share.

#include <cstdint>

namespace cfb {

// Header (MS-CFB 2.2): field offsets inside the first 512 bytes.
constexpr char kSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr int kHeaderSize = 512;
constexpr int kMinorVersionOffset = 0x18;
constexpr int kMajorVersionOffset = 0x1A;
constexpr int kByteOrderOffset = 0x1C;
constexpr int kSectorShiftOffset = 0x1E;
constexpr int kMiniSectorShiftOffset = 0x20;
constexpr int kFatSectorCountOffset = 0x2C;
constexpr int kFirstDirectorySectorOffset = 0x30;
constexpr int kMiniStreamCutoffOffset = 0x38;
constexpr int kFirstMiniFatSectorOffset = 0x3C;
constexpr int kMiniFatSectorCountOffset = 0x40;
constexpr int kFirstDifatSectorOffset = 0x44;
constexpr int kDifatSectorCountOffset = 0x48;
constexpr int kHeaderDifatOffset = 0x4C;
constexpr int kHeaderDifatEntries = 109;

constexpr std::uint16_t kByteOrderMark = 0xFFFE;
constexpr std::uint16_t kMinorVersion = 0x003E;
constexpr std::uint16_t kMajorVersion3 = 3;
constexpr int kSectorShift512 = 9;
constexpr int kSectorShift4096 = 12;
constexpr int kMiniSectorShift = 6;
constexpr int kMiniSectorSize = 1 << kMiniSectorShift;
// Streams shorter than this live in the mini stream (MS-CFB 2.2, Mini Stream Cutoff Size).
constexpr std::uint32_t kMiniStreamCutoff = 4096;

// Sector numbers with a meaning of their own (MS-CFB 2.1).
constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;

// Compound File Directory Entry (MS-CFB 2.6): 128 bytes.
constexpr int kDirectoryEntrySize = 128;
constexpr int kNameBytes = 64;  // 32 UTF-16 code units, the terminating zero included
constexpr int kNameLengthOffset = 0x40;
constexpr int kObjectTypeOffset = 0x42;
constexpr int kColorOffset = 0x43;
constexpr int kLeftSiblingOffset = 0x44;
constexpr int kRightSiblingOffset = 0x48;
constexpr int kChildOffset = 0x4C;
constexpr int kStartSectorOffset = 0x74;
constexpr int kStreamSizeOffset = 0x78;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;

// Object Type (MS-CFB 2.6.1).
enum ObjectType : std::uint8_t { Unallocated = 0, Storage = 1, StreamObject = 2, Root = 5 };
// Color Flag (MS-CFB 2.6.1).
constexpr std::uint8_t kBlack = 1;

}  // namespace cfb
