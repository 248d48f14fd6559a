#include "support/processlist.h"

#include "tests/support/tempfolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <climits>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

/* The sleep program of the system, empty when there is none. */
std::string sleepProgram() {
    for (const char* candidate : {"/bin/sleep", "/usr/bin/sleep"}) {
        if (::access(candidate, X_OK) == 0) {
            return candidate;
        }
    }
    return std::string();
}

/* The file name of this test's own executable. */
std::string ownExecutableName() {
    char target[PATH_MAX + 1] = {};
    const ssize_t length = ::readlink("/proc/self/exe", target, PATH_MAX);
    return length > 0 ? std::filesystem::path(std::string(target, static_cast<std::size_t>(length)))
                            .filename()
                            .string()
                      : std::string();
}

// Children started under a unique executable name; every one still alive is killed and
// reaped at the end.
class Children {
public:
    /* Copy the sleep program into folder under name. */
    Children(const TempFolder& folder, const std::string& name) : m_program(folder.file(name)) {
        std::error_code error;
        const std::string sleep = sleepProgram();
        m_ready = !sleep.empty() && std::filesystem::copy_file(sleep, m_program, error) && !error &&
                  ::chmod(m_program.c_str(), 0755) == 0;
    }
    /* Kill and reap every child still there. */
    ~Children() {
        for (pid_t pid : m_pids) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
    Children(const Children&) = delete;
    Children& operator=(const Children&) = delete;

    bool ready() const { return m_ready; }
    const std::string& program() const { return m_program; }

    /* Start one child with argv0 as its first argument; its pid once it runs the program, or
       -1. */
    pid_t start(const std::string& argv0) {
        int pipeEnds[2];
        if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
            return -1;
        }
        const pid_t pid = ::fork();
        if (pid == 0) {
            char seconds[] = "60";
            std::string first = argv0;
            char* const argv[] = {first.data(), seconds, nullptr};
            ::execv(m_program.c_str(), argv);
            const char failed = 1;
            [[maybe_unused]] const ssize_t reported = ::write(pipeEnds[1], &failed, 1);
            ::_exit(127);
        }
        ::close(pipeEnds[1]);
        // The pipe closes without a byte once the program replaced the forked copy.
        char failed = 0;
        const ssize_t got = pid > 0 ? ::read(pipeEnds[0], &failed, 1) : -1;
        ::close(pipeEnds[0]);
        if (pid > 0) {
            m_pids.push_back(pid);
        }
        return got == 0 ? pid : -1;
    }

    /* Wait up to ten seconds for one child to end; its pid and wait status, or -1. */
    pid_t reapOne(int* status) {
        for (int round = 0; round < 1000; ++round) {
            for (auto it = m_pids.begin(); it != m_pids.end(); ++it) {
                if (::waitpid(*it, status, WNOHANG) == *it) {
                    const pid_t pid = *it;
                    m_pids.erase(it);
                    return pid;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

    /* True when child pid has not ended. */
    bool stillRunning(pid_t pid) const { return ::waitpid(pid, nullptr, WNOHANG) == 0; }

private:
    std::string m_program;
    std::vector<pid_t> m_pids;
    bool m_ready = false;
};

/* A name no other process has: longer than the kernel's 15-byte short name. */
std::string uniqueName(const char* what) {
    return std::string("sheetweaver-") + what + "-" + std::to_string(::getpid()) + ".exe";
}

}  // namespace

TEST(CountProcessesByName, NullOrUnknownNameCountsZero) {
    EXPECT_EQ(countProcessesByName(nullptr), 0);
    EXPECT_EQ(countProcessesByName(""), 0);
    EXPECT_EQ(countProcessesByName(uniqueName("none").c_str()), 0);
    EXPECT_EQ(terminateProcessByName(nullptr), 0);
    EXPECT_EQ(terminateProcessByName(uniqueName("none").c_str()), 0);
}

TEST(CountProcessesByName, CallerCountsItself) {
    const std::string self = ownExecutableName();
    ASSERT_FALSE(self.empty());
    EXPECT_GE(countProcessesByName(self.c_str()), 1);
}

// A temporary folder holding a copy of the sleep program under a name unique to the test.
class ProcessList : public ::testing::Test {
protected:
    /* Check that the copy of the sleep program is there to start. */
    void SetUp() override { ASSERT_TRUE(m_children.ready()); }

    /* Start one child under the program's own path; its pid, or -1. */
    pid_t startOne() { return m_children.start(m_children.program()); }

    TempFolder m_folder;
    const std::string m_name =
        uniqueName(::testing::UnitTest::GetInstance()->current_test_info()->name());
    Children m_children{m_folder, m_name};
};

TEST_F(ProcessList, CountsChildrenUnderTheirExecutableName) {
    EXPECT_EQ(countProcessesByName(m_name.c_str()), 0);
    // The command line's first word is not what is compared: the executable's file name is.
    ASSERT_GT(m_children.start("renamed"), 0);
    EXPECT_EQ(countProcessesByName(m_name.c_str()), 1);
    ASSERT_GT(startOne(), 0);
    EXPECT_EQ(countProcessesByName(m_name.c_str()), 2);
    EXPECT_EQ(countProcessesByName("renamed"), 0);
}

TEST_F(ProcessList, ComparesWholeNameExactlyAndCaseSensitively) {
    ASSERT_GT(startOne(), 0);
    ASSERT_EQ(countProcessesByName(m_name.c_str()), 1);
    std::string upper = m_name;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    EXPECT_EQ(countProcessesByName(upper.c_str()), 0);
    // The kernel's short name keeps only the first 15 bytes; they are not the name.
    EXPECT_EQ(countProcessesByName(m_name.substr(0, 15).c_str()), 0);
    EXPECT_EQ(countProcessesByName(m_name.substr(0, m_name.size() - 1).c_str()), 0);
    EXPECT_EQ(countProcessesByName((m_folder.path() + "/" + m_name).c_str()), 0);
}

TEST_F(ProcessList, ExecutableRemovedWhileRunningStillCounts) {
    ASSERT_GT(startOne(), 0);
    ASSERT_EQ(::unlink(m_children.program().c_str()), 0);
    EXPECT_EQ(countProcessesByName(m_name.c_str()), 1);
}

TEST_F(ProcessList, EndedChildNotYetReapedIsNotCounted) {
    const pid_t pid = startOne();
    ASSERT_GT(pid, 0);
    ASSERT_EQ(::kill(pid, SIGKILL), 0);
    // Wait until it has ended, leaving it unreaped.
    siginfo_t info = {};
    ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT), 0);
    EXPECT_EQ(countProcessesByName(m_name.c_str()), 0);
    EXPECT_EQ(terminateProcessByName(m_name.c_str()), 0);
}

TEST_F(ProcessList, OtherUsersProcessesAreCountedByName) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to look at the list as another user";
    }
    ASSERT_EQ(::chmod(m_folder.path().c_str(), 0755), 0);
    ASSERT_GT(startOne(), 0);
    // A process of another user hides its executable link; its names must do.
    const pid_t counter = ::fork();
    if (counter == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(100);
        }
        ::_exit(countProcessesByName(m_name.c_str()));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(counter, &status, 0), counter);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

TEST_F(ProcessList, TerminateEndsExactlyOneOfTwo) {
    const pid_t first = startOne();
    const pid_t second = startOne();
    ASSERT_GT(first, 0);
    ASSERT_GT(second, 0);
    ASSERT_EQ(countProcessesByName(m_name.c_str()), 2);

    EXPECT_EQ(terminateProcessByName(m_name.c_str()), 1);
    int status = 0;
    const pid_t ended = m_children.reapOne(&status);
    ASSERT_TRUE(ended == first || ended == second);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_TRUE(m_children.stillRunning(ended == first ? second : first));
    EXPECT_EQ(countProcessesByName(m_name.c_str()), 1);

    EXPECT_EQ(terminateProcessByName(m_name.c_str()), 1);
    ASSERT_GT(m_children.reapOne(&status), 0);
    EXPECT_EQ(countProcessesByName(m_name.c_str()), 0);
    EXPECT_EQ(terminateProcessByName(m_name.c_str()), 0);
}

TEST(ProcessRuns, TheCallerRunsAnEndedChildDoesNotAndIdsBelowOneAreNone) {
    // A child that ended but is not reaped yet (a zombie), then the same id once reaped.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::_exit(0);
    }
    bool sawZombie = false;
    for (int i = 0; i < 200 && !sawZombie; ++i) {
        sawZombie = !processRuns(child);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(sawZombie);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const struct {
        const char* name;
        long long pid;
        bool runs;
    } rows[] = {
        {"the caller", static_cast<long long>(::getpid()), true},
        {"process 1, which always runs", 1, true},
        {"a reaped child", static_cast<long long>(child), false},
        {"id 0", 0, false},
        {"a negative id", -5, false},
        {"an id beyond any process", 1LL << 40, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(processRuns(row.pid), row.runs) << row.name;
    }
}
