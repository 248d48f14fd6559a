#include "engine/documentdiscovery.h"
#include "engine/documentwalk.h"
#include "engine/failurereport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

// What a walk of `path` lists: its files, and the folders it could not read.
struct Walked {
    QFileInfoList files;
    QStringList unreadableFolders;
};

Walked walk(const QString& path) {
    Walked found;
    DocumentWalk walk(path);
    DocumentWalk::Entry entry;
    while (walk.next(entry)) {
        found.files.append(QFileInfo(QDir::fromNativeSeparators(entry.nativePath)));
    }
    found.unreadableFolders = walk.unreadableFolders();
    return found;
}

QFileInfoList collectFiles(const QString& path) {
    return walk(path).files;
}

class DiscoveryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(temp.isValid()); }

    void touch(const QString& relativePath) {
        const QString path = temp.path() + QLatin1Char('/') + relativePath;
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    // The listed paths relative to the temporary folder.
    QStringList listed() const {
        QStringList names;
        const QDir root(temp.path());
        for (const QFileInfo& entry : collectFiles(temp.path())) {
            names << root.relativeFilePath(entry.absoluteFilePath());
        }
        return names;
    }

    QTemporaryDir temp;
};

TEST_F(DiscoveryTest, FilesOfAFolderComeBeforeItsSubfolders) {
    touch(QStringLiteral("b.docx"));
    touch(QStringLiteral("a.doc"));
    touch(QStringLiteral("Sub/c.doc"));
    EXPECT_EQ(listed(), (QStringList{QStringLiteral("a.doc"), QStringLiteral("b.docx"),
                                     QStringLiteral("Sub/c.doc")}));
}

TEST_F(DiscoveryTest, NamesAreSortedWithoutRegardToCase) {
    touch(QStringLiteral("C.doc"));
    touch(QStringLiteral("b.doc"));
    touch(QStringLiteral("beta/y.doc"));
    touch(QStringLiteral("Alpha/x.doc"));
    EXPECT_EQ(listed(), (QStringList{QStringLiteral("b.doc"), QStringLiteral("C.doc"),
                                     QStringLiteral("Alpha/x.doc"), QStringLiteral("beta/y.doc")}));
}

TEST_F(DiscoveryTest, HiddenFilesAreListedHiddenFoldersAreNotEntered) {
    touch(QStringLiteral(".hidden.doc"));
    touch(QStringLiteral(".secret/inside.doc"));
    EXPECT_EQ(listed(), QStringList{QStringLiteral(".hidden.doc")});
}

TEST_F(DiscoveryTest, FileLinksAreSkippedFolderLinksAreEntered) {
    touch(QStringLiteral("real/a.doc"));
    touch(QStringLiteral("elsewhere/b.doc"));
    ASSERT_TRUE(QFile::link(temp.path() + QStringLiteral("/real/a.doc"),
                            temp.path() + QStringLiteral("/real/link.doc")));
    ASSERT_TRUE(QFile::link(temp.path() + QStringLiteral("/elsewhere"),
                            temp.path() + QStringLiteral("/real/linked")));
    const QFileInfoList files = collectFiles(temp.path() + QStringLiteral("/real"));
    QStringList names;
    for (const QFileInfo& file : files) {
        names << file.fileName();
    }
    EXPECT_EQ(names, (QStringList{QStringLiteral("a.doc"), QStringLiteral("b.doc")}));
}

TEST_F(DiscoveryTest, AFolderLinkBackToAnAncestorEndsTheWalk) {
    touch(QStringLiteral("top/a.doc"));
    QDir().mkpath(temp.path() + QStringLiteral("/top/inner"));
    ASSERT_TRUE(QFile::link(temp.path() + QStringLiteral("/top"),
                            temp.path() + QStringLiteral("/top/inner/loop")));
    const QFileInfoList files = collectFiles(temp.path() + QStringLiteral("/top"));
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(files.first().fileName(), QStringLiteral("a.doc"));
}

TEST_F(DiscoveryTest, MissingUnreadableOrEmptyFolderGivesNothing) {
    EXPECT_TRUE(collectFiles(temp.path() + QStringLiteral("/none")).isEmpty());
    EXPECT_TRUE(collectFiles(QString()).isEmpty());
    touch(QStringLiteral("locked/a.doc"));
    const QString locked = temp.path() + QStringLiteral("/locked");
    QFile::setPermissions(locked, QFileDevice::Permissions());
#ifndef _WIN32
    if (geteuid() != 0) {  // root reads every folder
        EXPECT_TRUE(collectFiles(locked).isEmpty());
    }
#endif
    QFile::setPermissions(locked,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(CandidateTest, EndingsAreTestedCaseSensitively) {
    EXPECT_TRUE(DocumentDiscovery::isCandidate(QStringLiteral("/s/a.doc")));
    EXPECT_TRUE(DocumentDiscovery::isCandidate(QStringLiteral("/s/b.docx")));
    EXPECT_TRUE(DocumentDiscovery::isCandidate(QStringLiteral("/s/c.docm")));
    EXPECT_FALSE(DocumentDiscovery::isCandidate(QStringLiteral("/s/Report.DOCX")));
    EXPECT_FALSE(DocumentDiscovery::isCandidate(QStringLiteral("/s/a.Doc")));
    EXPECT_FALSE(DocumentDiscovery::isCandidate(QStringLiteral("/s/a.doc.txt")));
    EXPECT_FALSE(DocumentDiscovery::isCandidate(QStringLiteral("/s/a.xls")));
    EXPECT_FALSE(DocumentDiscovery::isCandidate(QStringLiteral("/s/a.dotx")));
}

TEST(CandidateTest, OwnerFileMarkAnywhereInThePathExcludes) {
    EXPECT_FALSE(DocumentDiscovery::isCandidate(QStringLiteral("/s/~$Report.docx")));
    EXPECT_FALSE(DocumentDiscovery::isCandidate(QStringLiteral("/s/x~$y/Report.docx")));
    EXPECT_FALSE(DocumentDiscovery::isCandidate(QStringLiteral("~$.doc")));
    EXPECT_TRUE(DocumentDiscovery::isCandidate(QStringLiteral("/s/~/$a.doc")));
}

}  // namespace

TEST_F(DiscoveryTest, FolderLinksFanningOutWalkEachRealFolderOnce) {
    // Level n holds links "a" and "b" to level n + 1: 2^14 ways down to the one document.
    const int levels = 14;
    for (int n = 0; n < levels; ++n) {
        const QString level = temp.path() + QStringLiteral("/level") + QString::number(n);
        QDir().mkpath(level);
        if (n + 1 < levels) {
            const QString next = temp.path() + QStringLiteral("/level") + QString::number(n + 1);
            ASSERT_TRUE(QFile::link(next, level + QStringLiteral("/a")));
            ASSERT_TRUE(QFile::link(next, level + QStringLiteral("/b")));
        }
    }
    touch(QStringLiteral("level13/deep.doc"));
    const Walked found = walk(temp.path() + QStringLiteral("/level0"));
    ASSERT_EQ(found.files.size(), 1);
    EXPECT_EQ(found.files.first().fileName(), QStringLiteral("deep.doc"));
    EXPECT_TRUE(found.unreadableFolders.isEmpty());
}

TEST(FailureReportLine, LineBreaksInNamesAreEscaped) {
    const struct {
        const char* name;
        QString path;
        QString line;
    } rows[] = {
        {"plain", QStringLiteral("/s/a.doc"), QStringLiteral("/s/a.doc\n")},
        {"line feed", QStringLiteral("/s/a\nb.doc"), QStringLiteral("/s/a\\nb.doc\n")},
        {"carriage return", QStringLiteral("/s/a\r.doc"), QStringLiteral("/s/a\\r.doc\n")},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FailureReport::line(row.path), row.line) << row.name;
    }
}

TEST(FailureReportWrite, ALinkAtTheReportsNameIsReplacedNotFollowed) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString outside = temp.filePath(QStringLiteral("outside.txt"));
    const QString report = temp.filePath(QStringLiteral("report.txt"));
    QFile target(outside);
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    target.write("untouched");
    target.close();
    ASSERT_TRUE(QFile::link(outside, report));
    ASSERT_TRUE(FailureReport::write(report, QStringLiteral("/s/a.doc\n")));
    ASSERT_TRUE(target.open(QIODevice::ReadOnly));
    EXPECT_EQ(target.readAll(), QByteArray("untouched"));
    EXPECT_FALSE(QFileInfo(report).isSymLink());
    QFile written(report);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("/s/a.doc\n"));
    // A folder in the way: the report cannot be written, and says so.
    const QString blocked = temp.filePath(QStringLiteral("blocked.txt"));
    ASSERT_TRUE(QDir().mkpath(blocked));
    EXPECT_FALSE(FailureReport::write(blocked, QStringLiteral("/s/a.doc\n")));
}
