#include "update/updatearchive.h"

#include "tests/update/updatetestdata.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// An archive written into a temporary folder, with a second folder to extract into.
class UpdateArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("out")));
    }

    /* Write entries as the archive and return its path. */
    QString archive(const QList<ZipEntry>& entries) {
        const QByteArray bytes = makeZip(entries);
        EXPECT_FALSE(bytes.isEmpty());
        EXPECT_TRUE(writeFile(zipPath(), bytes));
        return zipPath();
    }

    QString zipPath() const { return m_dir.filePath(QStringLiteral("update.zip")); }
    QString outPath(const char* name) const {
        return m_dir.filePath(QStringLiteral("out/") + QString::fromUtf8(name));
    }
    QStringList outEntries() const {
        return QDir(m_dir.filePath(QStringLiteral("out")))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir m_dir;
};

TEST(UpdateArchiveNames, SafeNamesStayBelowTheFolder) {
    for (const char* name : {"Sheetweaver", "Sheetweaver.exe", "dir/file", "dir/", "a..b", "..a",
                             "a/b../c", "./x", "\xe4\xb8\xad.txt"}) {
        EXPECT_TRUE(UpdateArchive::isSafeEntryName(QString::fromUtf8(name))) << name;
    }
}

TEST(UpdateArchiveNames, NamesThatCouldLeaveTheFolderAreUnsafe) {
    for (const char* name :
         {"", "/etc/passwd", "/", "../x", "..", "a/../b", "a/..", "a/b/../../..", "C:x", "c:/x",
          "C:\\x", "a\\b", "\\x", "..\\x", "x:y", "Sheetweaver.exe:stream"}) {
        EXPECT_FALSE(UpdateArchive::isSafeEntryName(QString::fromUtf8(name))) << name;
    }
}

TEST_F(UpdateArchiveTest, GoodArchivePassesAndItsEntryIsExtractedWhole) {
    QByteArray program;
    for (int i = 0; i < 300000; ++i) {
        program.append(static_cast<char>((i * 7) % 256));
    }
    UpdateArchive zip(archive({{"Sheetweaver", program, 0755, {}}, {"docs/readme", "r", 0, {}}}));
    EXPECT_EQ(zip.check(), UpdateArchive::Ok);
    EXPECT_TRUE(zip.offendingEntry().isEmpty());
    EXPECT_EQ(zip.extractEntry(QStringLiteral("Sheetweaver"), outPath("new")), UpdateArchive::Ok);
    EXPECT_EQ(readFile(outPath("new")), program);
    EXPECT_EQ(zip.extractEntry(QStringLiteral("docs/readme"), outPath("readme")),
              UpdateArchive::Ok);
    EXPECT_EQ(readFile(outPath("readme")), "r");
}

TEST_F(UpdateArchiveTest, OneUnsafeEntryRejectsTheWholeArchive) {
    UpdateArchive zip(
        archive({{"Sheetweaver", "p", 0755, {}}, {"a/../../x", "x", 0, {}}, {"b", "b", 0, {}}}));
    EXPECT_EQ(zip.check(), UpdateArchive::UnsafeEntry);
    EXPECT_EQ(zip.offendingEntry(), QStringLiteral("a/../../x"));
}

TEST_F(UpdateArchiveTest, SymbolicLinkEntryRejectsTheArchive) {
    UpdateArchive zip(archive({{"Sheetweaver", "p", 0755, {}}, {"lib", {}, 0, "/usr/lib"}}));
    EXPECT_EQ(zip.check(), UpdateArchive::UnsafeEntry);
    EXPECT_EQ(zip.offendingEntry(), QStringLiteral("lib"));
}

TEST_F(UpdateArchiveTest, ArchiveWithoutEntriesIsUnusable) {
    // QuaZip does not open an archive that holds nothing but its end record.
    UpdateArchive zip(archive({}));
    EXPECT_EQ(zip.check(), UpdateArchive::CannotOpen);
    EXPECT_EQ(zip.extractEntry(QStringLiteral("Sheetweaver"), outPath("new")),
              UpdateArchive::CannotOpen);
    EXPECT_TRUE(outEntries().isEmpty());
}

TEST_F(UpdateArchiveTest, UnreadableArchivesCannotBeOpened) {
    UpdateArchive missing(m_dir.filePath(QStringLiteral("absent.zip")));
    EXPECT_EQ(missing.check(), UpdateArchive::CannotOpen);
    ASSERT_TRUE(writeFile(zipPath(), "<html>not found</html>"));
    UpdateArchive html(zipPath());
    EXPECT_EQ(html.check(), UpdateArchive::CannotOpen);
    EXPECT_EQ(html.extractEntry(QStringLiteral("Sheetweaver"), outPath("new")),
              UpdateArchive::CannotOpen);
    EXPECT_TRUE(outEntries().isEmpty());
}

TEST_F(UpdateArchiveTest, EntryNamesAreMatchedExactly) {
    UpdateArchive zip(archive({{"bin/Sheetweaver", "p", 0755, {}}, {"SHEETWEAVER", "q", 0, {}}}));
    EXPECT_EQ(zip.check(), UpdateArchive::Ok);
    EXPECT_EQ(zip.extractEntry(QStringLiteral("Sheetweaver"), outPath("new")),
              UpdateArchive::EntryMissing);
    EXPECT_TRUE(outEntries().isEmpty());
}

TEST_F(UpdateArchiveTest, ExistingTargetIsNeverOverwritten) {
    UpdateArchive zip(archive({{"Sheetweaver", "new", 0755, {}}}));
    ASSERT_TRUE(writeFile(outPath("new"), "keep me"));
    EXPECT_EQ(zip.extractEntry(QStringLiteral("Sheetweaver"), outPath("new")),
              UpdateArchive::CannotWrite);
    EXPECT_EQ(readFile(outPath("new")), "keep me");
}

TEST_F(UpdateArchiveTest, DamagedEntryLeavesNoTargetBehind) {
    QByteArray program;
    for (int i = 0; i < 20000; ++i) {
        program.append(static_cast<char>('a' + (i * i) % 26));
    }
    QByteArray bytes = makeZip({{"Sheetweaver", program, 0755, {}}});
    // The deflated data starts after the 30-byte local header and the 11-byte name.
    ASSERT_GT(bytes.size(), 200);
    for (int i = 30 + 11 + 20; i < 30 + 11 + 60; ++i) {
        bytes[i] = static_cast<char>(bytes[i] ^ 0x5a);
    }
    ASSERT_TRUE(writeFile(zipPath(), bytes));
    UpdateArchive zip(zipPath());
    EXPECT_EQ(zip.check(), UpdateArchive::Ok);
    EXPECT_EQ(zip.extractEntry(QStringLiteral("Sheetweaver"), outPath("new")),
              UpdateArchive::Corrupt);
    EXPECT_TRUE(outEntries().isEmpty());
}

}  // namespace
