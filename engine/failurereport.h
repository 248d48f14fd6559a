#pragma once

#include <QString>
#include <QStringList>

// The list of documents a run could not convert: written as a text file, one native path per
// line, and shown to the user with the system's text editor.
class FailureReport {
public:
    // Write `text` in the local 8-bit encoding to `path`, created or truncated, in text mode
    // (line feeds become CR LF on Windows). False when the file could not be created or
    // fully written; nothing is written through a file that did not open. A link at `path`
    // is never followed: it is removed and the report created in its place.
    static bool write(const QString& path, const QString& text);

    // One line of the report for a path: the path with every line feed written as "\n" and
    // every carriage return as "\r" (a name may hold them), then a line feed.
    static QString line(const QString& nativePath);
    // The report's text: `failedPaths` (one path per line) as they are, then, only when a
    // converted workbook lost something, a blank line, a heading and the lines of `cutCells`
    // ("path: Sheet!A1 (why)", or "path: " and a save warning).
    static QString text(const QString& failedPaths, const QStringList& cutCells);

    // Start the system's text editor on `path`, detached: Notepad on Windows, elsewhere
    // xdg-open when it is installed, else nothing. True when a viewer was started.
    static bool showInSystemViewer(const QString& path);
};
