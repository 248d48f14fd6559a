#include "app/startuppaths.h"

#include "support/bytestring.h"
#include "support/fileutil.h"
#include "support/processlist.h"

#include <cstdio>

std::string launchArgument;
std::string appPath;
std::string appDir;
std::string settingsFilePath;
std::string updateArchivePath;
std::string selfUpdateOffReason;

#ifdef _WIN32
const char* const programFileName = "Sheetweaver.exe";
#else
const char* const programFileName = "Sheetweaver";
#endif

/* The separator of paths on this platform. */
char nativeSeparator() {
#ifdef _WIN32
    return '\\';
#else
    return '/';
#endif
}

/* Work out the program's own paths from its command line. */
void buildStartupPaths(int argc, char** argv, char separator) {
    launchArgument.clear();
    appPath.clear();
    if (argv != nullptr && argc > 1 && argv[1] != nullptr) {
        launchArgument = argv[1];
    }
    if (argv != nullptr && argc > 0 && argv[0] != nullptr) {
        appPath = argv[0];
    }
    textBefore(appDir, appPath, std::string(1, separator), 1, 1);
    settingsFilePath = appDir + "Sheetweaver.qvr";
    updateArchivePath = appDir + "Sheetweaver.zip";
    selfUpdateOffReason.clear();
}

/* Move the settings of an installed copy to the user's configuration folder. */
bool useConfigFolderWhenInstalled(bool installed, const std::string& configFolder) {
    if (!installed || configFolder.empty()) {
        return true;
    }
    selfUpdateOffReason =
        "installed copy: its folder is not writable, the package manager updates it";
    settingsFilePath = configFolder + "Sheetweaver.qvr";
    if (pathExists(settingsFilePath)) {
        return true;
    }
    makeDirectoryPath(configFolder);
    std::FILE* created = std::fopen(settingsFilePath.c_str(), "ab");
    if (created == nullptr) {
        return false;
    }
    std::fclose(created);
    return true;
}

/* End one copy when a second copy of the program runs. */
int enforceSingleInstance() {
    const int copies = countProcessesByName(programFileName);
    if (copies > 1) {
        terminateProcessByName(programFileName);
    }
    return copies;
}
