#pragma once

// CfbWriter: a compound file (MS-CFB version 3, 512-byte sectors) holding one stream under
// the root storage, built in memory. Its bytes depend on the stream alone: no timestamps, no
// class ids, every unused byte zero, so a file is the same on every platform. The sectors
// come in a fixed order: the FAT, the DIFAT (only past 109 FAT sectors), the directory, then
// the mini FAT and the mini stream for a stream below 4096 bytes, or the stream itself.

#include <QByteArray>
#include <QString>

#include <cstdint>

class CfbWriter {
public:
    // Build the file holding `stream` under `name` into `file`. False when the name is empty
    // or longer than the 31 UTF-16 code units a directory entry holds, or the file would not
    // fit into a QByteArray.
    static bool build(const QString& name, const QByteArray& stream, QByteArray& file);

private:
    explicit CfbWriter(const QByteArray& stream);
    bool plan();
    void writeHeader();
    void writeFat();
    void writeDifat();
    void writeDirectory(const QString& name);
    void writeMiniFat();
    void writeData();
    void linkChain(std::uint32_t first, std::uint32_t count);
    void setFatEntry(std::uint32_t sector, std::uint32_t value);
    std::uint32_t dataStart() const { return m_directorySector + 1 + m_miniFatSectors; }

    const QByteArray& m_stream;
    QByteArray m_file;
    bool m_mini = false;
    std::uint32_t m_fatSectors = 0;
    std::uint32_t m_difatSectors = 0;
    std::uint32_t m_directorySector = 0;
    std::uint32_t m_miniFatSectors = 0;
    std::uint32_t m_dataSectors = 0;  // the stream's sectors, or the mini stream's
    std::uint32_t m_miniSectors = 0;  // the stream's mini sectors
    std::uint32_t m_totalSectors = 0;
};
