#include "support/settingsfile.h"

#include "support/fileutil.h"
#include "tests/support/tempfolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

const std::string kTwoLines = "SourcePath=D:\\Word\r\nSavePath=D:\\Out\r\n";

// A file opened by another part of the system with the given sharing, closed at scope end.
class HeldFile {
public:
    HeldFile(const std::string& path, DWORD sharing)
        : m_handle(CreateFileA(path.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldFile() {
        if (isOpen()) {
            CloseHandle(m_handle);
        }
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool isOpen() const { return m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle;
};

TEST(SetKeyValueInFileWindows, RewritesTheFileWithoutLeavingATemporaryOne) {
    TempFolder folder;
    const std::string path = folder.write("Sheetweaver.qvr", kTwoLines);
    EXPECT_EQ(setKeyValueInFile(path, "SavePath", "E:\\New"), 0);
    EXPECT_EQ(TempFolder::read(path), "SourcePath=D:\\Word\r\nSavePath=E:\\New\r\n");
    EXPECT_EQ(folder.entryCount(), 1);
}

TEST(SetKeyValueInFileWindows, ReadOnlyFileIsLeftAlone) {
    TempFolder folder;
    const std::string path = folder.write("Sheetweaver.qvr", kTwoLines);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(setKeyValueInFile(path, "SavePath", "E:\\New"), -1);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(TempFolder::read(path), kTwoLines);
    EXPECT_EQ(folder.entryCount(), 1);
}

TEST(SetKeyValueInFileWindows, FileHeldOpenWithoutSharingIsLeftAlone) {
    TempFolder folder;
    const std::string path = folder.write("Sheetweaver.qvr", kTwoLines);
    {
        HeldFile held(path, 0);
        ASSERT_TRUE(held.isOpen());
        std::string text = "untouched";
        EXPECT_EQ(readWholeFile(text, path), -1);
        EXPECT_EQ(text, "untouched");
        EXPECT_EQ(setKeyValueInFile(path, "SavePath", "E:\\New"), -1);
        EXPECT_EQ(folder.entryCount(), 1);
    }
    EXPECT_EQ(TempFolder::read(path), kTwoLines);
    EXPECT_EQ(setKeyValueInFile(path, "SavePath", "E:\\New"), 0);
}

TEST(SetKeyValueInFileWindows, FileOpenForReadingCannotBeReplacedAndNoTemporaryStays) {
    TempFolder folder;
    const std::string path = folder.write("Sheetweaver.qvr", kTwoLines);
    {
        // Readers may share it, but nobody may delete or rename it meanwhile.
        HeldFile held(path, FILE_SHARE_READ);
        ASSERT_TRUE(held.isOpen());
        EXPECT_EQ(setKeyValueInFile(path, "SavePath", "E:\\New"), -1);
        EXPECT_EQ(folder.entryCount(), 1);
    }
    EXPECT_EQ(TempFolder::read(path), kTwoLines);
}

TEST(SetKeyValueInFileWindows, AbsentFileOrFolderIsNeverCreated) {
    TempFolder folder;
    EXPECT_EQ(setKeyValueInFile(folder.file("absent.qvr"), "SavePath", "x"), -1);
    EXPECT_EQ(setKeyValueInFile(folder.path(), "SavePath", "x"), -1);
    EXPECT_EQ(folder.entryCount(), 0);
}

TEST(SetKeyValueInFileWindows, SettingsBeyondTheClassicPathLimit) {
    TempFolder folder;
    std::string deep = folder.path();
    while (deep.size() < 300) {
        deep += "\\" + std::string(50, 's');
    }
    makeDirectoryPath(deep);
    const std::string path = deep + "\\Sheetweaver.qvr";
    std::FILE* file = openFile(path, "wb");
    ASSERT_NE(file, nullptr);
    std::fputs(kTwoLines.c_str(), file);
    std::fclose(file);
    EXPECT_EQ(setKeyValueInFile(path, "SavePath", "E:\\New"), 0);
    std::string text;
    EXPECT_EQ(readWholeFile(text, path), 0);
    EXPECT_EQ(text, "SourcePath=D:\\Word\r\nSavePath=E:\\New\r\n");
}

}  // namespace
