#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <vector>

// One BIFF8 record of a stream: its id and a view of its data inside the stream.
struct XlsRecord {
    std::uint16_t id = 0;
    const char* data = nullptr;
    int size = 0;
    int offset = 0;  // stream position of the record header
};

// Walks the records of a BIFF8 stream (MS-XLS 2.1.4) without copying them.
//
// next() stops at the end of the stream and at a record whose length runs past the end;
// truncated() then tells the two apart. The stream must outlive the reader.
class XlsRecordReader {
public:
    static constexpr std::uint16_t kContinue = 0x003C;

    explicit XlsRecordReader(const QByteArray& stream);

    // The next record, or none at the end of the stream or at a truncated record.
    std::optional<XlsRecord> next();
    // The CONTINUE records (MS-XLS 2.4.58) right after the last record returned by next(),
    // consumed, so next() goes on after them. Empty when none follow.
    std::vector<XlsRecord> takeContinues();
    // True when a record header or its data ran past the end of the stream.
    bool truncated() const { return m_truncated; }
    // Continue reading at an absolute stream position (a sheet's BOF); false when outside.
    bool seek(int offset);

private:
    std::optional<XlsRecord> peek() const;

    const QByteArray& m_stream;
    int m_pos = 0;
    bool m_truncated = false;
};
