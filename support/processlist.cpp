#include "support/processlist.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

// The process list on Linux: every all-digit entry of /proc is one process.

namespace {

// What the kernel appends to /proc/PID/exe once the executable's file was removed.
constexpr std::string_view kDeletedSuffix = " (deleted)";
// The kernel keeps at most this many bytes of a process name in /proc/PID/comm.
constexpr std::size_t kCommLength = 15;

/* The contents of a small /proc file, empty when it cannot be read. */
std::string readProcFile(const std::string& path) {
    std::string text;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return text;
    }
    char chunk[1024];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        text.append(chunk, got);
    }
    std::fclose(file);
    return text;
}

/* The part of a path after its last "/". */
std::string_view baseName(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

/* True when name is all digits, as the /proc entries of processes are. */
bool isProcessEntry(const char* name) {
    if (*name == '\0') {
        return false;
    }
    for (const char* c = name; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9') {
            return false;
        }
    }
    return true;
}

/* True when the process still runs: it exists and is not a zombie waiting to be reaped. */
bool isRunning(const std::string& procDir) {
    // The state follows the name in parentheses, which may itself hold ") ".
    const std::string stat = readProcFile(procDir + "/stat");
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos || close + 2 >= stat.size()) {
        return false;
    }
    const char state = stat[close + 2];
    return state != 'Z' && state != 'X';
}

/* The file name of the executable a process runs, the way the process list reports it. */
std::string executableName(const std::string& procDir) {
    // The executable itself, as started: a link the kernel keeps for every user process.
    char target[PATH_MAX + 1];
    const ssize_t length = ::readlink((procDir + "/exe").c_str(), target, PATH_MAX);
    if (length > 0) {
        std::string_view path(target, static_cast<std::size_t>(length));
        if (path.size() > kDeletedSuffix.size() &&
            path.substr(path.size() - kDeletedSuffix.size()) == kDeletedSuffix) {
            path.remove_suffix(kDeletedSuffix.size());
        }
        return std::string(baseName(path));
    }
    // Kernel threads (and processes already gone) have no executable at all; only a process
    // whose link is hidden from us is worth the slower look below.
    if (length < 0 && errno != EACCES && errno != EPERM) {
        return std::string();
    }
    // Another user's process hides the link: its short name, completed from the command line
    // when the kernel cut it.
    std::string comm = readProcFile(procDir + "/comm");
    if (!comm.empty() && comm.back() == '\n') {
        comm.pop_back();
    }
    const std::string cmdline = readProcFile(procDir + "/cmdline");
    const std::string_view first = baseName(std::string_view(cmdline.c_str()));
    if (comm.size() == kCommLength && first.size() > kCommLength &&
        first.substr(0, kCommLength) == comm) {
        return std::string(first);
    }
    return comm;
}

/* Walk the running processes named name in list order; visit(pid) returns false to stop.
   Returns false when the list cannot be read. */
template <typename Visit>
bool forEachProcessNamed(const char* name, Visit visit) {
    DIR* proc = ::opendir("/proc");
    if (!proc) {
        return false;
    }
    while (const dirent* entry = ::readdir(proc)) {
        if (!isProcessEntry(entry->d_name)) {
            continue;
        }
        const std::string procDir = std::string("/proc/") + entry->d_name;
        if (executableName(procDir) == name && isRunning(procDir) &&
            !visit(static_cast<pid_t>(std::strtol(entry->d_name, nullptr, 10)))) {
            break;
        }
    }
    ::closedir(proc);
    return true;
}

}  // namespace

/* Count the running processes whose executable file name is name. */
int countProcessesByName(const char* name) {
    if (!name || *name == '\0') {
        return 0;
    }
    int count = 0;
    forEachProcessNamed(name, [&count](pid_t) {
        ++count;
        return true;
    });
    return count;
}

/* Ask the kernel whether the id is taken (a process of another user answers EPERM), then
   whether it is a zombie when its state can be read. */
bool processRuns(long long pid) {
    if (pid < 1 || pid > INT_MAX) {
        return false;
    }
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM) {
        return false;
    }
    const std::string procDir = "/proc/" + std::to_string(pid);
    return readProcFile(procDir + "/stat").empty() || isRunning(procDir);
}

/* End the first running process whose executable file name is name. */
int terminateProcessByName(const char* name) {
    if (!name || *name == '\0') {
        return 0;
    }
    int found = 0;
    forEachProcessNamed(name, [&found](pid_t pid) {
        ::kill(pid, SIGKILL);
        found = 1;
        return false;
    });
    return found;
}
