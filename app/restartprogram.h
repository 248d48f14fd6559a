#pragma once

#include <string>

// Start the program file at path again as a new, independent process with no arguments, in
// the current folder and environment. Returns true when the process was started; a failure
// is only reported here (the caller ignores it).
bool startProgramAgain(const std::string& path);
