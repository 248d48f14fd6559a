#include "update/threadpost.h"

#include "support/bytestring.h"
#include "support/fileutil.h"
#include "update/filedigest.h"
#include "update/httppost.h"
#include "update/updatearchive.h"
#include "update/urldownload.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QTemporaryDir>
#include <QThread>

#include <cstdint>
#include <string>
#include <utility>

namespace {

// The release's names: the executable inside the archive, and the archive on the server.
#ifdef _WIN32
const char kExecutableName[] = "Sheetweaver.exe";
#else
const char kExecutableName[] = "Sheetweaver";
#endif
const char kArchiveName[] = "Sheetweaver.zip";
const char kFingerprintField[] = "Sheetweaver";
const char kPublisher[] = "Sheetweaver";

const unsigned long kAttemptPauseMs = 511;
const unsigned long kSwapPauseMs = 20;

/* A path held as local 8-bit text, for Qt's file classes. */
QString qtPath(const QByteArray& path) {
    return QString::fromLocal8Bit(path);
}

/* The name the running program's file moves to: a final ".exe" becomes "_old", any other
   name gets "_old" appended, so it never equals the program's own path. */
QByteArray oldFilePath(const QByteArray& appPath) {
    std::string old = appPath.toStdString();
    if (appPath.endsWith(".exe")) {
        replaceLast(old, ".exe", "_old");
    } else {
        old += "_old";
    }
    return QByteArray::fromStdString(old);
}

/* The server's download prefix, the archive name and the time stamp query. */
QByteArray downloadUrl(const QByteArray& prefix) {
    // Seconds since 1970 as a signed 32-bit number, wrapping like the server expects.
    const auto seconds = static_cast<std::uint32_t>(QDateTime::currentSecsSinceEpoch());
    std::string stamp;
    intToDecimal(static_cast<int>(static_cast<std::int32_t>(seconds)), stamp);
    return prefix + kArchiveName + "?t=" + QByteArray::fromStdString(stamp);
}

/* Whether the update thread was asked to stop. */
bool interrupted() {
    return QThread::currentThread()->isInterruptionRequested();
}

}  // namespace

/* Create a worker with the build-time endpoints. */
ThreadPost::ThreadPost(QObject* parent) : QObject(parent) {
    m_primary.host = SW_UPDATE_PRIMARY_HOST;
    m_primary.target = SW_UPDATE_PRIMARY_TARGET;
    m_primary.downloadPrefix = SW_UPDATE_PRIMARY_DOWNLOAD;
    m_secondary.host = SW_UPDATE_SECONDARY_HOST;
    m_secondary.target = SW_UPDATE_SECONDARY_TARGET;
    m_secondary.downloadPrefix = SW_UPDATE_SECONDARY_DOWNLOAD;
}

/* Keep copies of the start-up paths. */
void ThreadPost::setPaths(const QByteArray& appPath, const QByteArray& appDir,
                          const QByteArray& updateArchivePath) {
    m_appPath = appPath;
    m_appDir = appDir;
    m_updateArchivePath = updateArchivePath;
}

/* Remember where the download-failure balloon is shown. */
void ThreadPost::setBalloonHandler(QObject* receiver, BalloonHandler handler) {
    m_balloonReceiver = receiver;
    m_balloonHandler = std::move(handler);
}

/* Replace the build-time endpoints. */
void ThreadPost::setEndpoints(const Endpoint& primary, const Endpoint& secondary) {
    m_primary = primary;
    m_secondary = secondary;
}

/* Limit the attempt loop (0: no limit). */
void ThreadPost::setAttemptLimit(int attempts) {
    m_attemptLimit = attempts;
}

/* Run the whole update check once. */
void ThreadPost::startPost() {
    if ((m_primary.host.isEmpty() && m_secondary.host.isEmpty()) || m_appPath.isEmpty() ||
        !QFileInfo(qtPath(m_appPath)).isFile()) {
        return;
    }
    Endpoint chosen;
    std::string answer;
    if (!askServers(chosen, answer)) {
        return;
    }
    std::string field;
    jsonFieldValue(field, answer, kFingerprintField);
    const QByteArray fingerprint = QByteArray::fromStdString(field);
    // Only a real digest can ever be matched by the downloaded program; anything else would
    // download and reject the release on every run.
    if (!isMd5Hex(fingerprint)) {
        return;
    }
    if (sameDigest(md5HexOfFile(qtPath(m_appPath)), fingerprint)) {
        return;
    }
    if (!downloadUrlToFile(downloadUrl(chosen.downloadPrefix), qtPath(m_updateArchivePath))) {
        requestBalloon();
        return;
    }
    swapExecutable(fingerprint);
}

/* Ask the primary, then the secondary server, every 511 ms until one accepts. */
bool ThreadPost::askServers(Endpoint& chosen, std::string& answer) const {
    for (int attempt = 1; m_attemptLimit <= 0 || attempt <= m_attemptLimit; ++attempt) {
        QThread::msleep(kAttemptPauseMs);
        if (interrupted()) {
            return false;
        }
        for (const Endpoint* server : {&m_primary, &m_secondary}) {
            if (server->host.isEmpty()) {
                continue;
            }
            answer.clear();
            if (post(server->host.constData(), server->target.constData(), "", answer,
                     server->port) == HttpPostOk) {
                chosen = *server;
                return true;
            }
        }
        answer.clear();
    }
    return false;
}

/* Hand the download-failure balloon to the receiver's thread. */
void ThreadPost::requestBalloon() const {
    QObject* receiver = m_balloonReceiver.data();
    if (receiver == nullptr || !m_balloonHandler) {
        return;
    }
    const QString message =
        QCoreApplication::translate("ThreadPost", "发现新版本,请进入%1下载更新!")
            .arg(QString::fromUtf8(kPublisher));
    const BalloonHandler handler = m_balloonHandler;
    QMetaObject::invokeMethod(
        receiver, [handler, message]() { handler(QString(), message, 1000); },
        Qt::QueuedConnection);
}

/* Move the running program aside, put the verified new one in its place, or roll back. */
void ThreadPost::swapExecutable(const QByteArray& fingerprint) {
    const QByteArray oldPath = oldFilePath(m_appPath);
    QFile::remove(qtPath(oldPath));
    QThread::msleep(kSwapPauseMs);
    QFile::rename(qtPath(m_appPath), qtPath(oldPath));
    QThread::msleep(kSwapPauseMs);
    bool installed = false;
    {
        // A fresh folder beside the program, so the final move is a rename on one volume.
        QTemporaryDir staging(qtPath(m_appDir) + QStringLiteral(".sheetweaver-update-XXXXXX"));
        const QString extracted =
            staging.isValid() ? extractVerified(staging.path(), fingerprint) : QString();
        QThread::msleep(kSwapPauseMs);
        if (!extracted.isEmpty()) {
            installed = QFile::rename(extracted, qtPath(m_appPath));
        }
    }
    if (!pathExists(m_appPath.toStdString())) {
        QFile::rename(qtPath(oldPath), qtPath(m_appPath));
        installed = false;
    }
    if (installed && pathExists(m_updateArchivePath.toStdString()) &&
        pathExists(oldPath.toStdString())) {
        QFile::remove(qtPath(m_updateArchivePath));
        emit Signal_UpdateSuccess();
    }
}

/* Take the new executable out of the checked archive into folder; its path when its digest
   matches the fingerprint, else empty (and nothing is left in folder). */
QString ThreadPost::extractVerified(const QString& folder, const QByteArray& fingerprint) const {
    UpdateArchive archive(qtPath(m_updateArchivePath));
    if (archive.check() != UpdateArchive::Ok) {
        return QString();
    }
    const QString name = QString::fromLatin1(kExecutableName);
    const QString target = folder + QLatin1Char('/') + name;
    if (archive.extractEntry(name, target) != UpdateArchive::Ok) {
        return QString();
    }
    if (!sameDigest(md5HexOfFile(target), fingerprint)) {
        QFile::remove(target);
        return QString();
    }
    // The restarted program must stay executable, whatever the archive recorded.
    QFile::Permissions permissions = QFile::permissions(qtPath(oldFilePath(m_appPath)));
    permissions |= QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser |
                   QFile::WriteUser | QFile::ExeUser;
    QFile::setPermissions(target, permissions);
    return target;
}
