#pragma once

#include <QString>

// The list of documents a run could not convert: written as a text file, one native path per
// line, and shown to the user with the system's text editor.
class FailureReport {
public:
    // Write `text` in the local 8-bit encoding to `path`, created or truncated, in text mode
    // (line feeds become CR LF on Windows). False when the file could not be created or
    // fully written; nothing is written through a file that did not open.
    static bool write(const QString& path, const QString& text);

    // Start the system's text editor on `path`, detached: Notepad on Windows, elsewhere
    // xdg-open when it is installed, else nothing. True when a viewer was started.
    static bool showInSystemViewer(const QString& path);
};
