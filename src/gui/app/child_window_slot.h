#pragma once

#include "core/app/window_geometry.h"

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

class QMdiSubWindow;
class QWidget;

namespace halvana {

class MDIForm1;

// The place of one child window of the work area, open or not. It shows the window where it
// was last and stores its placement when it closes, and keeps the window's menu check mark and
// its "reopen at the next start" flag. A window the user closes is not reopened at the next
// start; one closed by the program's shutdown is.
class ChildWindowSlot : public QObject {
    Q_OBJECT
public:
    // `menuItem` (a control name) and `openAtExit` may be left out by a window without them.
    ChildWindowSlot(MDIForm1& main, GeometryKeys keys, QString menuItem = QString(), bool* openAtExit = nullptr);

    // The window's size, frame included, before a stored placement applies. Without one the
    // widget keeps its own size, grown to what its contents ask for.
    void setDefaultSize(QSize size) { m_defaultSize = size; }

    bool isOpen() const { return !m_window.isNull(); }
    QMdiSubWindow* window() const { return m_window; }
    QWidget* widget() const;

    // Shows `widget` as the window. One opened minimised stays minimised whatever state was stored.
    QMdiSubWindow* open(QWidget* widget, bool minimised = false);
    void close();
    // The menu command: closes the open window or runs `open`; the check mark follows.
    void toggle(const std::function<void()>& open);

signals:
    // The window has closed and its placement is stored; `byUser` is false at shutdown.
    void closed(bool byUser);

private:
    void setOpen(bool open);
    void onClosed();

    MDIForm1& m_main;
    GeometryKeys m_keys;
    QString m_menuItem;
    bool* m_openAtExit;
    std::optional<QSize> m_defaultSize;
    QPointer<QMdiSubWindow> m_window;
};

} // namespace halvana
