#include "office/ole/compoundfile.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <mutex>

namespace {

/* Initialise libgsf once per process, whichever thread gets here first. */
void initGsfOnce() {
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

// A GObject reference, released when the holder goes out of scope.
struct GObjectUnref {
    void operator()(gpointer object) const {
        if (object != nullptr) {
            g_object_unref(object);
        }
    }
};
template <typename T>
using GsfPtr = std::unique_ptr<T, GObjectUnref>;

/* A GLib log handler that drops the message. */
void dropLogMessage(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

/* A g_printerr handler that drops the text. */
void dropPrintedText(const gchar*) {}

}  // namespace

/* Put GLib's own handlers back, or handlers that drop everything. */
void CompoundFile::showLibraryMessages(bool shown) {
    if (shown) {
        g_log_set_default_handler(g_log_default_handler, nullptr);
        g_set_printerr_handler(nullptr);
        return;
    }
    g_log_set_default_handler(dropLogMessage, nullptr);
    g_set_printerr_handler(dropPrintedText);
}

/* Drop one GObject reference. */
void CompoundFile::Unref::operator()(void* object) const {
    GObjectUnref()(object);
}

/* Open the compound file over the caller's bytes. */
CompoundFile::CompoundFile(const QByteArray& bytes) {
    initGsfOnce();
    m_input.reset(gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes.constData()),
                                       static_cast<gsf_off_t>(bytes.size()), FALSE));
    if (!m_input) {
        return;
    }
    GError* error = nullptr;
    m_infile.reset(gsf_infile_msole_new(static_cast<GsfInput*>(m_input.get()), &error));
    if (error != nullptr) {
        g_error_free(error);
    }
}

/* Members go in reverse order: the container before its input. */
CompoundFile::~CompoundFile() = default;

/* Look the stream up without reading it. */
bool CompoundFile::hasStream(const char* name) const {
    if (!m_infile) {
        return false;
    }
    const GsfPtr<GsfInput> stream(
        gsf_infile_child_by_name(static_cast<GsfInfile*>(m_infile.get()), name));
    return stream != nullptr;
}

/* A top-level stream is a path of one name. */
CompoundFile::Stream CompoundFile::readStream(const char* name, qint64 maxBytes,
                                              QByteArray& out) const {
    return readStream(std::vector<std::string>{name}, maxBytes, out);
}

/* Walk the storages down to the stream, check its stated size, then read it in one go. */
CompoundFile::Stream CompoundFile::readStream(const std::vector<std::string>& path, qint64 maxBytes,
                                              QByteArray& out) const {
    out.clear();
    if (!m_infile || path.empty()) {
        return Stream::Absent;
    }
    std::vector<const char*> names;
    for (const std::string& name : path) {
        names.push_back(name.c_str());
    }
    names.push_back(nullptr);
    const GsfPtr<GsfInput> stream(
        gsf_infile_child_by_aname(static_cast<GsfInfile*>(m_infile.get()), names.data()));
    if (!stream) {
        return Stream::Absent;
    }
    const gsf_off_t size = gsf_input_size(stream.get());
    if (size < 0) {
        return Stream::Unreadable;
    }
    if (size > maxBytes) {
        return Stream::TooLarge;
    }
    out.resize(static_cast<int>(size));
    if (size > 0 && gsf_input_read(stream.get(), static_cast<size_t>(size),
                                   reinterpret_cast<guint8*>(out.data())) == nullptr) {
        out.clear();
        return Stream::Unreadable;
    }
    return Stream::Ok;
}

/* Write the stream into a compound file in memory and copy its bytes out. */
bool CompoundFile::build(const char* name, const QByteArray& stream, QByteArray& file) {
    initGsfOnce();
    const GsfPtr<GsfOutput> memory(gsf_output_memory_new());
    const GsfPtr<GsfOutfile> ole(gsf_outfile_msole_new(memory.get()));
    if (!ole) {
        return false;
    }
    const GsfPtr<GsfOutput> child(gsf_outfile_new_child(ole.get(), name, FALSE));
    if (!child) {
        return false;
    }
    const bool written =
        gsf_output_write(child.get(), static_cast<size_t>(stream.size()),
                         reinterpret_cast<const guint8*>(stream.constData())) != FALSE;
    const bool childClosed = gsf_output_close(child.get()) != FALSE;
    const bool oleClosed = gsf_output_close(GSF_OUTPUT(ole.get())) != FALSE;
    if (!written || !childClosed || !oleClosed) {
        return false;
    }
    const gsf_off_t size = gsf_output_size(memory.get());
    const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory.get()));
    if (bytes == nullptr || size <= 0) {
        return false;
    }
    file = QByteArray(reinterpret_cast<const char*>(bytes), static_cast<int>(size));
    return true;
}
