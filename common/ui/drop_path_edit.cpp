#include "common/ui/drop_path_edit.h"

#include <QByteArray>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QList>
#include <QMimeData>
#include <QUrl>

namespace common {

QString CutToBytes(const QString& path, int limit) {
    QByteArray bytes = QFile::encodeName(path);
    if (bytes.size() <= limit) return path;
    int end = limit;
    while (end > 0 && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80) --end;
    return QFile::decodeName(bytes.left(end));
}

CWinEdit::CWinEdit(QWidget* parent) : QLineEdit(parent) {
    setAcceptDrops(true);
}

void CWinEdit::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    } else {
        QLineEdit::dragEnterEvent(event);
    }
}

void CWinEdit::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    } else {
        QLineEdit::dragMoveEvent(event);
    }
}

void CWinEdit::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    const QString path = urls.isEmpty() ? QString() : urls.first().toLocalFile();
    if (path.isEmpty()) {
        // Dropped text or a remote address: the line edit's own handling.
        QLineEdit::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    dropped_ = true;
    emit PathDropped(CutToBytes(path, kDroppedPathLimit));
}

}  // namespace common
