#pragma once

#include <QString>

// The test that picks the Word documents among the files of the source folder (the folder is
// walked by DocumentWalk).
class DocumentDiscovery {
public:
    // True when `nativePath` ends with ".doc", ".docx" or ".docm" (exactly in that case) and
    // contains no "~$" (the mark of Word's owner files) anywhere.
    static bool isCandidate(const QString& nativePath);
};
