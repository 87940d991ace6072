#include "core/app/window_arrangement.h"

#include <QtCore/qnamespace.h>

#include <algorithm>

namespace halvana {

std::vector<std::optional<QPoint>> tileFlowLayout(const std::vector<TileWindow>& windows, int areaWidth)
{
    std::vector<std::optional<QPoint>> positions(windows.size());
    bool first = true;
    int x = 0;
    int rowTop = 0;
    int rowBottom = 0;
    for (size_t i = 0; i < windows.size(); ++i) {
        const TileWindow& w = windows[i];
        if (!w.normal)
            continue;
        if (first) {
            first = false;
        } else if (x + w.size.width() < areaWidth) {
            positions[i] = QPoint(x, rowTop);
            x += w.size.width();
            rowBottom = std::max(rowBottom, rowTop + w.size.height());
            continue;
        } else {
            rowTop = rowBottom;
        }
        positions[i] = QPoint(0, rowTop);
        x = w.size.width();
        rowBottom = rowTop + w.size.height();
    }
    return positions;
}

std::vector<std::optional<QPoint>> cascadeLayout(const std::vector<TileWindow>& windows, const QSize& area, int step)
{
    std::vector<std::optional<QPoint>> positions(windows.size());
    int k = 0;
    for (size_t i = 0; i < windows.size(); ++i) {
        const TileWindow& w = windows[i];
        if (!w.normal)
            continue;
        const int offset = k * step;
        if (k > 0 && (offset + w.size.width() > area.width() || offset + w.size.height() > area.height()))
            k = 0;
        positions[i] = QPoint(k * step, k * step);
        ++k;
    }
    return positions;
}

QRect keepInWorkArea(const QRect& window, const QSize& area, const QSize& minimum)
{
    if (area.isEmpty())
        return window;
    const int width = std::max(std::min(window.width(), area.width()), minimum.width());
    const int height = std::max(std::min(window.height(), area.height()), minimum.height());
    const int left = std::clamp(window.left(), 0, std::max(0, area.width() - width));
    const int top = std::clamp(window.top(), 0, std::max(0, area.height() - height));
    return QRect(left, top, width, height);
}

ScrollModeAction scrollModeActionForKey(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Down:
        return ScrollModeAction::LineDown;
    case Qt::Key_Up:
        return ScrollModeAction::LineUp;
    case Qt::Key_PageDown:
        return ScrollModeAction::PageDown;
    case Qt::Key_PageUp:
        return ScrollModeAction::PageUp;
    case Qt::Key_Right:
        return ScrollModeAction::ColumnRight;
    case Qt::Key_Left:
        return ScrollModeAction::ColumnLeft;
    case Qt::Key_Escape:
        return ScrollModeAction::Close;
    default:
        return ScrollModeAction::Ignore;
    }
}

} // namespace halvana
