#pragma once

// CompoundFile: the streams of an OLE2 compound file (MS-CFB) held in memory, read with
// libgsf, and the writing of a compound file holding one stream. libgsf is initialised once
// per process, by whichever thread gets here first.

#include <QByteArray>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CompoundFile {
public:
    enum class Stream : std::uint8_t {
        Ok,
        Absent,     // no top-level stream of that name
        TooLarge,   // the stream states a size beyond the caller's limit
        Unreadable  // its sectors cannot be read (a damaged file)
    };

    // Open the compound file in `bytes`, which must outlive this object (nothing is copied).
    // isOpen() is false when the bytes are no compound file.
    explicit CompoundFile(const QByteArray& bytes);
    ~CompoundFile();
    CompoundFile(const CompoundFile&) = delete;
    CompoundFile& operator=(const CompoundFile&) = delete;

    bool isOpen() const { return m_infile != nullptr; }
    // True when a top-level stream of that name exists.
    bool hasStream(const char* name) const;
    // Read a whole top-level stream into `out` (cleared on failure); streams above `maxBytes`
    // are refused before anything is allocated.
    Stream readStream(const char* name, qint64 maxBytes, QByteArray& out) const;
    // The same for a stream inside storages: `path` names the storages from the top, then
    // the stream ({"ObjectPool", "_1234", "Equation Native"}); Absent when any part is missing.
    Stream readStream(const std::vector<std::string>& path, qint64 maxBytes, QByteArray& out) const;

    // Build a compound file holding `stream` under `name` into `file`; false when libgsf
    // cannot build it.
    static bool build(const char* name, const QByteArray& stream, QByteArray& file);

    // Whether the warnings libgsf (and the GLib under it) print about damaged files reach
    // standard error, as they do by default. false drops them for the whole process (GLib's
    // default log handler and its g_printerr output); fatal errors still end the process.
    // Call it at start, before any compound file is opened.
    static void showLibraryMessages(bool shown);

private:
    struct Unref {
        void operator()(void* object) const;
    };
    std::unique_ptr<void, Unref> m_input;
    std::unique_ptr<void, Unref> m_infile;
};
