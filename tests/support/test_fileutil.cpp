#include "support/fileutil.h"

#include "tests/support/tempfolder.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace {

using Folders = std::vector<std::string>;

#ifdef _WIN32
// Windows searches for the last component, so a wildcard there matches existing names.
constexpr bool kWildcardsMatch = true;
#else
constexpr bool kWildcardsMatch = false;
#endif

/* True when path is an existing folder. */
bool isFolder(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

// A path made from the test folder, and whether pathExists must find it.
struct ExistsCase {
    const char* name;
    std::string suffix;
    bool exists;
};

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
#ifndef _WIN32
    const std::string dangling = folder.file("dangling");
    ASSERT_EQ(::symlink("nowhere", dangling.c_str()), 0);
    EXPECT_TRUE(pathExists(dangling));
#endif
}

TEST(PathExists, TrailingSeparatorNamesAFolder) {
    TempFolder folder;
    folder.write("a.txt", "x");
    ASSERT_TRUE(std::filesystem::create_directory(folder.file("sub")));
    const ExistsCase rows[] = {
        {"FolderSlash", "/", true},         {"FolderTwoSlashes", "//", true},
        {"SubfolderSlash", "/sub/", true},  {"FileSlash", "/a.txt/", false},
        {"MissingSlash", "/none/", false},
#ifdef _WIN32
        {"FolderBackslash", "\\", true},    {"SubfolderBackslash", "\\sub\\", true},
        {"SubfolderMixed", "\\sub/", true}, {"FileBackslash", "\\a.txt\\", false},
#endif
    };
    for (const ExistsCase& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(pathExists(folder.path() + row.suffix), row.exists);
    }
}

TEST(PathExists, EmptyOrMissingPathIsFalse) {
    TempFolder folder;
    folder.write("a.txt", "x");
    EXPECT_FALSE(pathExists(""));
    EXPECT_FALSE(pathExists(folder.file("b.txt")));
    EXPECT_FALSE(pathExists(folder.file("a.txt/inside")));
    EXPECT_EQ(pathExists(folder.file("*.txt")), kWildcardsMatch);
    EXPECT_FALSE(pathExists(folder.file("*.doc")));
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
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    makeDirectoryPath("a/b/c");
    EXPECT_FALSE(isFolder("a"));
    ASSERT_TRUE(std::filesystem::create_directory("a"));
    makeDirectoryPath("a/b/c");
    EXPECT_TRUE(isFolder("a/b/c"));
    std::filesystem::current_path(previous);
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
    // A trailing separator asks for a folder.
    EXPECT_TRUE(pathExists(deepest + "/"));
}

TEST(ReplaceFileContents, FileBeyondTheClassicPathLimit) {
    TempFolder folder;
    std::string deep = folder.path();
    while (deep.size() < 300) {
        deep += "/" + std::string(40, 'e');
    }
    makeDirectoryPath(deep);
    const std::string path = deep + "/settings.txt";
    ASSERT_TRUE(pathExists(deep + "/"));
    std::FILE* created = openFile(path, "wb");
    ASSERT_NE(created, nullptr);
    std::fputs("old", created);
    std::fclose(created);
    ASSERT_TRUE(pathExists(path));
    EXPECT_FALSE(pathExists(path + "/"));
    EXPECT_EQ(replaceFileContents(path, "new bytes"), 0);
    std::FILE* file = openFile(path, "rb");
    ASSERT_NE(file, nullptr);
    char back[32] = {};
    EXPECT_EQ(std::fread(back, 1, sizeof back, file), 9u);
    std::fclose(file);
    EXPECT_STREQ(back, "new bytes");
    EXPECT_EQ(openFile(deep + "/missing/x.txt", "rb"), nullptr);
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

// One move onto a path: the file moved there, or not (-1) with both files as they were.
struct MoveCase {
    const char* name;
    const char* target;  // in the test folder: "old.txt" exists, "folder" is a folder
    bool moves;
};

/* A move replaces an existing file or makes a new one, and fails without a change when the
   target is a folder or the source is missing. */
TEST(MoveFileOver, ReplacesInOneStepOrChangesNothing) {
    const MoveCase cases[] = {
        {"over an existing file", "old.txt", true},
        {"to a new name", "new.txt", true},
        {"to a UTF-8 name", "\xE6\x95\xB0\xE6\x8D\xAE \xC3\xA4.txt", true},
        {"onto a folder", "folder", false},
    };
    for (const MoveCase& c : cases) {
        TempFolder folder;
        const std::string old = folder.write("old.txt", "old");
        const std::string source = folder.write("source.tmp", "new");
        std::filesystem::create_directory(folder.file("folder"));
        const std::string target = folder.file(c.target);
        EXPECT_EQ(moveFileOver(source, target), c.moves ? 0 : -1) << c.name;
        EXPECT_EQ(pathExists(source), !c.moves) << c.name;
        EXPECT_EQ(TempFolder::read(old), c.target == std::string("old.txt") ? "new" : "old")
            << c.name;
        EXPECT_EQ(moveFileOver(source, target), -1) << c.name << ": the source is gone";
    }
}
