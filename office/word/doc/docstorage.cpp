#include "office/word/doc/docstorage.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-utils.h>

#include <memory>
#include <mutex>

namespace {

// Releases a GObject reference when the holder goes out of scope.
struct GObjectUnref {
    void operator()(void* object) const {
        if (object)
            g_object_unref(object);
    }
};
using InputPtr = std::unique_ptr<GsfInput, GObjectUnref>;
using InfilePtr = std::unique_ptr<GsfInfile, GObjectUnref>;

/* Initialise libgsf once per process, whichever thread gets here first. */
void initGsfOnce() {
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

enum class ReadResult { Absent, Ok, TooLarge, Unreadable };

/* Read a whole top-level stream of a compound file into out. */
ReadResult readStream(GsfInfile* infile, const char* name, QByteArray* out) {
    InputPtr stream(gsf_infile_child_by_name(infile, name));
    if (!stream)
        return ReadResult::Absent;
    const gsf_off_t size = gsf_input_size(stream.get());
    if (size < 0)
        return ReadResult::Unreadable;
    if (size > DocStorage::kMaxStreamSize)
        return ReadResult::TooLarge;
    out->resize(int(size));
    if (size > 0 &&
        !gsf_input_read(stream.get(), size_t(size), reinterpret_cast<guint8*>(out->data()))) {
        out->clear();
        return ReadResult::Unreadable;
    }
    return ReadResult::Ok;
}

/* Map a failed stream read to the storage status it causes. */
DocStorage::Status statusOf(ReadResult result) {
    return result == ReadResult::TooLarge ? DocStorage::Status::StreamTooLarge
                                          : DocStorage::Status::StreamUnreadable;
}

}  // namespace

/* Open the compound file held in fileBytes and read the Word streams. */
DocStorage::DocStorage(const QByteArray& fileBytes) {
    static const char kSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    if (fileBytes.size() < 512 || !fileBytes.startsWith(QByteArray(kSignature, 8)))
        return;
    initGsfOnce();
    // The memory input does not copy; fileBytes outlives every object made here.
    InputPtr input(gsf_input_memory_new(reinterpret_cast<const guint8*>(fileBytes.constData()),
                                        gsf_off_t(fileBytes.size()), FALSE));
    if (!input)
        return;
    GError* error = nullptr;
    InfilePtr infile(gsf_infile_msole_new(input.get(), &error));
    if (error)
        g_error_free(error);
    if (!infile)
        return;
    const ReadResult word = readStream(infile.get(), "WordDocument", &m_wordDocument);
    if (word == ReadResult::Absent) {
        InputPtr encrypted(gsf_infile_child_by_name(infile.get(), "EncryptedPackage"));
        m_status = encrypted ? Status::EncryptedPackage : Status::NoWordDocument;
        return;
    }
    const ReadResult results[] = {word, readStream(infile.get(), "0Table", &m_table0),
                                  readStream(infile.get(), "1Table", &m_table1),
                                  readStream(infile.get(), "Data", &m_data)};
    for (ReadResult result : results) {
        if (result == ReadResult::TooLarge || result == ReadResult::Unreadable) {
            m_status = statusOf(result);
            m_wordDocument.clear();
            m_table0.clear();
            m_table1.clear();
            m_data.clear();
            return;
        }
    }
    m_status = Status::Ok;
}

/* Describe a storage status in a few words. */
QString DocStorage::describe(Status status) {
    switch (status) {
        case Status::Ok:
            return QStringLiteral("ok");
        case Status::NotCompoundFile:
            return QStringLiteral("not an OLE2 compound file");
        case Status::NoWordDocument:
            return QStringLiteral("no WordDocument stream");
        case Status::EncryptedPackage:
            return QStringLiteral("encrypted package");
        case Status::StreamTooLarge:
            return QStringLiteral("stream too large");
        case Status::StreamUnreadable:
            return QStringLiteral("stream cannot be read");
    }
    return QString();
}
