#pragma once

#include <QPoint>
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

// What Scroll Mode does with a key (Qt::Key values).
enum class ScrollModeAction { Ignore, LineDown, LineUp, PageDown, PageUp, ColumnRight, ColumnLeft, Close };

ScrollModeAction scrollModeActionForKey(int qtKey);

} // namespace halvana
