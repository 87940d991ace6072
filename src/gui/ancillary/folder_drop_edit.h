#pragma once

#include <QLineEdit>

namespace halvana {

// A text box that takes the path of a file or folder dropped from the file browser (the last
// one when several are dropped).
class FolderDropEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

} // namespace halvana
