#include "gui/ancillary/folder_drop_edit.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

namespace halvana {

void FolderDropEdit::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls() && !isReadOnly())
        event->acceptProposedAction();
    else
        QLineEdit::dragEnterEvent(event);
}

void FolderDropEdit::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || isReadOnly()) {
        QLineEdit::dropEvent(event);
        return;
    }
    setText(QDir::toNativeSeparators(urls.last().toLocalFile()));
    emit textEdited(text());
    event->acceptProposedAction();
}

} // namespace halvana
