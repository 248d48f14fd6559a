#include "office/word/doc/docstorage.h"

namespace {

using ReadResult = CompoundFile::Stream;

/* Read a whole top-level stream of a compound file into out. */
ReadResult readStream(const CompoundFile& file, const char* name, QByteArray* out) {
    return file.readStream(name, DocStorage::kMaxStreamSize, *out);
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
    if (fileBytes.size() < 512 || !fileBytes.startsWith(QByteArray(kSignature, 8))) {
        return;
    }
    // The compound file reads fileBytes in place; they outlive it.
    m_file = std::make_unique<CompoundFile>(fileBytes);
    const CompoundFile& infile = *m_file;
    if (!infile.isOpen()) {
        return;
    }
    const ReadResult word = readStream(infile, "WordDocument", &m_wordDocument);
    if (word == ReadResult::Absent) {
        m_status = infile.hasStream("EncryptedPackage") ? Status::EncryptedPackage
                                                        : Status::NoWordDocument;
        return;
    }
    const ReadResult results[] = {word, readStream(infile, "0Table", &m_table0),
                                  readStream(infile, "1Table", &m_table1),
                                  readStream(infile, "Data", &m_data)};
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
