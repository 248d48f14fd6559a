#include "office/excel/xls/xlsolestream.h"

#include <QFile>
#include <QSaveFile>

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <memory>
#include <mutex>

namespace {

// GObject references released by g_object_unref.
struct UnrefDeleter {
    void operator()(gpointer object) const {
        if (object) {
            g_object_unref(object);
        }
    }
};
template <typename T>
using GsfPtr = std::unique_ptr<T, UnrefDeleter>;

// Errors reported by libgsf, freed by g_error_free.
struct ErrorDeleter {
    void operator()(GError* error) const {
        if (error) {
            g_error_free(error);
        }
    }
};

/* Initialise libgsf once per process. */
void ensureGsf() {
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

/* Build the compound file in memory. */
bool buildCompoundFile(const QByteArray& stream, QByteArray* file) {
    GsfPtr<GsfOutput> memory(gsf_output_memory_new());
    GsfPtr<GsfOutfile> ole(gsf_outfile_msole_new(memory.get()));
    if (!ole) {
        return false;
    }
    GsfPtr<GsfOutput> child(gsf_outfile_new_child(ole.get(), "Workbook", FALSE));
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
    if (!bytes || size <= 0) {
        return false;
    }
    *file = QByteArray(reinterpret_cast<const char*>(bytes), static_cast<int>(size));
    return true;
}

}  // namespace

/* Build the compound file and write it to `path` in one go. */
bool XlsOleStream::write(const QByteArray& stream, const QString& path, QString* error) {
    ensureGsf();
    // Streams under 4096 bytes would go into the compound file's mini stream, which some
    // versions of Excel do not accept for the workbook; zeros after the last EOF pad it.
    QByteArray padded = stream;
    if (padded.size() < kMinStreamSize) {
        padded.append(kMinStreamSize - padded.size(), '\0');
    }
    QByteArray file;
    if (!buildCompoundFile(padded, &file)) {
        *error = QStringLiteral("Cannot build the compound file");
        return false;
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size() || !out.commit()) {
        *error = QStringLiteral("Cannot write %1: %2").arg(path, out.errorString());
        return false;
    }
    return true;
}

/* Read the whole file, then its "Workbook" stream. */
bool XlsOleStream::read(const QString& path, QByteArray* stream, QString* error) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot open %1: %2").arg(path, in.errorString());
        return false;
    }
    if (in.size() > kMaxBytes) {
        *error = QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(kMaxBytes);
        return false;
    }
    return readBytes(in.readAll(), stream, error);
}

/* Open the compound file from memory and copy its "Workbook" stream. */
bool XlsOleStream::readBytes(const QByteArray& file, QByteArray* stream, QString* error) {
    ensureGsf();
    GsfPtr<GsfInput> input(gsf_input_memory_new(reinterpret_cast<const guint8*>(file.constData()),
                                                file.size(), FALSE));
    GError* rawError = nullptr;
    GsfPtr<GsfInfile> ole(gsf_infile_msole_new(input.get(), &rawError));
    const std::unique_ptr<GError, ErrorDeleter> oleError(rawError);
    if (!ole) {
        *error = QStringLiteral("Not an Excel 97-2003 workbook (no OLE2 compound file)");
        return false;
    }
    GsfPtr<GsfInput> child(gsf_infile_child_by_name(ole.get(), "Workbook"));
    if (!child) {
        GsfPtr<GsfInput> book(gsf_infile_child_by_name(ole.get(), "Book"));
        *error = book ? QStringLiteral("Excel 5.0/95 workbooks are not supported")
                      : QStringLiteral("The compound file holds no \"Workbook\" stream");
        return false;
    }
    const gsf_off_t size = gsf_input_size(child.get());
    if (size < 0 || size > kMaxBytes || size > file.size() * 2 + 4096) {
        *error = QStringLiteral("The \"Workbook\" stream has an impossible size");
        return false;
    }
    stream->resize(static_cast<int>(size));
    if (size > 0 && !gsf_input_read(child.get(), static_cast<size_t>(size),
                                    reinterpret_cast<guint8*>(stream->data()))) {
        *error = QStringLiteral("The \"Workbook\" stream is truncated");
        return false;
    }
    return true;
}
