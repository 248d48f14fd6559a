#pragma once

#include <QObject>
#include <QString>

class QLineEdit;
class QMimeData;

// Lets a path field take a folder or a file dragged onto it from a file manager: the field
// receives the local path in native separators (a folder with one trailing separator) instead
// of the "file:///..." text a line edit would insert. Anything else dropped is refused, and so
// is every drop on a read-only field.
class PathDrop : public QObject {
    Q_OBJECT
public:
    enum class Kind {
        Folder,   // an existing folder
        Workbook  // an existing file named .xls, .xlsx or .xlsm
    };

    // Install on `field`; the filter is owned by the field and returned for its signal.
    static PathDrop* install(QLineEdit* field, Kind kind);

    // The text a field of this kind takes from the dropped data: the first local path of the
    // data's URLs (or of its text when that is a file URL) when it is of the kind; else empty.
    static QString acceptedPath(const QMimeData* data, Kind kind);

signals:
    // A path was dropped and put into the field.
    void dropped(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PathDrop(QLineEdit* field, Kind kind);

    QLineEdit* m_field;
    Kind m_kind;
};
