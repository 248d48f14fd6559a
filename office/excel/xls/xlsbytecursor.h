#pragma once

#include "office/format/littleendianreader.h"

#include <QString>

#include <cstdint>
#include <vector>

// Bounds-checked reading of little-endian fields from a record's data and, for records
// that continue, from its CONTINUE records as one sequence of chunks.
//
// The failure convention is LittleEndianReader's, which decodes the values: every read past
// the end returns 0 (or an empty string) and sets failed(), which stays set, so a parser reads
// all fields of a structure and checks once. A value split by a chunk boundary is gathered.
class XlsByteCursor {
public:
    XlsByteCursor() = default;
    XlsByteCursor(const char* data, int size);
    // Add a further chunk (the data of a CONTINUE record).
    void appendChunk(const char* data, int size);

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    double f64();
    void skip(int count);

    // ShortXLUnicodeString (MS-XLS 2.5.240): 1-byte count.
    QString shortString();
    // XLUnicodeString (MS-XLS 2.5.294): 2-byte count.
    QString string();
    // XLUnicodeRichExtendedString (MS-XLS 2.5.293): formatting runs and phonetic data are
    // skipped; character data may continue into the next chunk, which then starts with a
    // new fHighByte flag byte.
    QString richString();

    // Bytes left in the current chunk and all later ones.
    int remaining() const;
    bool failed() const { return m_failed; }
    bool atEnd() const { return remaining() == 0; }

private:
    struct Chunk {
        const char* data;
        int size;
    };

    bool take(char* out, int count);
    LittleEndianReader gather(int width);
    QString characters(int count, bool highByte, bool canContinue);

    int chunkCount() const { return static_cast<int>(m_chunks.size()); }

    std::vector<Chunk> m_chunks;
    int m_chunk = 0;
    int m_pos = 0;
    bool m_failed = false;
    // The bytes of the value being read (at most 8).
    char m_scratch[8] = {};
};
