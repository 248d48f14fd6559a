#pragma once

#include <QString>

// The downloaded release archive (ZIP). Before anything is taken out of it every entry is
// checked, and a single unsafe entry rejects the whole archive: an absolute name, a ".."
// component, a drive letter or any other colon, a backslash, or a symbolic link. Only one
// entry is ever extracted, into a file the caller names.
class UpdateArchive {
public:
    enum Status {
        Ok = 0,
        CannotOpen,    // not a readable ZIP archive
        UnsafeEntry,   // an entry failed the checks above (see offendingEntry())
        EntryMissing,  // the archive has no entry of the requested name
        CannotWrite,   // the target file could not be created or written
        Corrupt,       // the entry could not be read back intact (CRC or inflate error)
    };

    explicit UpdateArchive(const QString& zipPath);

    // Check every entry's name and kind. Ok, CannotOpen or UnsafeEntry.
    Status check();

    // Write the entry named entryName (exact, case-sensitive, at any depth given by its name)
    // to the new file targetPath, which must not exist yet. On any failure no target file is
    // left behind. Does not check the archive; call check() first.
    Status extractEntry(const QString& entryName, const QString& targetPath) const;

    // The name of the entry that made check() fail, or empty.
    QString offendingEntry() const { return m_offendingEntry; }

    // True when an entry name may be extracted below a folder without leaving it.
    static bool isSafeEntryName(const QString& name);

private:
    QString m_zipPath;
    QString m_offendingEntry;
};
