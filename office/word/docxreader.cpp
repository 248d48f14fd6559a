#include "office/word/docxreader.h"

/* Read a package from a file. */
WordLoadResult DocxReader::readFile(const QString& path, const DocxLimits& limits) {
    Q_UNUSED(path);
    Q_UNUSED(limits);
    return WordLoadResult::failure(WordLoadResult::Status::Unsupported,
                                   QStringLiteral("not implemented yet"));
}

/* Read a package from memory. */
WordLoadResult DocxReader::readData(const QByteArray& data, const DocxLimits& limits) {
    Q_UNUSED(data);
    Q_UNUSED(limits);
    return WordLoadResult::failure(WordLoadResult::Status::Unsupported,
                                   QStringLiteral("not implemented yet"));
}
