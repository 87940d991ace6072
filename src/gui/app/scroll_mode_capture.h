#pragma once

#include <QWidget>

class QAbstractScrollArea;

namespace halvana {

// Scroll Mode: an invisible window that takes the keyboard so that the arrow and page keys
// scroll the main window's work area. Esc, losing the focus, or the main window being
// minimised ends it.
class ScrollModeCapture : public QWidget {
    Q_OBJECT
public:
    ScrollModeCapture(QAbstractScrollArea* area, QWidget* mainWindow);

    void start();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QAbstractScrollArea* m_area;
    QWidget* m_mainWindow;
};

} // namespace halvana
