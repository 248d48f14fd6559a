#pragma once

#include "office/ole/compoundfile.h"

#include <QByteArray>
#include <QString>

#include <memory>

// The streams of a Word 97-2003 binary document, read from its OLE2 compound file (MS-CFB) by
// CompoundFile. Only the streams the reader needs are kept: "WordDocument", the two table streams
// ("0Table", "1Table"; the file header names the one in use) and "Data".
class DocStorage {
public:
    enum class Status {
        Ok,
        NotCompoundFile,   // not an OLE2 compound file (plain text, ZIP, Word 2.0 ...)
        NoWordDocument,    // a compound file without a WordDocument stream
        EncryptedPackage,  // a compound file holding an encrypted OOXML package
        StreamTooLarge,    // a stream beyond the reader's size limit
        StreamUnreadable,  // a stream whose sectors cannot be read (damaged file)
    };

    // Largest stream the reader accepts, in bytes.
    static constexpr qint64 kMaxStreamSize = 256 * 1024 * 1024;

    // Read the streams from the bytes of a whole file, which must outlive the storage (the
    // compound file stays open on them for compoundFile()). On failure the streams stay
    // empty and status() says why.
    explicit DocStorage(const QByteArray& fileBytes);

    Status status() const { return m_status; }
    bool isOk() const { return m_status == Status::Ok; }
    const QByteArray& wordDocument() const { return m_wordDocument; }
    // The table stream "1Table" when which is 1, else "0Table"; empty when absent.
    const QByteArray& tableStream(int which) const { return which == 1 ? m_table1 : m_table0; }
    // The "Data" stream, empty when absent.
    const QByteArray& dataStream() const { return m_data; }
    // The open compound file (for the embedded objects' storages); null on failure.
    const CompoundFile* compoundFile() const { return isOk() ? m_file.get() : nullptr; }
    // A short English description of a status, for error messages.
    static QString describe(Status status);

private:
    Status m_status = Status::NotCompoundFile;
    QByteArray m_wordDocument;
    QByteArray m_table0;
    QByteArray m_table1;
    QByteArray m_data;
    std::unique_ptr<CompoundFile> m_file;
};
