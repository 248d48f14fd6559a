#include "app/instancegate.h"
#include "app/startuppaths.h"
#include "support/processlist.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

#include <signal.h>
#include <sys/types.h>

namespace {

/* The desktop program built beside the tests, or an empty text when unknown. */
QString programPath() {
    const QByteArray build = qgetenv("SW_BUILD_DIR");
    if (build.isEmpty()) {
        return QString();
    }
    return QString::fromLocal8Bit(build) + QStringLiteral("/bin/Sheetweaver");
}

/* Start the program in a scratch folder without a window system of its own. */
std::unique_ptr<QProcess> startProgram(const QString& path, const QString& folder) {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // The copies of one test meet through the socket and marker in their own temporary
    // folder, not those of other programs' copies on this machine.
    env.insert(QStringLiteral("TMPDIR"), folder);
    // A copy that ends by itself is checked for leaks in the sanitizer build; Qt's offscreen
    // platform keeps its screen to the end.
    env.insert(QStringLiteral("LSAN_OPTIONS"),
               QStringLiteral("suppressions=" SW_SOURCE_DIR "/tests/app/lsan.supp"));
    process->setProcessEnvironment(env);
    process->setWorkingDirectory(folder);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(path, QStringList());
    return process;
}

/* Wait until the process count for name reaches count; false after the time limit. */
bool waitForCount(const char* name, int count, int msecs) {
    QDeadlineTimer deadline(msecs);
    while (!deadline.hasExpired()) {
        if (countProcessesByName(name) == count) {
            return true;
        }
        QThread::msleep(20);
    }
    return countProcessesByName(name) == count;
}

/* Stop a process left running by a test. */
void stop(QProcess& process) {
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    }
}

class SingleInstance : public ::testing::Test {
protected:
    void SetUp() override {
        m_program = programPath();
        if (m_program.isEmpty() || !QFile::exists(m_program)) {
            GTEST_SKIP() << "the desktop program is not built (SW_BUILD_DIR unset)";
        }
        // Another copy running on this machine would be ended by the check under test.
        if (countProcessesByName(programFileName) != 0) {
            GTEST_SKIP() << "another copy of the program runs already";
        }
        ASSERT_TRUE(m_dir.isValid());
    }

    QString m_program;
    QTemporaryDir m_dir;
};

}  // namespace

TEST_F(SingleInstance, OneCopyRunsAloneAndIsNotEnded) {
    auto first = startProgram(m_program, m_dir.path());
    ASSERT_TRUE(first->waitForStarted(10000));
    ASSERT_TRUE(waitForCount(programFileName, 1, 10000));
    // Still running well after its own check.
    EXPECT_FALSE(first->waitForFinished(1500));
    EXPECT_EQ(first->state(), QProcess::Running);
    stop(*first);
}

TEST_F(SingleInstance, SecondCopyHandsOverToTheFirstAndEnds) {
    auto first = startProgram(m_program, m_dir.path());
    ASSERT_TRUE(first->waitForStarted(10000));
    ASSERT_TRUE(waitForCount(programFileName, 1, 10000));
    QThread::msleep(1000);  // the first copy listens for later copies
    auto second = startProgram(m_program, m_dir.path());
    ASSERT_TRUE(second->waitForStarted(10000));

    // The second copy is answered and leaves by itself; the first one keeps running.
    ASSERT_TRUE(second->waitForFinished(10000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(first->state(), QProcess::Running);
    EXPECT_EQ(countProcessesByName(programFileName), 1);
    stop(*first);
}

TEST_F(SingleInstance, CopyThatDoesNotAnswerIsHandledByName) {
    auto first = startProgram(m_program, m_dir.path());
    ASSERT_TRUE(first->waitForStarted(10000));
    ASSERT_TRUE(waitForCount(programFileName, 1, 10000));
    QThread::msleep(1000);
    // A stopped copy accepts the connection but never answers, like one that is ending.
    ASSERT_EQ(::kill(pid_t(first->processId()), SIGSTOP), 0);
    auto second = startProgram(m_program, m_dir.path());
    ASSERT_TRUE(second->waitForStarted(10000));

    // After the wait for an answer, one of the two is ended by name; the other remains.
    QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired() && first->state() == QProcess::Running &&
           second->state() == QProcess::Running) {
        first->waitForFinished(50);
        second->waitForFinished(50);
    }
    const bool firstRuns = first->state() == QProcess::Running;
    const bool secondRuns = second->state() == QProcess::Running;
    EXPECT_NE(firstRuns, secondRuns);
    if (firstRuns) {
        ::kill(pid_t(first->processId()), SIGCONT);
    }
    QThread::msleep(500);
    EXPECT_EQ(countProcessesByName(programFileName), 1);
    stop(*first);
    stop(*second);
}

TEST_F(SingleInstance, CopyThatConvertsIsNeverEndedByName) {
    auto first = startProgram(m_program, m_dir.path());
    ASSERT_TRUE(first->waitForStarted(10000));
    ASSERT_TRUE(waitForCount(programFileName, 1, 10000));
    QThread::msleep(1000);
    // The first copy does not answer and holds the marker of a running conversion, as a copy
    // busy converting would (the lock file records its process and program).
    ASSERT_EQ(::kill(pid_t(first->processId()), SIGSTOP), 0);
    QFile marker(
        m_dir.path() + QLatin1Char('/') +
        InstanceGate::serverName(InstanceGate::programIdentity(), qEnvironmentVariable("USER")) +
        QStringLiteral(".run"));
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.write(QByteArray::number(first->processId()) + "\nSheetweaver\n" +
                 QSysInfo::machineHostName().toUtf8() + '\n');
    marker.close();
    auto second = startProgram(m_program, m_dir.path());
    ASSERT_TRUE(second->waitForStarted(10000));

    // Well after the wait for an answer both still run: the second shows its message.
    second->waitForFinished(6000);
    EXPECT_EQ(first->state(), QProcess::Running);
    EXPECT_EQ(second->state(), QProcess::Running);
    ::kill(pid_t(first->processId()), SIGCONT);
    stop(*first);
    stop(*second);
}

TEST_F(SingleInstance, CopyUnderAnotherNameAndFolderHandsOver) {
    // The same program copied elsewhere under another name is still the same program.
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    const QString renamed = elsewhere.path() + QStringLiteral("/Weaver2");
    ASSERT_TRUE(QFile::copy(m_program, renamed));
    auto other = startProgram(renamed, m_dir.path());
    ASSERT_TRUE(other->waitForStarted(10000));
    QThread::msleep(1000);
    auto real = startProgram(m_program, m_dir.path());
    ASSERT_TRUE(real->waitForStarted(10000));
    ASSERT_TRUE(real->waitForFinished(10000));
    EXPECT_EQ(real->exitCode(), 0);
    EXPECT_EQ(other->state(), QProcess::Running);
    stop(*other);
}
