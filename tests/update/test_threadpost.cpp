#include "update/threadpost.h"

#include "tests/update/loopbackserver.h"
#include "tests/update/updatetestdata.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace {

const QByteArray kOldProgram = "old program, version 1\n";
const QByteArray kNewProgram = "new program, version 2\n";

// What one run of the worker did, seen from outside.
struct Outcome {
    int successSignals = 0;
    QStringList balloonMessages;
    QStringList balloonTitles;
    QList<int> balloonTimes;
    bool balloonOnMainThread = true;
};

// An installation folder with a program file, a loopback update server and the worker.
class ThreadPostTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureCoreApplication(); }

    void SetUp() override {
        ASSERT_TRUE(m_root.isValid());
        ASSERT_TRUE(QDir(m_root.path()).mkdir(QStringLiteral("app")));
        m_appDir = m_root.path() + QStringLiteral("/app/");
        setProgramName(QStringLiteral("Sheetweaver"));
        m_server = std::make_unique<LoopbackServer>([this](const std::string& request) {
            return respond(QByteArray::fromStdString(request)).toStdString();
        });
        ASSERT_TRUE(m_server->start());
    }

    /* Place the program file under name in the installation folder. */
    void setProgramName(const QString& name) {
        m_appPath = m_appDir + name;
        ASSERT_TRUE(writeFile(m_appPath, kOldProgram));
        QFile::setPermissions(m_appPath, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                             QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
    }

    /* The server: "/version" answers the fingerprint, "/dl/" serves the archive. */
    QByteArray respond(const QByteArray& request) {
        const QByteArray path =
            QByteArray::fromStdString(LoopbackServer::requestPath(request.toStdString()));
        if (path == "/version") {
            return m_versionReply;
        }
        if (path.startsWith("/dl/Sheetweaver.zip?t=")) {
            return m_downloadReply;
        }
        return "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n";
    }

    /* Announce fingerprint and serve archive as the download. */
    void publish(const QByteArray& fingerprint, const QByteArray& archive) {
        m_versionReply =
            okResponse("{\"Other\":\"x\",\"Sheetweaver\":\"" + fingerprint + "\",\"Size\":1}");
        m_downloadReply = okResponse(archive);
    }

    /* The endpoint of the loopback server. */
    ThreadPost::Endpoint serverEndpoint() const {
        ThreadPost::Endpoint endpoint;
        endpoint.host = "127.0.0.1";
        endpoint.port = m_server->port();
        endpoint.target = "/version";
        endpoint.downloadPrefix =
            "http://127.0.0.1:" + QByteArray::number(m_server->port()) + "/dl/";
        return endpoint;
    }

    /* The loopback server's endpoint with the port of refusing instead. */
    ThreadPost::Endpoint refusedEndpoint(const RefusingPort& refusing) const {
        ThreadPost::Endpoint endpoint = serverEndpoint();
        endpoint.port = refusing.port();
        endpoint.downloadPrefix =
            "http://127.0.0.1:" + QByteArray::number(refusing.port()) + "/dl/";
        return endpoint;
    }

    /* A worker for the installation folder with the given endpoints and attempt limit (a
       negative limit keeps the worker's own). */
    ThreadPost* makeWorker(const ThreadPost::Endpoint& primary,
                           const ThreadPost::Endpoint& secondary, int attemptLimit) const {
        auto* worker = new ThreadPost;
        worker->setEndpoints(primary, secondary);
        if (attemptLimit >= 0) {
            worker->setAttemptLimit(attemptLimit);
        }
        worker->setPaths(m_appPath.toLocal8Bit(), m_appDir.toLocal8Bit(),
                         archivePath().toLocal8Bit());
        return worker;
    }

    /* Run startPost() once on a thread of its own and collect what it reported. */
    Outcome runWorker(const ThreadPost::Endpoint& primary, const ThreadPost::Endpoint& secondary,
                      int attemptLimit = 1) {
        Outcome outcome;
        std::atomic<int> successCount{0};
        QThread thread;
        ThreadPost* worker = makeWorker(primary, secondary, attemptLimit);
        QObject receiver;
        QThread* mainThread = QThread::currentThread();
        worker->setBalloonHandler(
            &receiver,
            [&outcome, mainThread](const QString& title, const QString& message, int msecs) {
                outcome.balloonTitles.append(title);
                outcome.balloonMessages.append(message);
                outcome.balloonTimes.append(msecs);
                outcome.balloonOnMainThread &= QThread::currentThread() == mainThread;
            });
        QObject::connect(worker, &ThreadPost::Signal_UpdateSuccess,
                         [&successCount]() { ++successCount; });
        worker->moveToThread(&thread);
        thread.start();
        QMetaObject::invokeMethod(worker, "startPost", Qt::BlockingQueuedConnection);
        thread.quit();
        thread.wait();
        delete worker;
        QCoreApplication::processEvents();
        outcome.successSignals = successCount;
        return outcome;
    }

    /* Run against the loopback server as primary, no secondary. */
    Outcome runWorker() { return runWorker(serverEndpoint(), ThreadPost::Endpoint()); }

    QString archivePath() const { return m_appDir + QStringLiteral("Sheetweaver.zip"); }
    QString oldPath() const { return m_appPath + QStringLiteral("_old"); }

    /* Names in the installation folder, hidden ones included. */
    QStringList appDirEntries() const {
        return QDir(m_appDir).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }

    /* Requests whose path starts with prefix. */
    int requestCount(const QByteArray& prefix) const {
        int count = 0;
        for (const std::string& request : m_server->requests()) {
            count +=
                LoopbackServer::requestPath(request).rfind(prefix.toStdString(), 0) == 0 ? 1 : 0;
        }
        return count;
    }

    /* A good release archive holding the new program. */
    static QByteArray goodArchive() {
        return makeZip({{"Sheetweaver", kNewProgram, 0644, {}}, {"readme.txt", "notes", 0, {}}});
    }

    /* Expect the installation untouched: old program in place, nothing added. */
    void expectUnchanged(const QStringList& entriesBefore) {
        EXPECT_EQ(readFile(m_appPath), kOldProgram);
        EXPECT_EQ(appDirEntries(), entriesBefore);
    }

    /* Expect a rejected release: no signal, old program in place with no old copy, and only the
       downloaded archive beside it. */
    void expectRejected(const Outcome& outcome) {
        EXPECT_EQ(outcome.successSignals, 0);
        EXPECT_EQ(readFile(m_appPath), kOldProgram);
        EXPECT_FALSE(QFile::exists(oldPath()));
        EXPECT_EQ(appDirEntries(),
                  QStringList({QStringLiteral("Sheetweaver"), QStringLiteral("Sheetweaver.zip")}));
    }

    QTemporaryDir m_root;
    QString m_appDir;
    QString m_appPath;
    std::unique_ptr<LoopbackServer> m_server;
    QByteArray m_versionReply = "HTTP/1.0 500 Error\r\n\r\n";
    QByteArray m_downloadReply = "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n";
};

TEST_F(ThreadPostTest, EqualFingerprintsChangeNothing) {
    publish(md5Hex(kOldProgram), goodArchive());
    const QStringList before = appDirEntries();
    const Outcome outcome = runWorker();
    EXPECT_EQ(outcome.successSignals, 0);
    EXPECT_TRUE(outcome.balloonMessages.isEmpty());
    EXPECT_EQ(requestCount("/version"), 1);
    EXPECT_EQ(requestCount("/dl/"), 0);
    expectUnchanged(before);
}

TEST_F(ThreadPostTest, UpperCaseFingerprintOfTheRunningProgramChangesNothing) {
    publish(md5Hex(kOldProgram).toUpper(), goodArchive());
    const QStringList before = appDirEntries();
    EXPECT_EQ(runWorker().successSignals, 0);
    EXPECT_EQ(requestCount("/dl/"), 0);
    expectUnchanged(before);
}

TEST_F(ThreadPostTest, GoodArchiveSwapsKeepsOldDeletesArchiveAndSignals) {
    publish(md5Hex(kNewProgram), goodArchive());
    const qint64 before = QDateTime::currentSecsSinceEpoch();
    const Outcome outcome = runWorker();
    const qint64 after = QDateTime::currentSecsSinceEpoch();
    EXPECT_EQ(outcome.successSignals, 1);
    EXPECT_TRUE(outcome.balloonMessages.isEmpty());
    EXPECT_EQ(readFile(m_appPath), kNewProgram);
    EXPECT_EQ(readFile(oldPath()), kOldProgram);
    EXPECT_FALSE(QFile::exists(archivePath()));
    // Only the executable is taken from the archive; the staging folder is gone.
    EXPECT_EQ(appDirEntries(),
              QStringList({QStringLiteral("Sheetweaver"), QStringLiteral("Sheetweaver_old")}));
    EXPECT_TRUE(QFile::permissions(m_appPath) & QFile::ExeOwner);
    // The download asked for the archive with the current time as a decimal stamp.
    QByteArray download;
    for (const std::string& request : m_server->requests()) {
        if (request.rfind("GET ", 0) == 0) {
            download = QByteArray::fromStdString(LoopbackServer::requestPath(request));
        }
    }
    ASSERT_TRUE(download.startsWith("/dl/Sheetweaver.zip?t="));
    bool ok = false;
    const qint64 stamp = download.mid(22).toLongLong(&ok);
    EXPECT_TRUE(ok);
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, after);
}

TEST_F(ThreadPostTest, UpperCaseFingerprintOfTheNewProgramIsAccepted) {
    publish(md5Hex(kNewProgram).toUpper(), goodArchive());
    EXPECT_EQ(runWorker().successSignals, 1);
    EXPECT_EQ(readFile(m_appPath), kNewProgram);
    EXPECT_EQ(readFile(oldPath()), kOldProgram);
}

TEST_F(ThreadPostTest, RestartedProgramIsExecutableEvenWithoutRecordedPermissions) {
    publish(md5Hex(kNewProgram), makeZip({{"Sheetweaver", kNewProgram, 0, {}}}));
    EXPECT_EQ(runWorker().successSignals, 1);
    const QFile::Permissions permissions = QFile::permissions(m_appPath);
    EXPECT_TRUE(permissions & QFile::ExeOwner);
    EXPECT_TRUE(permissions & QFile::ReadOwner);
}

TEST_F(ThreadPostTest, DownloadFailureAsksForOneBalloonAndChangesNothing) {
    publish(md5Hex(kNewProgram), goodArchive());
    m_downloadReply = "HTTP/1.0 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found";
    const QStringList before = appDirEntries();
    const Outcome outcome = runWorker();
    EXPECT_EQ(outcome.successSignals, 0);
    ASSERT_EQ(outcome.balloonMessages.size(), 1);
    EXPECT_EQ(outcome.balloonTitles.at(0), QString());
    EXPECT_EQ(outcome.balloonMessages.at(0),
              QString::fromUtf8("发现新版本,请进入Sheetweaver下载更新!"));
    EXPECT_EQ(outcome.balloonTimes.at(0), 1000);
    EXPECT_TRUE(outcome.balloonOnMainThread);
    expectUnchanged(before);
}

TEST_F(ThreadPostTest, TruncatedDownloadIsAFailureAndKeepsAnEarlierArchive) {
    const QByteArray archive = goodArchive();
    publish(md5Hex(kNewProgram), archive);
    m_downloadReply = "HTTP/1.0 200 OK\r\nContent-Length: " + QByteArray::number(archive.size()) +
                      "\r\n\r\n" + archive.left(40);
    ASSERT_TRUE(writeFile(archivePath(), "earlier archive"));
    const QStringList before = appDirEntries();
    const Outcome outcome = runWorker();
    EXPECT_EQ(outcome.successSignals, 0);
    EXPECT_EQ(outcome.balloonMessages.size(), 1);
    expectUnchanged(before);
    EXPECT_EQ(readFile(archivePath()), "earlier archive");
}

TEST_F(ThreadPostTest, ArchiveWithoutTheExecutableRollsBack) {
    publish(md5Hex(kNewProgram), makeZip({{"Other", kNewProgram, 0755, {}}}));
    // The archive stays; the staging folder does not.
    expectRejected(runWorker());
}

TEST_F(ThreadPostTest, FingerprintMismatchAfterExtractionSwapsNothing) {
    publish(md5Hex("some other release"), goodArchive());
    expectRejected(runWorker());
}

// Archives with one hostile entry beside a good executable: rejected as a whole.
class HostileArchiveTest : public ThreadPostTest, public ::testing::WithParamInterface<ZipEntry> {};

TEST_P(HostileArchiveTest, IsRejectedAndWritesNothingOutside) {
    publish(md5Hex(kNewProgram), makeZip({{"Sheetweaver", kNewProgram, 0755, {}}, GetParam()}));
    expectRejected(runWorker());
    const QStringList outside =
        QDir(m_root.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    EXPECT_EQ(outside, QStringList({QStringLiteral("app")}));
}

/* Readable names for the hostile archive cases, in the order of kHostileEntries. */
std::string hostileEntryName(const ::testing::TestParamInfo<ZipEntry>& info) {
    static const char* const names[] = {"ParentDir", "NestedParent", "DriveLetter", "Backslash",
                                        "SymbolicLink"};
    return names[info.index];
}

const ZipEntry kHostileEntries[] = {
    {"../evil", "x", 0644, {}},  {"sub/../../evil", "x", 0644, {}}, {"C:/evil", "x", 0644, {}},
    {"..\\evil", "x", 0644, {}}, {"link", {}, 0, "../../evil"},
};

INSTANTIATE_TEST_SUITE_P(Entries, HostileArchiveTest, ::testing::ValuesIn(kHostileEntries),
                         hostileEntryName);

TEST_F(ThreadPostTest, AbsoluteEntryNameIsRejected) {
    const QByteArray outside = m_root.path().toUtf8() + "/outside";
    publish(md5Hex(kNewProgram),
            makeZip({{"Sheetweaver", kNewProgram, 0755, {}}, {outside, "x", 0644, {}}}));
    expectRejected(runWorker());
    EXPECT_FALSE(QFile::exists(QString::fromUtf8(outside)));
}

TEST_F(ThreadPostTest, SymbolicLinkAsTheExecutableIsRejected) {
    publish(md5Hex(kNewProgram), makeZip({{"Sheetweaver", {}, 0, "/bin/sh"}}));
    EXPECT_EQ(runWorker().successSignals, 0);
    EXPECT_EQ(readFile(m_appPath), kOldProgram);
    EXPECT_FALSE(QFileInfo(m_appPath).isSymLink());
}

TEST_F(ThreadPostTest, ProgramIsReplacedUnderItsOwnNameWithItsOldCopyBeside) {
    // Folder, program name, and the name of the old copy: only a final ".exe" is dropped.
    const char* const rows[][3] = {
        {"renamed", "MyConverter", "MyConverter_old"},
        {"exe", "Tool.exe", "Tool_old"},
        {"a.exe.d", "Sheetweaver", "Sheetweaver_old"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
        ASSERT_TRUE(QDir(m_root.path()).mkdir(QString::fromUtf8(row[0])));
        m_appDir = m_root.path() + QLatin1Char('/') + QString::fromUtf8(row[0]) + QLatin1Char('/');
        setProgramName(QString::fromUtf8(row[1]));
        publish(md5Hex(kNewProgram), goodArchive());
        EXPECT_EQ(runWorker().successSignals, 1);
        EXPECT_EQ(readFile(m_appPath), kNewProgram);
        EXPECT_EQ(readFile(m_appDir + QString::fromUtf8(row[2])), kOldProgram);
        EXPECT_EQ(appDirEntries(),
                  QStringList({QString::fromUtf8(row[1]), QString::fromUtf8(row[2])}));
    }
}

TEST_F(ThreadPostTest, LeftoverOldFileIsReplacedByTheCurrentProgram) {
    ASSERT_TRUE(writeFile(oldPath(), "leftover from an earlier update"));
    publish(md5Hex(kNewProgram), goodArchive());
    EXPECT_EQ(runWorker().successSignals, 1);
    EXPECT_EQ(readFile(m_appPath), kNewProgram);
    EXPECT_EQ(readFile(oldPath()), kOldProgram);
}

TEST_F(ThreadPostTest, SecondaryServerIsUsedWhenThePrimaryRefuses) {
    RefusingPort refusing;
    publish(md5Hex(kNewProgram), goodArchive());
    EXPECT_EQ(runWorker(refusedEndpoint(refusing), serverEndpoint()).successSignals, 1);
    EXPECT_EQ(readFile(m_appPath), kNewProgram);
    EXPECT_EQ(requestCount("/dl/"), 1);
}

TEST_F(ThreadPostTest, UnansweredAttemptsAreRepeatedAndChangeNothing) {
    publish(md5Hex(kNewProgram), goodArchive());
    m_versionReply = "HTTP/1.0 503 Busy\r\nContent-Length: 0\r\n\r\n";
    RefusingPort refusing;
    const QStringList before = appDirEntries();
    const Outcome outcome = runWorker(serverEndpoint(), refusedEndpoint(refusing), 3);
    EXPECT_EQ(outcome.successSignals, 0);
    EXPECT_TRUE(outcome.balloonMessages.isEmpty());
    EXPECT_EQ(requestCount("/version"), 3);
    EXPECT_EQ(requestCount("/dl/"), 0);
    expectUnchanged(before);
}

TEST_F(ThreadPostTest, MissingOrMalformedFingerprintDownloadsNothing) {
    const QStringList before = appDirEntries();
    for (const QByteArray& reply :
         {QByteArray("{\"Other\":\"1\"}"), QByteArray("{\"Sheetweaver\":\"\"}"),
          QByteArray("{\"Sheetweaver\":\"") + md5Hex(kNewProgram) + "00\"}",
          QByteArray("{\"Sheetweaver\":\"zz") + md5Hex(kNewProgram).mid(2) + "\"}"}) {
        m_versionReply = okResponse(reply);
        m_downloadReply = okResponse(goodArchive());
        EXPECT_EQ(runWorker().successSignals, 0) << reply.constData();
    }
    EXPECT_EQ(requestCount("/dl/"), 0);
    expectUnchanged(before);
}

TEST_F(ThreadPostTest, EmptyHostsSwitchTheCheckOff) {
    publish(md5Hex(kNewProgram), goodArchive());
    ThreadPost::Endpoint off = serverEndpoint();
    off.host.clear();
    const QStringList before = appDirEntries();
    EXPECT_EQ(runWorker(off, off, 0).successSignals, 0);
    EXPECT_TRUE(m_server->requests().empty());
    expectUnchanged(before);
}

TEST_F(ThreadPostTest, BuildWithoutEndpointsMakesNoRequest) {
    // The default build leaves every endpoint empty.
    ThreadPost worker;
    worker.setPaths(m_appPath.toLocal8Bit(), m_appDir.toLocal8Bit(), archivePath().toLocal8Bit());
    worker.startPost();
    EXPECT_TRUE(m_server->requests().empty());
    EXPECT_EQ(readFile(m_appPath), kOldProgram);
}

TEST_F(ThreadPostTest, BalloonForAReceiverThatIsGoneIsDropped) {
    publish(md5Hex(kNewProgram), goodArchive());
    m_downloadReply = "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n";
    const QStringList before = appDirEntries();
    int calls = 0;
    QThread thread;
    ThreadPost* worker = makeWorker(serverEndpoint(), ThreadPost::Endpoint(), 1);
    auto* receiver = new QObject;
    worker->setBalloonHandler(receiver, [&calls](const QString&, const QString&, int) { ++calls; });
    worker->moveToThread(&thread);
    thread.start();
    QMetaObject::invokeMethod(worker, "startPost", Qt::BlockingQueuedConnection);
    delete receiver;
    QCoreApplication::processEvents();
    thread.quit();
    thread.wait();
    delete worker;
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(requestCount("/dl/"), 1);
    expectUnchanged(before);
}

TEST_F(ThreadPostTest, InterruptionEndsTheEndlessAttemptLoop) {
    RefusingPort refusing;
    QThread thread;
    ThreadPost* worker = makeWorker(refusedEndpoint(refusing), refusedEndpoint(refusing), -1);
    worker->moveToThread(&thread);
    QObject::connect(&thread, &QThread::started, worker, &ThreadPost::startPost);
    thread.start();
    thread.requestInterruption();
    thread.quit();
    EXPECT_TRUE(thread.wait(30000));
    delete worker;
    EXPECT_EQ(readFile(m_appPath), kOldProgram);
}

}  // namespace
