#pragma once

// CompoundFile: the streams of an OLE2 compound file (MS-CFB) read in place from memory, and
// the writing of a compound file holding one stream. The format is our own code:
// - CfbSectors: header, FAT (through the DIFAT), mini FAT and mini stream; checked chains.
// - CfbDirectory: the directory entries and an index of every storage's children by name.
// - CfbWriter: a version 3 file with one stream under the root, the same bytes everywhere.
// An open CompoundFile is never changed, so threads may read one at the same time.

#include "office/ole/cfbdirectory.h"
#include "office/ole/cfbsectors.h"

#include <QByteArray>

#include <cstdint>
#include <string>
#include <vector>

class CompoundFile {
public:
    enum class Stream : std::uint8_t {
        Ok,
        Absent,     // no stream at that name (or a storage there)
        TooLarge,   // the stream states a size beyond the caller's limit
        Unreadable  // its sectors cannot be read (a damaged file)
    };

    // Open the compound file in `bytes`, which must outlive this object (nothing is copied).
    // isOpen() is false when the bytes are no compound file, or its header, allocation
    // tables, directory or mini stream are damaged.
    explicit CompoundFile(const QByteArray& bytes);

    bool isOpen() const { return m_open; }
    // True when a top-level stream of that name exists.
    bool hasStream(const char* name) const;
    // Read a whole top-level stream into `out` (cleared on failure); streams above `maxBytes`
    // are refused before anything is allocated.
    Stream readStream(const char* name, qint64 maxBytes, QByteArray& out) const;
    // The same for a stream inside storages: `path` names the storages from the top, then
    // the stream ({"ObjectPool", "_1234", "Equation Native"}); Absent when any part is missing.
    Stream readStream(const std::vector<std::string>& path, qint64 maxBytes, QByteArray& out) const;

    // Build a compound file holding `stream` under `name` (UTF-8, at most 31 characters) into
    // `file`; false when the name does not fit or the file would be too large for memory.
    static bool build(const char* name, const QByteArray& stream, QByteArray& file);

private:
    const CfbDirectory::Entry* findStream(const std::vector<std::string>& path) const;

    CfbSectors m_sectors;
    CfbDirectory m_directory;
    bool m_open = false;
};
