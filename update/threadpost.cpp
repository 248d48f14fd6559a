#include "update/threadpost.h"

#include <utility>

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
void ThreadPost::startPost() {}
