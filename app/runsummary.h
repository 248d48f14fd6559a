#pragma once

#include "engine/mergeobject.h"

#include <QCoreApplication>
#include <QString>

// The window's outcome line for a finished run: its text (what was converted, what failed,
// lost something, was skipped, how long it took; or that no Word document was found, or where
// the run was stopped), its tone, and the name of the button that lists the issues.
class RunSummary {
    Q_DECLARE_TR_FUNCTIONS(RunSummary)
public:
    enum class Tone {
        Success,  // every document converted without loss (or kept as up to date)
        Caution,  // losses, a stop, or nothing to convert
        Failure   // some document or folder failed
    };

    static QString text(const RunReport& run);
    static Tone tone(const RunReport& run);

    // The report button's text, named for what the list holds; empty when it holds nothing.
    static QString reportButtonText(const RunReport& run);

    // Documents that were converted but lost something.
    static int lossyCount(const RunReport& run);
};
