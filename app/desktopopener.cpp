#include "app/desktopopener.h"

#include "engine/failurereport.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <utility>

namespace {

/* The replacement opener, empty while the desktop is used. */
DesktopOpener::Opener& replacement() {
    static DesktopOpener::Opener opener;
    return opener;
}

}  // namespace

/* A file in the text viewer, else (and every folder) through the desktop's default. */
bool DesktopOpener::open(const QString& nativePath) {
    if (replacement()) {
        return replacement()(nativePath);
    }
    if (QFileInfo(nativePath).isFile() && FailureReport::showInSystemViewer(nativePath)) {
        return true;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::fromNativeSeparators(nativePath)));
}

/* Install or remove the replacement. */
void DesktopOpener::replace(Opener opener) {
    replacement() = std::move(opener);
}
