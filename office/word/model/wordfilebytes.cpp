#include "office/word/model/wordfilebytes.h"

#include <QFile>

/* Open, check the size, read everything. */
std::optional<WordLoadResult> WordFileBytes::read(const QString& path, qint64 maxBytes,
                                                  QByteArray* bytes) {
    using Status = WordLoadResult::Status;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return WordLoadResult::failure(
            Status::NotFound, QStringLiteral("cannot read the file: ") + file.errorString());
    }
    if (file.size() > maxBytes) {
        return WordLoadResult::failure(Status::TooLarge, QStringLiteral("file too large"));
    }
    *bytes = file.readAll();
    if (bytes->size() != file.size()) {
        return WordLoadResult::failure(Status::NotFound, QStringLiteral("cannot read the file"));
    }
    return std::nullopt;
}
