#pragma once

#include "engine/convertoptions.h"
#include "office/officechoice.h"

#include <QString>
#include <QStringList>

// The headless converter's command line:
//   sheetweaver-convert [--tables] [--values] [--split TEXT] [--template FILE]
//                       [--last-row N] [--jobs N] [--shard K/N] [--skip-existing]
//                       [--office CHOICE] [--quiet] SOURCE DEST
// plus --help and --version. QCommandLineParser reads it (so `--split=TEXT` and `--` work as
// usual); one table of options drives both the parser and the help text, so a new option is
// one row there and one field of Result. It fills ConvertOptions as the main window does and
// checks the folders and the template with the window's messages, in the window's order.
class CommandLine {
public:
    enum class Action { Convert, ShowHelp, ShowVersion, Fail };

    // The most worker threads --jobs accepts.
    static constexpr int maximumJobs = 256;

    struct Result {
        Action action = Action::Fail;
        ConvertOptions options;  // filled for Convert (and as far as parsed otherwise)
        bool quiet = false;      // --quiet: no progress, only the summary
        int jobs = 1;            // --jobs: worker threads (default: the online processors)
        OfficeChoice office = OfficeChoice::Automatic;  // --office: which office converts
        QString error;                                  // the message for Fail
    };

    // Read the arguments (without the program name). --help or --version anywhere wins (the
    // first of the two given). Otherwise Fail with a message for an unknown option, a missing
    // value, a bad last row or not exactly two folders.
    static Result parse(const QStringList& arguments);

    // A folder argument as the window's picker gives it: absolute, native separators, with
    // a trailing separator.
    static QString folderPath(const QString& argument);

    // The usage text, in English and Chinese.
    static QString helpText();
};
