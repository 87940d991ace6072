#include "gui/app/child_window_slot.h"

#include "gui/app/mdi_form1.h"
#include "gui/app/window_placement.h"

#include <QAction>
#include <QMdiSubWindow>

namespace halvana {

ChildWindowSlot::ChildWindowSlot(MDIForm1& main, GeometryKeys keys, QString menuItem, bool* openAtExit)
    : QObject(&main), m_main(main), m_keys(std::move(keys)), m_menuItem(std::move(menuItem)), m_openAtExit(openAtExit)
{
}

QWidget* ChildWindowSlot::widget() const
{
    return m_window ? m_window->widget() : nullptr;
}

QMdiSubWindow* ChildWindowSlot::open(QWidget* widget, bool minimised)
{
    const QSize requested = widget->size();
    const bool maximiseLikeTheOthers = m_main.childWindowMaximised();
    QMdiSubWindow* sub = m_main.addChildWindow(widget);
    sub->resize(m_defaultSize.value_or(requested.expandedTo(widget->sizeHint()) + (sub->size() - widget->size())));
    auto* placement = new WindowPlacement(*sub, m_main.settings(), m_keys);
    placement->restore(!minimised);
    if (minimised)
        sub->showMinimized();
    else if (maximiseLikeTheOthers && !sub->isMinimized())
        sub->showMaximized();
    placement->storeOnClose([slot = QPointer<ChildWindowSlot>(this)] {
        if (slot)
            slot->onClosed();
    });
    m_window = sub;
    setOpen(true);
    return sub;
}

void ChildWindowSlot::close()
{
    if (m_window)
        m_window->close();
}

void ChildWindowSlot::toggle(const std::function<void()>& open)
{
    if (m_window)
        m_window->close();
    else
        open();
    // Triggering the item has flipped its check mark already; it shows what is open.
    if (QAction* item = m_main.menuAction(m_menuItem))
        item->setChecked(isOpen());
}

void ChildWindowSlot::setOpen(bool open)
{
    if (QAction* item = m_main.menuAction(m_menuItem))
        item->setChecked(open);
    if (m_openAtExit)
        *m_openAtExit = open;
}

void ChildWindowSlot::onClosed()
{
    m_window = nullptr;
    const bool byUser = !m_main.isShuttingDown();
    if (byUser)
        setOpen(false);
    emit closed(byUser);
}

} // namespace halvana
