#pragma once
// The converters' path box: a line edit that also takes a file or folder
// dropped onto it from the desktop. Both converters' dialogs use it.

#include <QLineEdit>
#include <QString>

namespace common {

// path cut to at most limit bytes of its host spelling, never inside a
// character.
QString CutToBytes(const QString& path, int limit);

class CWinEdit : public QLineEdit {
    Q_OBJECT

public:
    // The longest dropped path kept, in bytes of its host spelling.
    static constexpr int kDroppedPathLimit = 256;

    explicit CWinEdit(QWidget* parent = nullptr);

    // True once something was dropped onto the box.
    bool WasDropped() const { return dropped_; }

signals:
    // The first dropped item's path, cut to kDroppedPathLimit bytes.
    void PathDropped(const QString& path);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool dropped_ = false;
};

}  // namespace common
