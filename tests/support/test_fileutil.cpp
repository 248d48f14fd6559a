#include "support/fileutil.h"

#include "tests/support/tempfolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

using Folders = std::vector<std::string>;

/* True when path is an existing folder. */
bool isFolder(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// One row of the folders tried for a path.
struct PrefixCase {
    const char* name;
    std::string dir;
    char separator;
    Folders expected;
};

/* The name a row shows in the test list. */
std::string rowName(const ::testing::TestParamInfo<PrefixCase>& row) {
    return row.param.name;
}

class DirectoryPrefixes : public ::testing::TestWithParam<PrefixCase> {};

}  // namespace

TEST(StreamSize, SizeWithPositionKept) {
    TempFolder folder;
    const std::string path = folder.write("f.bin", "0123456789");
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fseek(file, 3, SEEK_SET), 0);
    EXPECT_EQ(streamSize(file), 10u);
    EXPECT_EQ(std::fgetc(file), '3');
    std::fclose(file);
}

TEST(StreamSize, EmptyFileAndNullStream) {
    TempFolder folder;
    const std::string path = folder.write("empty.bin", "");
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(streamSize(file), 0u);
    std::fclose(file);
    EXPECT_EQ(streamSize(nullptr), 0u);
}

TEST(PathExists, FilesFoldersAndLinksCountAlike) {
    TempFolder folder;
    const std::string file = folder.write("a.txt", "x");
    EXPECT_TRUE(pathExists(file));
    EXPECT_TRUE(pathExists(folder.path()));
    EXPECT_TRUE(pathExists(folder.path() + "/"));
    const std::string dangling = folder.file("dangling");
    ASSERT_EQ(::symlink("nowhere", dangling.c_str()), 0);
    EXPECT_TRUE(pathExists(dangling));
}

TEST(PathExists, EmptyOrMissingPathIsFalse) {
    TempFolder folder;
    folder.write("a.txt", "x");
    EXPECT_FALSE(pathExists(""));
    EXPECT_FALSE(pathExists(folder.file("b.txt")));
    EXPECT_FALSE(pathExists(folder.file("a.txt/inside")));
    // No globbing here: a wildcard is an ordinary byte.
    EXPECT_FALSE(pathExists(folder.file("*.txt")));
}

TEST(PathExists, PathEndsAtItsFirstNul) {
    TempFolder folder;
    const std::string file = folder.write("a.txt", "x");
    std::string buffer = file;
    buffer.resize(1024, '\0');
    EXPECT_TRUE(pathExists(buffer));
    EXPECT_FALSE(pathExists(std::string("\0", 1) + file));
}

TEST_P(DirectoryPrefixes, FoldersInOrder) {
    const PrefixCase& row = GetParam();
    EXPECT_EQ(directoryPrefixes(row.dir, row.separator), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, DirectoryPrefixes,
    ::testing::Values(
        PrefixCase{
            "forwardSlashes", "C:/Out/A/B", '\\', {"C:\\Out", "C:\\Out\\A", "C:\\Out\\A\\B"}},
        PrefixCase{"trailingSeparator", "C:\\Out\\", '\\', {"C:\\Out"}},
        PrefixCase{"relative", "a/b/c", '\\', {"a\\b", "a\\b\\c"}},
        PrefixCase{"driveOnly", "C:", '\\', {}}, PrefixCase{"driveRoot", "C:\\", '\\', {}},
        PrefixCase{"empty", "", '\\', {}},
        PrefixCase{"network",
                   "\\\\server\\share\\dir",
                   '\\',
                   {"\\", "\\\\server", "\\\\server\\share", "\\\\server\\share\\dir"}}),
    rowName);

INSTANTIATE_TEST_SUITE_P(
    Posix, DirectoryPrefixes,
    ::testing::Values(PrefixCase{"absolute", "/tmp/a/b", '/', {"/tmp", "/tmp/a", "/tmp/a/b"}},
                      PrefixCase{"absoluteTrailing", "/tmp/a/", '/', {"/tmp", "/tmp/a"}},
                      PrefixCase{"relative", "a/b/c", '/', {"a/b", "a/b/c"}},
                      PrefixCase{"root", "/", '/', {}}, PrefixCase{"single", "a", '/', {}},
                      PrefixCase{"empty", "", '/', {}},
                      PrefixCase{"backslashIsAByte", "/x\\y/z", '/', {"/x\\y", "/x\\y/z"}},
                      PrefixCase{"endsAtNul", std::string("/p/q\0/r", 7), '/', {"/p", "/p/q"}}),
    rowName);

TEST(MakeDirectoryPath, CreatesEveryFolderAlongAbsolutePath) {
    TempFolder folder;
    const std::string deepest = folder.path() + "/out/A/B";
    makeDirectoryPath(deepest);
    EXPECT_TRUE(isFolder(folder.file("out")));
    EXPECT_TRUE(isFolder(folder.file("out/A")));
    EXPECT_TRUE(isFolder(deepest));
    // Existing folders are passed over; the new last one is still made.
    makeDirectoryPath(deepest + "/C/");
    EXPECT_TRUE(isFolder(deepest + "/C"));
}

TEST(MakeDirectoryPath, RelativePathNeverCreatesItsFirstFolder) {
    TempFolder folder;
    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir(folder.path().c_str()), 0);
    makeDirectoryPath("a/b/c");
    EXPECT_FALSE(isFolder("a"));
    ASSERT_EQ(::mkdir("a", 0777), 0);
    makeDirectoryPath("a/b/c");
    EXPECT_TRUE(isFolder("a/b/c"));
    ASSERT_EQ(::chdir(previous), 0);
}

TEST(MakeDirectoryPath, FileInTheWayIsPassedOver) {
    TempFolder folder;
    folder.write("file", "x");
    makeDirectoryPath(folder.path() + "/file/sub/subsub");
    EXPECT_FALSE(isFolder(folder.file("file/sub")));
    makeDirectoryPath("");
    EXPECT_EQ(folder.entryCount(), 1);
}

TEST(MakeDirectoryPath, PathLongerThanOldBufferWorks) {
    TempFolder folder;
    std::string deepest = folder.path();
    while (deepest.size() < 1500) {
        deepest += "/" + std::string(60, 'd');
    }
    makeDirectoryPath(deepest);
    EXPECT_TRUE(isFolder(deepest));
}

TEST(ReplaceFileContents, ReplacesExistingFileOnly) {
    TempFolder folder;
    const std::string path = folder.write("f.txt", "old contents");
    EXPECT_EQ(replaceFileContents(path, "new"), 0);
    EXPECT_EQ(TempFolder::read(path), "new");
    EXPECT_EQ(replaceFileContents(folder.file("absent.txt"), "new"), -1);
    EXPECT_FALSE(pathExists(folder.file("absent.txt")));
    EXPECT_EQ(replaceFileContents(folder.path(), "new"), -1);
    EXPECT_EQ(replaceFileContents("", "new"), -1);
    EXPECT_EQ(folder.entryCount(), 1);
}
