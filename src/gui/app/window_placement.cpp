#include "gui/app/window_placement.h"

#include "core/app/window_arrangement.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace halvana {

WindowPlacement::WindowPlacement(QMdiSubWindow& window, AppSettings& settings, GeometryKeys keys)
    : QObject(&window), m_window(window), m_settings(settings), m_keys(std::move(keys)), m_normal(window.geometry())
{
    window.installEventFilter(this);
}

void WindowPlacement::restore(bool applyState)
{
    const StoredGeometry stored = readGeometry(m_settings, m_keys);
    // A place stored on a larger screen, or below the area after a Tile, is brought into view.
    const QSize area = m_window.mdiArea() ? m_window.mdiArea()->viewport()->size() : QSize();
    m_window.setGeometry(keepInWorkArea(stored.applyTo(m_window.geometry()), area, m_window.minimumSizeHint()));
    m_normal = m_window.geometry();

    if (!applyState)
        return;
    if (stored.state == WindowState::Minimised)
        m_window.showMinimized();
    else if (stored.state == WindowState::Maximised)
        m_window.showMaximized();
}

void WindowPlacement::store()
{
    WindowState state = WindowState::Normal;
    if (m_window.isMinimized())
        state = WindowState::Minimised;
    else if (m_window.isMaximized())
        state = WindowState::Maximised;
    writeGeometry(m_settings, m_keys, m_normal, state);
}

void WindowPlacement::storeOnClose(std::function<void()> afterStore)
{
    m_storeOnClose = true;
    m_afterStore = std::move(afterStore);
}

bool WindowPlacement::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_window) {
        const bool moved = event->type() == QEvent::Move || event->type() == QEvent::Resize;
        if (moved && !m_window.isMinimized() && !m_window.isMaximized())
            m_normal = m_window.geometry();
        if (event->type() == QEvent::Close && m_storeOnClose) {
            store();
            if (m_afterStore)
                m_afterStore();
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace halvana
