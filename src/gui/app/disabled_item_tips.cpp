#include "gui/app/disabled_item_tips.h"

#include <QAction>
#include <QHelpEvent>
#include <QMenu>
#include <QMenuBar>
#include <QToolTip>

namespace halvana {

DisabledItemTips::DisabledItemTips(QMenuBar* menuBar) : QObject(menuBar)
{
    menuBar->installEventFilter(this);
    for (QMenu* menu : menuBar->findChildren<QMenu*>())
        menu->installEventFilter(this);
}

bool DisabledItemTips::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QObject::eventFilter(watched, event);
    const auto* help = static_cast<QHelpEvent*>(event);
    QAction* action = nullptr;
    if (auto* menu = qobject_cast<QMenu*>(watched))
        action = menu->actionAt(help->pos());
    else if (auto* bar = qobject_cast<QMenuBar*>(watched))
        action = bar->actionAt(help->pos());
    if (!action || action->isEnabled() || action->statusTip().isEmpty())
        return QObject::eventFilter(watched, event);
    QToolTip::showText(help->globalPos(), action->statusTip(), static_cast<QWidget*>(watched));
    return true;
}

} // namespace halvana
