#include "support/settingsfile.h"

#include "tests/support/tempfolder.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace {

const std::string kTwoLines = "SourcePath=D:\\Word\r\nSavePath=D:\\Out\r\n";

/* The value of key in text. */
std::string valueOf(std::string_view text, std::string_view key) {
    std::string out = "untouched";
    getKeyValue(out, text, key);
    return out;
}

/* text with key set to value. */
std::string withValue(std::string_view text, std::string_view key, std::string_view value) {
    std::string out;
    setKeyValueInText(out, text, key, value);
    return out;
}

/* Run fn in a child process, which first drops root rights when dropRoot is set and the test
   runs as root, so that permission bits apply to it; its exit status, or -1 when it did not
   exit normally. */
template <typename Fn>
int runInChild(bool dropRoot, Fn fn) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (dropRoot && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(100);
        }
        ::_exit(fn());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

}  // namespace

TEST(GetKeyValue, ReadsTheTrimmedValueAfterTheFirstMarkerUpToCrLf) {
    // Row name, text, key, value read.
    const std::string rows[][4] = {
        {"FirstKey", kTwoLines, "SourcePath", "D:\\Word"},
        {"SecondKey", kTwoLines, "SavePath", "D:\\Out"},
        {"AbsentKey", kTwoLines, "TemplatePath", ""},
        {"BlanksAroundValue", "SourcePath= \t D:\\My Word \t\r\n", "SourcePath", "D:\\My Word"},
        {"BlanksAroundText", "  \tSavePath=x\r\n  ", "SavePath", "x"},
        {"EmptyValue", "SavePath=\r\n", "SavePath", ""},
        // A value needs its CR LF: without a line end, or with bare line feeds, it reads empty.
        {"Unterminated", "SourcePath=D:\\Word\r\nSavePath=D:\\Out", "SavePath", ""},
        {"BeforeUnterminated", "SourcePath=D:\\Word\r\nSavePath=D:\\Out", "SourcePath", "D:\\Word"},
        {"BareLineFeedFirst", "SourcePath=D:\\Word\nSavePath=D:\\Out\n", "SourcePath", ""},
        {"BareLineFeedLast", "SourcePath=D:\\Word\nSavePath=D:\\Out\n", "SavePath", ""},
        {"BlanksAroundEqualsSignHideKey", "SourcePath = x\r\n", "SourcePath", ""},
        // The marker is matched anywhere: inside a longer key, or inside an earlier value.
        {"InsideALongerKey", "OldSavePath=a\r\nSavePath=b\r\n", "SavePath", "a"},
        {"InsideAnEarlierValue", "SourcePath=x SavePath=y\r\nSavePath=b\r\n", "SavePath", "y"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
        EXPECT_EQ(valueOf(row[1], row[2]), row[3]);
    }
}

TEST(SetKeyValueInText, RewritesTheFirstMarkerOrAppendsACrLfLine) {
    // Row name, text, key, value written, text that results, value read back from it.
    const std::string rows[][6] = {
        // Replacing keeps the other lines byte for byte.
        {"ReplaceSecond", kTwoLines, "SavePath", "E:\\New",
         "SourcePath=D:\\Word\r\nSavePath=E:\\New\r\n", "E:\\New"},
        {"ReplaceFirst", kTwoLines, "SourcePath", "F:\\", "SourcePath=F:\\\r\nSavePath=D:\\Out\r\n",
         "F:\\"},
        {"NewKeyIsLastLine", kTwoLines, "TemplatePath", "D:\\t.xls",
         kTwoLines + "TemplatePath=D:\\t.xls\r\n", "D:\\t.xls"},
        {"UnterminatedLastLineGetsItsEnd", "SavePath=D:\\Out", "SourcePath", "D:\\W",
         "SavePath=D:\\Out\r\nSourcePath=D:\\W\r\n", "D:\\W"},
        {"UnterminatedValueGetsItsEnd", "A=1\r\nSavePath=D:\\Out", "SavePath", "E:\\",
         "A=1\r\nSavePath=E:\\\r\n", "E:\\"},
        {"BareLineFeedEndGetsNoExtraEnd", "A=1\n", "SavePath", "x", "A=1\nSavePath=x\r\n", "x"},
        {"EmptyTextStartsWithEmptyLine", "", "SavePath", "D:\\Out", "\r\nSavePath=D:\\Out\r\n",
         "D:\\Out"},
        // Blanks around a value are written but not read back.
        {"BlanksAroundValue", kTwoLines, "SavePath", "  E:\\New\t",
         "SourcePath=D:\\Word\r\nSavePath=  E:\\New\t\r\n", "E:\\New"},
        {"FirstOccurrenceRewritten", "OldSavePath=a\r\nSavePath=b\r\n", "SavePath", "c",
         "OldSavePath=c\r\nSavePath=b\r\n", "c"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
        const std::string text = withValue(row[1], row[2], row[3]);
        EXPECT_EQ(text, row[4]);
        EXPECT_EQ(valueOf(text, row[2]), row[5]);
    }
}

TEST(ReadWholeFile, ReadsEveryByte) {
    TempFolder folder;
    const std::string bytes = std::string("A=1\r\n\0B=\xc4\xe3\r\n", 12);
    const std::string path = folder.write("Sheetweaver.qvr", bytes);
    std::string text = "old";
    EXPECT_EQ(readWholeFile(text, path), 0);
    EXPECT_EQ(text, bytes);
}

TEST(ReadWholeFile, LongFileIsCutAtTheLimit) {
    TempFolder folder;
    const std::string path = folder.write("big.qvr", std::string(20000, 'x'));
    std::string text;
    EXPECT_EQ(readWholeFile(text, path, 10239), 0);
    EXPECT_EQ(text.size(), 10239u);
    EXPECT_EQ(readWholeFile(text, path), 0);
    EXPECT_EQ(text.size(), 20000u);
}

TEST(ReadWholeFile, AbsentFileOrFolderLeavesDestinationUntouched) {
    TempFolder folder;
    std::string text = "untouched";
    EXPECT_EQ(readWholeFile(text, folder.file("absent.qvr")), -1);
    EXPECT_EQ(readWholeFile(text, folder.path()), -1);
    EXPECT_EQ(readWholeFile(text, ""), -1);
    EXPECT_EQ(text, "untouched");
}

TEST(SetKeyValueInFile, RewritesTheFile) {
    TempFolder folder;
    const std::string path = folder.write("Sheetweaver.qvr", kTwoLines);
    EXPECT_EQ(setKeyValueInFile(path, "SavePath", "E:\\New"), 0);
    EXPECT_EQ(TempFolder::read(path), "SourcePath=D:\\Word\r\nSavePath=E:\\New\r\n");
    EXPECT_EQ(setKeyValueInFile(path, "TemplatePath", "E:\\t.xlsx"), 0);
    EXPECT_EQ(TempFolder::read(path),
              "SourcePath=D:\\Word\r\nSavePath=E:\\New\r\nTemplatePath=E:\\t.xlsx\r\n");
    // No temporary file is left beside it.
    EXPECT_EQ(folder.entryCount(), 1);
}

TEST(SetKeyValueInFile, EmptyFileGetsFirstKey) {
    TempFolder folder;
    const std::string path = folder.write("Sheetweaver.qvr", "");
    EXPECT_EQ(setKeyValueInFile(path, "SourcePath", "D:\\Word"), 0);
    EXPECT_EQ(TempFolder::read(path), "\r\nSourcePath=D:\\Word\r\n");
}

TEST(SetKeyValueInFile, BareLineFeedFileIsAppendedTo) {
    TempFolder folder;
    const std::string path = folder.write("Sheetweaver.qvr", "SourcePath=a\nSavePath=b\n");
    EXPECT_EQ(setKeyValueInFile(path, "SavePath", "c"), 0);
    // "SavePath=" is found, and its line runs to the end: no "\r\n" follows it.
    EXPECT_EQ(TempFolder::read(path), "SourcePath=a\nSavePath=c\r\n");
}

TEST(SetKeyValueInFile, AbsentFileIsNeverCreated) {
    TempFolder folder;
    const std::string path = folder.file("Sheetweaver.qvr");
    EXPECT_EQ(setKeyValueInFile(path, "SourcePath", "D:\\Word"), -1);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(folder.entryCount(), 0);
}

TEST(SetKeyValueInFile, KeepsPermissionsAndLinks) {
    TempFolder folder;
    const std::string path = folder.write("real.qvr", kTwoLines);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const std::string link = folder.file("Sheetweaver.qvr");
    ASSERT_EQ(::symlink("real.qvr", link.c_str()), 0);
    EXPECT_EQ(setKeyValueInFile(link, "SavePath", "x"), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(TempFolder::read(path), "SourcePath=D:\\Word\r\nSavePath=x\r\n");
    struct stat info;
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(SetKeyValueInFile, UnwritableFolderLeavesOldFile) {
    TempFolder folder;
    const std::string path = folder.write("Sheetweaver.qvr", kTwoLines);
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(folder.path().c_str(), 0555), 0);
    const int result = runInChild(
        true, [&path] { return setKeyValueInFile(path, "SavePath", "E:\\New") == -1 ? 0 : 1; });
    ::chmod(folder.path().c_str(), 0700);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(TempFolder::read(path), kTwoLines);
    EXPECT_EQ(folder.entryCount(), 1);
}

TEST(SetKeyValueInFile, WriteThatFailsMidwayLeavesOldFile) {
    TempFolder folder;
    const std::string path = folder.write("Sheetweaver.qvr", kTwoLines);
    // Files may not grow beyond the old size: the rewrite stops part-way, as on a full disk.
    const int result = runInChild(false, [&path] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit = {static_cast<rlim_t>(kTwoLines.size()),
                              static_cast<rlim_t>(kTwoLines.size())};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            return 2;
        }
        return setKeyValueInFile(path, "TemplatePath", "D:\\t.xls") == -1 ? 0 : 1;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(TempFolder::read(path), kTwoLines);
    EXPECT_EQ(folder.entryCount(), 1);
}

TEST(SetKeyValueInFile, FileThatCannotBeReadIsLeftAlone) {
    TempFolder folder;
    const std::string path = folder.write("Sheetweaver.qvr", kTwoLines);
    ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0200), 0);
    const int result = runInChild(
        true, [&path] { return setKeyValueInFile(path, "SavePath", "x") == -1 ? 0 : 1; });
    ::chmod(path.c_str(), 0600);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(TempFolder::read(path), kTwoLines);
}
