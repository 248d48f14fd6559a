#include "app/restartprogram.h"

#ifdef _WIN32

#include <windows.h>

/* Start the program with CreateProcessA, its standard output and error on a fresh pipe. */
bool startProgramAgain(const std::string& path) {
    SECURITY_ATTRIBUTES pipeAttributes;
    pipeAttributes.nLength = sizeof(pipeAttributes);
    pipeAttributes.lpSecurityDescriptor = nullptr;
    pipeAttributes.bInheritHandle = TRUE;
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &pipeAttributes, 0)) {
        return false;
    }

    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_SHOWNORMAL;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;

    PROCESS_INFORMATION process;
    char commandLine[1] = {0};
    const BOOL started = CreateProcessA(path.c_str(), commandLine, nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(readEnd);
    CloseHandle(writeEnd);
    if (!started) {
        return false;
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return true;
}

#endif
