#include "gui/app/child_window_geometry.h"

#include <QEvent>
#include <QMdiSubWindow>

namespace halvana {

ChildWindowGeometry::ChildWindowGeometry(QMdiSubWindow* window, AppSettings& settings, GeometryKeys keys,
                                         QSize defaultPixels)
    : QObject(window), m_window(window), m_settings(settings), m_keys(std::move(keys)), m_defaultPixels(defaultPixels)
{
    window->installEventFilter(this);
}

void ChildWindowGeometry::restore()
{
    const StoredGeometry stored = readGeometry(m_settings, m_keys);
    m_window->setGeometry(stored.applyTo(QRect(m_window->pos(), m_defaultPixels)));
    m_normal = m_window->geometry();
    if (stored.state == WindowState::Maximised)
        m_window->showMaximized();
    else if (stored.state == WindowState::Minimised)
        m_window->showMinimized();
}

void ChildWindowGeometry::save()
{
    WindowState state = WindowState::Normal;
    if (m_window->isMinimized())
        state = WindowState::Minimised;
    else if (m_window->isMaximized())
        state = WindowState::Maximised;
    writeGeometry(m_settings, m_keys, state == WindowState::Normal ? m_window->geometry() : m_normal, state);
}

bool ChildWindowGeometry::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window && event->type() == QEvent::Close) {
        save();
        if (m_onClose)
            m_onClose();
    }
    const bool moved = event->type() == QEvent::Move || event->type() == QEvent::Resize;
    if (watched == m_window && moved && !m_window->isMinimized() && !m_window->isMaximized())
        m_normal = m_window->geometry();
    return QObject::eventFilter(watched, event);
}

} // namespace halvana
