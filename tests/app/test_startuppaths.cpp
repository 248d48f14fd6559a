#include "app/startuppaths.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace {

/* Run buildStartupPaths on a copy of the given words as argv. */
void buildFrom(std::vector<std::string> words, char separator) {
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    buildStartupPaths(static_cast<int>(words.size()), argv.data(), separator);
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

// An installed copy: the settings file in the configuration folder, no self-update.
class InstalledCopy : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        buildFrom({"/opt/sw/Sheetweaver"}, '/');
        config = temp.path().toStdString() + "/config/Sheetweaver/";
    }

    QTemporaryDir temp;
    std::string config;
};

TEST_F(InstalledCopy, APortableCopyKeepsEverythingBesideTheProgram) {
    EXPECT_TRUE(useConfigFolderWhenInstalled(false, config));
    EXPECT_EQ(settingsFilePath, "/opt/sw/Sheetweaver.qvr");
    EXPECT_EQ(selfUpdateOffReason, "");
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(config)));
}

TEST_F(InstalledCopy, AnInstalledCopyCreatesTheSettingsFileAndStopsUpdates) {
    EXPECT_TRUE(useConfigFolderWhenInstalled(true, config));
    EXPECT_EQ(settingsFilePath, config + "Sheetweaver.qvr");
    EXPECT_TRUE(QFileInfo(QString::fromStdString(settingsFilePath)).isFile());
    EXPECT_NE(selfUpdateOffReason.find("package manager"), std::string::npos);
    buildFrom({"/opt/sw/Sheetweaver"}, '/');  // a new start clears the reason
    EXPECT_EQ(selfUpdateOffReason, "");
}

TEST_F(InstalledCopy, AnExistingSettingsFileIsKeptAsItIs) {
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(config)));
    QFile file(QString::fromStdString(config + "Sheetweaver.qvr"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("SavePath=/data/out/\n");
    file.close();
    EXPECT_TRUE(useConfigFolderWhenInstalled(true, config));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("SavePath=/data/out/\n"));
}

TEST_F(InstalledCopy, AConfigurationFolderThatCannotBeMadeIsReported) {
    QFile blocker(temp.path() + QStringLiteral("/config"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));  // a file where the folder would go
    blocker.close();
    EXPECT_FALSE(useConfigFolderWhenInstalled(true, config));
    EXPECT_EQ(settingsFilePath, config + "Sheetweaver.qvr");
    EXPECT_FALSE(selfUpdateOffReason.empty());
}
