#pragma once

// CfbSectors: the allocation side of a compound file read in place (MS-CFB): the header, the
// sector allocation table (FAT) found through the DIFAT, the mini FAT and the sectors that hold
// the mini stream. Every chain it follows is checked: each sector number must lie inside the
// file (or the mini stream), a chain may not visit a sector twice (a cycle) nor be longer than
// the file has sectors, so damaged or hostile files end in a refusal, never in a loop.

#include <QByteArray>
#include <QtGlobal>

#include <cstdint>
#include <vector>

class CfbSectors {
public:
    // Read the header and the allocation tables of the `size` bytes at `data`, which the
    // caller keeps alive and unchanged. isOpen() is false when they are no compound file
    // header (signature, byte order, sector sizes) or their tables are damaged.
    CfbSectors(const char* data, qint64 size);

    bool isOpen() const { return m_open; }
    // True for 512-byte sectors (version 3), whose stream sizes have only 32 valid bits.
    bool hasSmallSectors() const { return m_sectorShift == 9; }
    std::uint32_t firstDirectorySector() const { return m_firstDirectorySector; }

    // Read a whole chain of regular sectors from `start` to its end, such as the directory, into
    // `out`; false (and `out` cleared) when the chain is damaged or longer than `maxBytes`.
    bool readChainToEnd(std::uint32_t start, qint64 maxBytes, QByteArray& out) const;
    // Take the mini stream: the chain and size the root directory entry gives. False when the
    // chain is damaged; every stream below the mini stream cutoff is then unreadable, as it is
    // before this call.
    bool setMiniStream(std::uint32_t start, std::uint64_t size);
    // Read a stream of `size` bytes from `start`, from the mini stream when it is below the
    // cutoff (MS-CFB 2.6.3), into `out`. The caller has checked the size against its limit and
    // the room a QByteArray has. False (and `out` cleared) when the chain is damaged or shorter
    // than the size.
    bool readStream(std::uint32_t start, std::uint64_t size, QByteArray& out) const;

private:
    bool readHeader();
    bool readFatSectorList(std::vector<std::uint32_t>& fatSectors) const;
    bool addFatSector(std::uint32_t sector, std::vector<std::uint32_t>& fatSectors) const;
    bool readFat();
    bool readMiniFat();
    std::uint32_t readU32(qint64 offset) const;
    qint64 sectorOffset(std::uint32_t sector) const;
    qint64 miniSectorOffset(std::uint32_t miniSector) const;
    void copyBytes(qint64 offset, int length, char* to) const;
    static bool followChain(const std::vector<std::uint32_t>& table, std::uint32_t start,
                            std::size_t count, std::vector<std::uint32_t>& chain);

    const char* m_data;
    qint64 m_size;
    bool m_open = false;
    bool m_miniStreamSet = false;
    int m_sectorShift = 9;
    std::uint32_t m_sectorCount = 0;  // whole or partial sectors after the header
    std::uint32_t m_firstDirectorySector = 0;
    std::vector<std::uint32_t> m_fat;              // one entry per sector of the file
    std::vector<std::uint32_t> m_miniFat;          // one entry per mini sector of the mini stream
    std::vector<std::uint32_t> m_miniStreamChain;  // the regular sectors of the mini stream
};
