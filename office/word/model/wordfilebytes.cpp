#include "office/word/model/wordfilebytes.h"

#include <QFile>

/* Open, check the size, read everything. */
WordFileBytes::Contents WordFileBytes::read(const QString& path, qint64 maxBytes) {
    using Status = WordLoadResult::Status;
    const auto failed = [](Status status, const QString& message) {
        return Contents{QByteArray(), WordLoadResult::failure(status, message)};
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return failed(Status::NotFound,
                      QStringLiteral("cannot read the file: ") + file.errorString());
    }
    if (file.size() > maxBytes) {
        return failed(Status::TooLarge, QStringLiteral("file too large"));
    }
    Contents contents{file.readAll(), std::nullopt};
    if (contents.bytes.size() != file.size()) {
        return failed(Status::NotFound, QStringLiteral("cannot read the file"));
    }
    return contents;
}
