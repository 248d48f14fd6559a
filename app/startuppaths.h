#pragma once

// The paths the program keeps beside its executable, worked out once at start-up before any
// window or thread exists and only read afterwards (no lock needed).
//
// All hold text in the local 8-bit code page. Unlike fixed-size buffers they hold a path of
// any length whole, so a long installation folder never gets cut.

#include <string>

extern std::string launchArgument;     // first argument after the program path, or empty
extern std::string appPath;            // the program path as started (argument 0)
extern std::string appDir;             // folder part of appPath with its trailing separator
extern std::string settingsFilePath;   // appDir + "Sheetweaver.qvr"
extern std::string updateArchivePath;  // appDir + "Sheetweaver.zip"

// The executable's own file name, used for the single-instance check whatever name the
// program was actually started under: "Sheetweaver.exe" on Windows, "Sheetweaver" elsewhere.
extern const char* const programFileName;

// The platform's path separator: '\\' on Windows, '/' elsewhere.
char nativeSeparator();

// Fill the five paths from the command line: launchArgument from argv[1] when there is one,
// appPath from argv[0], appDir up to and including its last separator (empty when the path
// holds none: the files beside the program are then looked for in the working folder).
// Missing or null arguments give empty texts.
void buildStartupPaths(int argc, char** argv, char separator = nativeSeparator());

// Keep one copy of the program running: when more than one process carries programFileName,
// end the first of them in the system's list (possibly the caller). Returns the number of
// copies counted, the caller included (0 when the list cannot be read).
int enforceSingleInstance();
