#include "gui/app/scroll_mode_capture.h"

#include "core/app/window_arrangement.h"

#include <QAbstractScrollArea>
#include <QKeyEvent>
#include <QScrollBar>

namespace halvana {

ScrollModeCapture::ScrollModeCapture(QAbstractScrollArea* area, QWidget* mainWindow)
    : QWidget(mainWindow), m_area(area), m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("frmDummy"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(0, 0);
}

void ScrollModeCapture::start()
{
    show();
    setFocus(Qt::OtherFocusReason);
}

void ScrollModeCapture::keyPressEvent(QKeyEvent* event)
{
    const ScrollModeAction action = scrollModeActionForKey(event->key());
    if (action == ScrollModeAction::Close || m_mainWindow->isMinimized()) {
        close();
        return;
    }
    QScrollBar* vertical = m_area->verticalScrollBar();
    QScrollBar* horizontal = m_area->horizontalScrollBar();
    switch (action) {
    case ScrollModeAction::LineDown:
        vertical->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case ScrollModeAction::LineUp:
        vertical->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case ScrollModeAction::PageDown:
        vertical->triggerAction(QAbstractSlider::SliderPageStepAdd);
        break;
    case ScrollModeAction::PageUp:
        vertical->triggerAction(QAbstractSlider::SliderPageStepSub);
        break;
    case ScrollModeAction::ColumnRight:
        horizontal->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case ScrollModeAction::ColumnLeft:
        horizontal->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case ScrollModeAction::Ignore:
    case ScrollModeAction::Close:
        break; // other keys are swallowed so nothing else reacts while scrolling
    }
}

void ScrollModeCapture::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    close();
}

} // namespace halvana
