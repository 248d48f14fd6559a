#pragma once

// The paths the program keeps beside its executable, worked out once at start-up before any
// window or thread exists and only read afterwards (no lock needed).
//
// All hold text in the local 8-bit code page. Unlike fixed-size buffers they hold a path of
// any length whole, so a long installation folder never gets cut.

#include <string>

extern std::string launchArgument;       // first argument after the program path, or empty
extern std::string appPath;              // the program path as started (argument 0)
extern std::string appDir;               // folder part of appPath with its trailing separator
extern std::string settingsFilePath;     // appDir + "Sheetweaver.qvr", or as installed (below)
extern std::string updateArchivePath;    // appDir + "Sheetweaver.zip"
extern std::string selfUpdateOffReason;  // why this copy does not update itself, or empty

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

// Settings and updates of an installed copy. When `installed` (the caller decides: a program
// folder that is not writable, such as /usr/bin or Program Files, or one installed with its
// desktop entry), the settings file moves to configFolder (ending with a separator) +
// "Sheetweaver.qvr", created empty together with its folders when missing, and
// selfUpdateOffReason says that the package manager updates the program. A portable copy or a
// build folder (not installed) changes nothing: the settings file stays beside the executable
// and is never created there. Returns false only when the settings file in configFolder is
// missing and cannot be created; the path is moved all the same, and the window then reads no
// saved paths and writes none, as for a portable copy without the file.
bool useConfigFolderWhenInstalled(bool installed, const std::string& configFolder);

// Keep one copy of the program running: when more than one process carries programFileName,
// end the first of them in the system's list (possibly the caller). Returns the number of
// copies counted, the caller included (0 when the list cannot be read).
int enforceSingleInstance();
