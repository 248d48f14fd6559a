#include "app/pathdialogs.h"

#include <utility>

namespace {

/* The replacement dialogs, empty while Qt's own dialogs are used. */
PathDialogs::FolderDialog& folderReplacement() {
    static PathDialogs::FolderDialog dialog;
    return dialog;
}

/* The replacement file dialog, empty while Qt's own dialog is used. */
PathDialogs::FileDialog& fileReplacement() {
    static PathDialogs::FileDialog dialog;
    return dialog;
}

}  // namespace

/* Ask for a folder. */
QString PathDialogs::getExistingDirectory(QWidget* parent, const QString& caption,
                                          const QString& dir, QFileDialog::Options options) {
    if (folderReplacement()) {
        return folderReplacement()(parent, caption, dir, options);
    }
    return QFileDialog::getExistingDirectory(parent, caption, dir, options);
}

/* Ask for one existing file. */
QString PathDialogs::getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                     const QString& filter) {
    if (fileReplacement()) {
        return fileReplacement()(parent, caption, dir, filter);
    }
    return QFileDialog::getOpenFileName(parent, caption, dir, filter, nullptr,
                                        QFileDialog::Options());
}

/* Install or remove the replacements. */
void PathDialogs::replace(FolderDialog folderDialog, FileDialog fileDialog) {
    folderReplacement() = std::move(folderDialog);
    fileReplacement() = std::move(fileDialog);
}
