#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// Builds a BIFF8 record stream (the "Workbook" stream of an .xls file) in memory.
//
// A record is a 2-byte id, a 2-byte length and at most kMaxRecordData bytes of data
// (MS-XLS 2.1.4). Callers open a record, append little-endian fields and close it; a record
// whose data grew past the limit is split into CONTINUE records when it is closed, which is
// right for records whose continuation carries plain bytes. The shared string table splits
// its strings by its own rules and closes each part itself (XlsSharedStrings).
class XlsRecordWriter {
public:
    static constexpr int kMaxRecordData = 8224;
    static constexpr std::uint16_t kContinue = 0x003C;

    XlsRecordWriter();

    // Reserve room for about `bytes` of output.
    void reserve(int bytes) { m_data.reserve(bytes); }

    // Start a record with the given id; fields follow until endRecord().
    void beginRecord(std::uint16_t id);
    // Close the open record: patch its length, splitting data past the limit into CONTINUE
    // records.
    void endRecord();
    // A whole record with no data, or with the given bytes.
    void emptyRecord(std::uint16_t id);
    // Bytes of data written to the open record so far.
    int recordSize() const { return m_data.size() - m_recordStart - 4; }

    void putU8(std::uint8_t value) { m_data.append(static_cast<char>(value)); }
    void putU16(std::uint16_t value);
    void putU32(std::uint32_t value);
    void putF64(double value);
    void putBytes(const char* bytes, int count) { m_data.append(bytes, count); }
    void putZeros(int count) { m_data.append(count, '\0'); }
    // ShortXLUnicodeString (MS-XLS 2.5.240): 1-byte count, flags, characters. At most 255
    // characters are written; longer text is cut (callers check limits first).
    void putShortString(const QString& text);
    // XLUnicodeString (MS-XLS 2.5.294): 2-byte count, flags, characters (at most 65,535).
    void putString(const QString& text);
    // The characters of a string, 8-bit when `compressed`, else UTF-16LE.
    void putCharacters(const QChar* chars, int count, bool compressed);

    // Overwrite a 4-byte field written earlier at absolute stream position `at`.
    void patchU32(int at, std::uint32_t value);

    // Absolute position in the stream of the next byte.
    int position() const { return m_data.size(); }
    const QByteArray& data() const { return m_data; }

    // True when every character fits in one byte (the compressed string form).
    static bool isCompressible(const QChar* chars, int count);

private:
    void splitOversizedRecord();

    QByteArray m_data;
    int m_recordStart = -1;
};
