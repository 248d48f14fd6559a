#include "app/pathdrop.h"

#include "engine/convertoptions.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

namespace {

/* The first local file of the data: its URLs, else a file URL given as text. */
QString firstLocalPath(const QMimeData* data) {
    QList<QUrl> urls = data->urls();
    if (urls.isEmpty() && data->hasText()) {
        urls << QUrl(data->text().trimmed());
    }
    if (urls.isEmpty() || !urls.first().isLocalFile()) {
        return QString();
    }
    return urls.first().toLocalFile();
}

}  // namespace

/* Filter the field's drag and drop events. */
PathDrop* PathDrop::install(QLineEdit* field, Kind kind) {
    auto* filter = new PathDrop(field, kind);
    field->installEventFilter(filter);
    return filter;
}

/* A folder or a workbook file from the data, as the field shows it. */
QString PathDrop::acceptedPath(const QMimeData* data, Kind kind) {
    if (data == nullptr) {
        return QString();
    }
    const QString path = firstLocalPath(data);
    if (path.isEmpty()) {
        return QString();
    }
    const QFileInfo info(path);
    if (kind == Kind::Folder) {
        return info.isDir() ? ConvertOptions::folderWithSeparator(path) : QString();
    }
    const bool workbook = info.isFile() && ConvertOptions::isWorkbookPath(path);
    return workbook ? QDir::toNativeSeparators(path) : QString();
}

/* The filter belongs to its field. */
PathDrop::PathDrop(QLineEdit* field, Kind kind) : QObject(field), m_field(field), m_kind(kind) {}

/* Accept a fitting drag; on drop put the path into the field; refuse everything else. */
bool PathDrop::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_field) {
        return false;
    }
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
        return false;
    }
    auto* drop = static_cast<QDropEvent*>(event);
    const QString path = m_field->isReadOnly() ? QString() : acceptedPath(drop->mimeData(), m_kind);
    if (path.isEmpty()) {
        drop->ignore();
        return true;
    }
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop) {
        m_field->setText(path);
        emit dropped(path);
    }
    return true;
}
