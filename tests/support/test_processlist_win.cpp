#include "support/processlist.h"

#include "tests/support/tempfolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <random>
#include <string>
#include <vector>

namespace {

/* The full path of this test's executable. */
std::string ownExecutablePath() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

/* The file name of a path. */
std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Copies of the sleeper program under a name of their own, started and ended by the test.
class ProcessList : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_folder.path().empty());
        const std::string own = ownExecutablePath();
        const std::string sleeper =
            own.substr(0, own.size() - fileNameOf(own).size()) + "sw_sleeper.exe";
        std::random_device seed;
        m_name = "swsleep" + std::to_string(seed() % 1000000u) + ".exe";
        m_program = m_folder.file(m_name);
        ASSERT_TRUE(CopyFileA(sleeper.c_str(), m_program.c_str(), TRUE)) << sleeper;
    }

    void TearDown() override {
        for (PROCESS_INFORMATION& started : m_started) {
            TerminateProcess(started.hProcess, 0);
            WaitForSingleObject(started.hProcess, 5000);
            CloseHandle(started.hProcess);
            CloseHandle(started.hThread);
        }
    }

    /* Start one copy of the sleeper; false when it cannot be started. */
    bool start() {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started = {};
        std::string commandLine = "\"" + m_program + "\"";
        if (!CreateProcessA(m_program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                            nullptr, nullptr, &startup, &started)) {
            return false;
        }
        m_started.push_back(started);
        return true;
    }

    /* Wait until count processes run under the sleeper's name, up to five seconds. */
    int settledCount(int count) const {
        int seen = countProcessesByName(m_name.c_str());
        for (int i = 0; i < 100 && seen != count; ++i) {
            Sleep(50);
            seen = countProcessesByName(m_name.c_str());
        }
        return seen;
    }

    TempFolder m_folder;
    std::string m_name;
    std::string m_program;
    std::vector<PROCESS_INFORMATION> m_started;
};

TEST(CountProcessesByName, NullEmptyOrUnknownNameCountsZero) {
    EXPECT_EQ(countProcessesByName(nullptr), 0);
    EXPECT_EQ(countProcessesByName(""), 0);
    EXPECT_EQ(countProcessesByName("sheetweaver-no-such-program.exe"), 0);
    EXPECT_EQ(terminateProcessByName(nullptr), 0);
    EXPECT_EQ(terminateProcessByName("sheetweaver-no-such-program.exe"), 0);
}

TEST(CountProcessesByName, CallerCountsItself) {
    EXPECT_GE(countProcessesByName(fileNameOf(ownExecutablePath()).c_str()), 1);
}

TEST_F(ProcessList, CountsStartedProgramsUnderTheirFileName) {
    ASSERT_TRUE(start());
    ASSERT_TRUE(start());
    EXPECT_EQ(settledCount(2), 2);
    // A name is compared whole: a folder before it or a missing extension is another name.
    EXPECT_EQ(countProcessesByName(m_program.c_str()), 0);
    EXPECT_EQ(countProcessesByName(m_name.substr(0, m_name.size() - 4).c_str()), 0);
}

TEST_F(ProcessList, TerminateEndsExactlyOneOfTwo) {
    ASSERT_TRUE(start());
    ASSERT_TRUE(start());
    ASSERT_EQ(settledCount(2), 2);
    EXPECT_EQ(terminateProcessByName(m_name.c_str()), 1);
    EXPECT_EQ(settledCount(1), 1);
    EXPECT_EQ(terminateProcessByName(m_name.c_str()), 1);
    EXPECT_EQ(settledCount(0), 0);
    EXPECT_EQ(terminateProcessByName(m_name.c_str()), 0);
}

}  // namespace
