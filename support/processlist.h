#pragma once

// The system's list of running processes, keyed by executable file name.
//
// A name is a bare executable file name ("et.exe", no folder), compared exactly and case by
// case with the file name of each running process's executable. Each call takes a fresh look
// at the list.

// Number of running processes whose executable file name is name, the caller included. 0
// when none runs, name is null or empty, or the list cannot be read. Kernel threads, which
// run no executable file, are never counted.
int countProcessesByName(const char* name);

// End the first running process (in the list's order, possibly the caller) whose executable
// file name is name: TerminateProcess on Windows, SIGKILL elsewhere. Returns 1 when such a
// process was found, whether or not it could be ended; 0 when none was found, name is null,
// or the list cannot be read.
int terminateProcessByName(const char* name);

// True when the process of id pid may be running on this machine: it exists (the caller
// included) and is not a zombie waiting to be reaped. A process the caller may not inspect
// counts as running. False for ids below 1 and for ids no process has.
bool processRuns(long long pid);
