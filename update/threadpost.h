#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <string>

// The update worker. Once per run it asks the update server (primary, else secondary) for the
// fingerprint of the current release, compares it with the MD5 digest of the running executable
// and, when they differ, downloads the release archive, checks it, puts the new executable in
// the place of the running one (the old one stays beside it under the old-file name) and emits
// Signal_UpdateSuccess(). It lives on its own QThread and touches no widget.
//
// Around it: httppost.h (the version request), urldownload.h (the archive download),
// updatearchive.h (entry checks and extraction), filedigest.h (MD5 fingerprints).
//
// Wiring by the window (before the thread starts):
//   ThreadPost* worker = new ThreadPost;                       // no parent
//   worker->setPaths(appPath, appDir, updateArchivePath);      // start-up paths, 8-bit
//   worker->setBalloonHandler(tray, [tray](const QString& title, const QString& message,
//                                          int msecs) {
//       tray->showBalloon(title, message, QSystemTrayIcon::Information, msecs);
//   });
//   worker->moveToThread(thread);
//   connect(thread, &QThread::started, worker, &ThreadPost::startPost);
//   connect(worker, &ThreadPost::Signal_UpdateSuccess, window,
//   &MainWindow::on_Signal_UpdateSuccess);
//
// Start-up paths: appPath (the executable as started), appDir (its folder, ending with the
// separator) and updateArchivePath (appDir + "Sheetweaver.zip") are the process-wide values
// built at start-up; the worker keeps its own copies, handed over by setPaths(). Without an
// appPath that names an existing file the worker does nothing. The old-file path is appPath
// with a final ".exe" turned into "_old", or appPath + "_old" when it has no such ending; the
// new executable is the archive's "Sheetweaver.exe" ("Sheetweaver" outside Windows).
//
// What counts: the server's "Sheetweaver" member must be 32 hexadecimal digits (else nothing is
// downloaded); fingerprints compare without regard to letter case; the program is replaced only
// by an executable whose MD5 equals the fingerprint, taken from an archive none of whose entries
// is unsafe (absolute, "..", drive letter or colon, backslash, symbolic link). It is extracted
// into a fresh hidden folder inside appDir and renamed into place, keeping the old program's
// permissions plus execute for its owner. Any failure after the program was moved aside moves
// it back; the running program's own file is never deleted.
//
// Balloon: the one tray balloon of a failed download is shown through the handler given to
// setBalloonHandler(); the worker queues the handler call to the receiver's thread (the GUI
// thread for the tray icon), so the handler may call widgets directly. Its icon is always the
// information icon.
//
// Endpoints: the build-time values (CMake cache variables SW_UPDATE_PRIMARY_HOST, _TARGET,
// _DOWNLOAD and the same with SECONDARY). A server with an empty host is skipped; with both
// hosts empty (the default) startPost() returns at once and makes no network traffic.
//
// Stopping: the attempt loop has no limit, but ends when the thread's interruption is requested
// (QThread::requestInterruption), checked after each pause; a request in progress is not cut.
class ThreadPost : public QObject {
    Q_OBJECT

public:
    // One update server: host name and port for the version request, the request's target,
    // and the download URL prefix to which the archive name is appended.
    struct Endpoint {
        QByteArray host;
        QByteArray target;
        QByteArray downloadPrefix;
        int port = 80;
    };

    // Receives the balloon's title, message and display time in milliseconds.
    using BalloonHandler =
        std::function<void(const QString& title, const QString& message, int msecs)>;

    // A worker with the build-time endpoints, no paths and no balloon handler.
    explicit ThreadPost(QObject* parent = nullptr);

    // The start-up paths (local 8-bit text); call before the thread starts.
    void setPaths(const QByteArray& appPath, const QByteArray& appDir,
                  const QByteArray& updateArchivePath);

    // Where and how the download-failure balloon is shown: handler runs on receiver's thread.
    // A null receiver or an empty handler drops the balloon.
    void setBalloonHandler(QObject* receiver, BalloonHandler handler);

    // Replace the build-time endpoints (tests use loopback servers).
    void setEndpoints(const Endpoint& primary, const Endpoint& secondary);

    // Stop the attempt loop after this many attempts (0, the default: never stop); for tests.
    void setAttemptLimit(int attempts);

signals:
    // The new executable is in place; the old one stays under the old-file name.
    void Signal_UpdateSuccess();

public slots:
    // Runs the whole update check, from the first attempt to the end. Emits
    // Signal_UpdateSuccess() only when the new executable is at appPath, the old one at the
    // old-file path; the archive is deleted just before.
    void startPost();

private:
    bool askServers(Endpoint& chosen, std::string& answer) const;
    void requestBalloon() const;
    void swapExecutable(const QByteArray& fingerprint);
    QString extractVerified(const QString& folder, const QByteArray& fingerprint) const;

    Endpoint m_primary;
    Endpoint m_secondary;
    QByteArray m_appPath;
    QByteArray m_appDir;
    QByteArray m_updateArchivePath;
    QPointer<QObject> m_balloonReceiver;
    BalloonHandler m_balloonHandler;
    int m_attemptLimit = 0;
};
