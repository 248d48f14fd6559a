#include "engine/documentdiscovery.h"

/* Test the ending and the owner-file mark, both case-sensitive. */
bool DocumentDiscovery::isCandidate(const QString& nativePath) {
    const bool wordEnding = nativePath.endsWith(QLatin1String(".doc")) ||
                            nativePath.endsWith(QLatin1String(".docx")) ||
                            nativePath.endsWith(QLatin1String(".docm"));
    return wordEnding && !nativePath.contains(QLatin1String("~$"));
}
