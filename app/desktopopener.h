#pragma once

#include <QString>

#include <functional>

// Opens a file or a folder for the user with what the desktop offers: the failure report in
// the system's text viewer (Notepad on Windows, xdg-open elsewhere) or, when that is missing,
// the desktop's default application; a folder in the desktop's file manager. A test replaces
// the opener so nothing is started.
class DesktopOpener {
public:
    using Opener = std::function<bool(const QString& nativePath)>;

    // Open `nativePath` (a file or a folder). False when nothing could be started for it.
    static bool open(const QString& nativePath);

    // Answer open() with this function instead; an empty function brings the desktop back.
    static void replace(Opener opener);
};
