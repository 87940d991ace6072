#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>
#include <vector>

namespace halvana {

// One child window as the Tile command sees it.
struct TileWindow {
    QSize size;
    bool normal; // minimised and maximised windows keep their place
};

// The Tile flow layout: windows in the order given, at their current sizes, left to right in
// rows; a window starts a new row unless it fits strictly inside the remaining width. A window
// that is not in the normal state gets no position.
std::vector<std::optional<QPoint>> tileFlowLayout(const std::vector<TileWindow>& windows, int areaWidth);

// Cascade: the normal windows at their own sizes, each `step` lower and to the right of the one
// before, starting again at the top-left corner when a window would reach past the area.
std::vector<std::optional<QPoint>> cascadeLayout(const std::vector<TileWindow>& windows, const QSize& area, int step);

// A window's rectangle moved into the visible work area (from 0,0 to `area`), so that its
// title bar is in view: no larger than the area, yet not below `minimum`; left and top kept
// where they fit. Unchanged while the area has no size yet.
QRect keepInWorkArea(const QRect& window, const QSize& area, const QSize& minimum = QSize(0, 0));

// What Scroll Mode does with a key (Qt::Key values).
enum class ScrollModeAction { Ignore, LineDown, LineUp, PageDown, PageUp, ColumnRight, ColumnLeft, Close };

ScrollModeAction scrollModeActionForKey(int qtKey);

} // namespace halvana
