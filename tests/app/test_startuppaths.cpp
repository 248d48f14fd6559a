#include "app/startuppaths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

/* Run buildStartupPaths on a copy of the given words as argv. */
void buildFrom(std::vector<std::string> words, char separator) {
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    buildStartupPaths(int(words.size()), argv.data(), separator);
}

}  // namespace

TEST(StartupPaths, WindowsPathGivesFolderWithTrailingBackslash) {
    buildFrom({"C:\\Apps\\Sheetweaver.exe"}, '\\');
    EXPECT_EQ(appPath, "C:\\Apps\\Sheetweaver.exe");
    EXPECT_EQ(appDir, "C:\\Apps\\");
    EXPECT_EQ(settingsFilePath, "C:\\Apps\\Sheetweaver.qvr");
    EXPECT_EQ(updateArchivePath, "C:\\Apps\\Sheetweaver.zip");
    EXPECT_EQ(launchArgument, "");
}

TEST(StartupPaths, SlashPathWithAutorunArgument) {
    buildFrom({"/opt/sheet weaver/bin/Sheetweaver", "-autorun", "ignored"}, '/');
    EXPECT_EQ(appDir, "/opt/sheet weaver/bin/");
    EXPECT_EQ(settingsFilePath, "/opt/sheet weaver/bin/Sheetweaver.qvr");
    EXPECT_EQ(updateArchivePath, "/opt/sheet weaver/bin/Sheetweaver.zip");
    EXPECT_EQ(launchArgument, "-autorun");
}

TEST(StartupPaths, BareNameLooksBesideTheWorkingFolder) {
    buildFrom({"Sheetweaver"}, '/');
    EXPECT_EQ(appDir, "");
    EXPECT_EQ(settingsFilePath, "Sheetweaver.qvr");
    EXPECT_EQ(updateArchivePath, "Sheetweaver.zip");
}

TEST(StartupPaths, OtherPlatformsSeparatorIsAnOrdinaryByte) {
    // On Linux a backslash is part of a file name, not a separator.
    buildFrom({"./odd\\name/Sheetweaver"}, '/');
    EXPECT_EQ(appDir, "./odd\\name/");
    buildFrom({"C:\\Apps\\Sheetweaver.exe"}, '/');
    EXPECT_EQ(appDir, "");
}

TEST(StartupPaths, LongArgumentAndLongPathKeptWhole) {
    const std::string longArgument(300, 'x');
    const std::string longFolder = "/" + std::string(2000, 'd') + "/";
    buildFrom({longFolder + "Sheetweaver", longArgument}, '/');
    EXPECT_EQ(launchArgument, longArgument);
    EXPECT_EQ(appDir, longFolder);
    EXPECT_EQ(settingsFilePath, longFolder + "Sheetweaver.qvr");
}

TEST(StartupPaths, RebuildingClearsTheOldArgument) {
    buildFrom({"/a/Sheetweaver", "-autorun"}, '/');
    buildFrom({"/b/Sheetweaver"}, '/');
    EXPECT_EQ(launchArgument, "");
    EXPECT_EQ(appDir, "/b/");
}

TEST(StartupPaths, MissingArgumentsGiveEmptyTexts) {
    buildStartupPaths(0, nullptr, '/');
    EXPECT_EQ(appPath, "");
    EXPECT_EQ(appDir, "");
    EXPECT_EQ(launchArgument, "");
    EXPECT_EQ(settingsFilePath, "Sheetweaver.qvr");
    char* nullArgv[] = {nullptr, nullptr};
    buildStartupPaths(2, nullArgv, '/');
    EXPECT_EQ(appPath, "");
    EXPECT_EQ(launchArgument, "");
}

TEST(StartupPaths, NativeSeparatorAndProgramName) {
#ifdef _WIN32
    EXPECT_EQ(nativeSeparator(), '\\');
    EXPECT_STREQ(programFileName, "Sheetweaver.exe");
#else
    EXPECT_EQ(nativeSeparator(), '/');
    EXPECT_STREQ(programFileName, "Sheetweaver");
#endif
}
