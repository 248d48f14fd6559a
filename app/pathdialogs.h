#pragma once

#include <QFileDialog>
#include <QString>

#include <functional>

class QWidget;

// The two path pickers of the main window. By default they are Qt's file dialogs; a test
// replaces them so the window's picker slots run without a modal dialog.
class PathDialogs {
public:
    using FolderDialog = std::function<QString(QWidget* parent, const QString& caption,
                                               const QString& dir, QFileDialog::Options options)>;
    using FileDialog = std::function<QString(QWidget* parent, const QString& caption,
                                             const QString& dir, const QString& filter)>;

    // The chosen folder, or an empty text when the user cancelled.
    static QString getExistingDirectory(QWidget* parent, const QString& caption, const QString& dir,
                                        QFileDialog::Options options);

    // The chosen file, or an empty text when the user cancelled.
    static QString getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                   const QString& filter);

    // Answer the pickers with these functions instead of dialogs; empty functions bring the
    // dialogs back.
    static void replace(FolderDialog folderDialog, FileDialog fileDialog);
};
