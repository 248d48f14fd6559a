#include "update/filedigest.h"

#include <QCryptographicHash>
#include <QFile>

/* Digest the file block by block. */
QByteArray md5HexOfFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QByteArray();
    }
    QCryptographicHash hash(QCryptographicHash::Md5);
    char block[1024];
    for (;;) {
        const qint64 got = file.read(block, sizeof block);
        if (got < 0) {
            return QByteArray();
        }
        if (got == 0) {
            break;
        }
        hash.addData(block, static_cast<int>(got));
    }
    return hash.result().toHex();
}

/* Check for exactly 32 hexadecimal digits. */
bool isMd5Hex(const QByteArray& text) {
    if (text.size() != 32) {
        return false;
    }
    for (const char c : text) {
        const bool digit =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!digit) {
            return false;
        }
    }
    return true;
}

/* Compare two digests ignoring letter case. */
bool sameDigest(const QByteArray& a, const QByteArray& b) {
    return !a.isEmpty() && a.compare(b, Qt::CaseInsensitive) == 0;
}
