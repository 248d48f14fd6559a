#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

// Closing the window while a conversion runs asks first; once the user agrees the program ends
// cleanly: exit status 0, no abort for a thread object destroyed while its thread still runs,
// and no wait for the job.

TEST(QuitDuringJob, ProgramEndsAtOnceWithoutDestroyingTheRunningThread) {
    const QByteArray build = qgetenv("SW_BUILD_DIR");
    ASSERT_FALSE(build.isEmpty()) << "SW_BUILD_DIR is not set";
    const QString helper =
        QString::fromLocal8Bit(build) + QStringLiteral("/tests/sw_quit_during_job");
    ASSERT_TRUE(QFile::exists(helper));

    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(helper, QStringList());
    ASSERT_TRUE(process.waitForStarted(10000));
    ASSERT_TRUE(process.waitForFinished(60000));
    const QByteArray out = process.readAllStandardOutput();
    const QByteArray err = process.readAllStandardError();

    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << err.constData();
    EXPECT_EQ(process.exitCode(), 0) << err.constData();
    EXPECT_TRUE(out.contains("job started: yes")) << out.constData();
    // Asked twice: "no" kept the window open, "yes" ended the program.
    EXPECT_EQ(out.count("asked: 正在转换，确定要退出吗？"), 2) << out.constData();
    EXPECT_TRUE(out.contains("after no: open")) << out.constData();
    EXPECT_TRUE(out.contains("event loop ended: 0")) << out.constData();
    EXPECT_FALSE(err.contains("QThread: Destroyed")) << err.constData();
}

TEST(QuitDuringJob, EndsBeforeTheBusyJobCouldFinish) {
    const QByteArray build = qgetenv("SW_BUILD_DIR");
    ASSERT_FALSE(build.isEmpty());
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(QString::fromLocal8Bit(build) + QStringLiteral("/tests/sw_quit_during_job"),
                  QStringList());
    ASSERT_TRUE(process.waitForFinished(60000));
    // The slow Word call takes three seconds and reports its end; the program ends before.
    const QByteArray out = process.readAllStandardOutput();
    EXPECT_TRUE(out.contains("event loop ended: 0")) << out.constData();
    EXPECT_FALSE(out.contains("slow call ended")) << out.constData();
}
