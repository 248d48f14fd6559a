#pragma once

#include "engine/convertoptions.h"

#include <string>

// The last run's inputs in the settings file, so the window starts where the user left off:
// the three paths (keys SourcePath, SavePath, TemplatePath, as the pickers write them) and the
// options (UseTemplate, ValuesOnly, TablesOnly, SplitColumns, SplitText, LastRow). No key is
// the end of another, since the settings file finds a key anywhere in its text. The split
// text is stored percent-encoded: it may be a blank or a control character copied from Word.
class LastRunSettings {
public:
    // Write the inputs of a run into the settings file at `settingsPath` (nothing when the
    // file does not exist, as for every setting).
    static void save(const ConvertOptions& options, const std::string& settingsPath);

    // Fill `options` from `settingsText`; a key that is missing or empty leaves its field as
    // it is, and a last row outside 1 to 1048576 is ignored.
    static void restore(ConvertOptions& options, const std::string& settingsText);
};
