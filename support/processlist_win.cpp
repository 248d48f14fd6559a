#include "support/processlist.h"

// The process list on Windows, through a Toolhelp snapshot. The ANSI forms are used, so the
// names compared are bytes in the local 8-bit code page like every support string.
#undef UNICODE
#undef _UNICODE
#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

namespace {

/* Walk the snapshot's processes named name in list order; visit(processId) returns false to
   stop. Returns false when no snapshot can be taken. */
template <typename Visit>
bool forEachProcessNamed(const char* name, Visit visit) {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return false;
    }
    PROCESSENTRY32 entry;
    std::memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (std::strcmp(entry.szExeFile, name) == 0 && !visit(entry.th32ProcessID)) {
            break;
        }
    }
    CloseHandle(snapshot);
    return true;
}

}  // namespace

/* Count the running processes whose executable file name is name. */
int countProcessesByName(const char* name) {
    if (!name) {
        return 0;
    }
    int count = 0;
    forEachProcessNamed(name, [&count](DWORD) {
        ++count;
        return true;
    });
    return count;
}

/* End the first running process whose executable file name is name. */
int terminateProcessByName(const char* name) {
    if (!name) {
        return 0;
    }
    int found = 0;
    forEachProcessNamed(name, [&found](DWORD processId) {
        // Whether the process could be opened and ended is not reported: it was found.
        const HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, processId);
        if (process) {
            TerminateProcess(process, 0);
            CloseHandle(process);
        }
        found = 1;
        return false;
    });
    return found;
}

/* Open the process to read its exit code; one that may not be opened counts as running. */
bool processRuns(long long pid) {
    if (pid < 1 || pid > 0xFFFFFFFFLL) {
        return false;
    }
    const HANDLE process =
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!process) {
        return GetLastError() == ERROR_ACCESS_DENIED;
    }
    DWORD code = 0;
    const bool running = !GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}
