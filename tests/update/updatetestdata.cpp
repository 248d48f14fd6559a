#include "tests/update/updatetestdata.h"

#include "tests/update/loopbackserver.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Writes a ZIP archive from a JSON list of entries with Python's zipfile module (a writer we
// did not write): {"name", "data" (base64), "mode" (Unix permissions) or "link" (target)}.
const char kZipScript[] = R"(
import base64, json, sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:
    for e in json.load(sys.stdin):
        info = zipfile.ZipInfo(e['name'])
        info.compress_type = zipfile.ZIP_DEFLATED
        if 'link' in e:
            info.create_system = 3
            info.external_attr = 0o120777 << 16
            z.writestr(info, e['link'])
        else:
            if 'mode' in e:
                info.create_system = 3
                info.external_attr = (0o100000 | e['mode']) << 16
            z.writestr(info, base64.b64decode(e['data']))
)";

}  // namespace

/* Show an entry by its name in test output. */
void PrintTo(const ZipEntry& entry, std::ostream* out) {
    *out << entry.name.constData();
}

/* Build a ZIP archive's bytes from entries. */
QByteArray makeZip(const QList<ZipEntry>& entries) {
    QTemporaryDir dir;
    QJsonArray list;
    for (const ZipEntry& entry : entries) {
        QJsonObject object;
        object.insert(QStringLiteral("name"), QString::fromUtf8(entry.name));
        if (!entry.linkTarget.isEmpty()) {
            object.insert(QStringLiteral("link"), QString::fromUtf8(entry.linkTarget));
        } else {
            object.insert(QStringLiteral("data"), QString::fromLatin1(entry.data.toBase64()));
            if (entry.mode != 0) {
                object.insert(QStringLiteral("mode"), entry.mode);
            }
        }
        list.append(object);
    }
    const QString zipPath = dir.path() + QStringLiteral("/a.zip");
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QString::fromUtf8(kZipScript), zipPath});
    python.write(QJsonDocument(list).toJson());
    python.closeWriteChannel();
    if (!python.waitForFinished(30000) || python.exitCode() != 0) {
        ADD_FAILURE() << "python zipfile failed: " << python.readAllStandardError().constData();
        return QByteArray();
    }
    QFile zip(zipPath);
    return zip.open(QIODevice::ReadOnly) ? zip.readAll() : QByteArray();
}

/* Lowercase MD5 hex digits of bytes. */
QByteArray md5Hex(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex();
}

/* Whole contents of a file, or "<missing>". */
QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

/* Write bytes into a new file. */
bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

/* The loopback server's 200 response around body, as Qt bytes. */
QByteArray okResponse(const QByteArray& body) {
    return QByteArray::fromStdString(LoopbackServer::okResponse(body.toStdString()));
}

/* Create the application object on first use; it lives until the process ends. */
void ensureCoreApplication() {
    static int argc = 1;
    static char name[] = "sheetweaver-update-test";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) {
        new QCoreApplication(argc, argv);
    }
}
