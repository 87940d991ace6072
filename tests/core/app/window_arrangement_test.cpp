#include "core/app/window_arrangement.h"

#include <gtest/gtest.h>

#include <QtCore/qnamespace.h>

using namespace halvana;

namespace {

using Positions = std::vector<std::optional<QPoint>>;

} // namespace

TEST(TileLayout, FlowsIntoRowsAndSkipsWindowsThatAreNotNormal)
{
    const struct {
        const char* name;
        std::vector<TileWindow> windows;
        int width;
        Positions expected;
    } cases[] = {
        {"one normal, one minimised: only the normal one moves",
         {{{300, 200}, false}, {{300, 200}, true}},
         1000,
         {std::nullopt, QPoint(0, 0)}},
        {"three in a row",
         {{{300, 200}, true}, {{300, 250}, true}, {{300, 100}, true}},
         1000,
         {QPoint(0, 0), QPoint(300, 0), QPoint(600, 0)}},
        {"a window exactly as wide as the rest starts a new row below the tallest",
         {{{300, 200}, true}, {{400, 250}, true}, {{300, 100}, true}},
         1000,
         {QPoint(0, 0), QPoint(300, 0), QPoint(0, 250)}},
        {"the new row's height is its first window's",
         {{{600, 100}, true}, {{600, 300}, true}, {{600, 50}, true}, {{100, 80}, true}},
         1000,
         {QPoint(0, 0), QPoint(0, 100), QPoint(0, 400), QPoint(600, 400)}},
        {"a maximised window in between keeps its place",
         {{{300, 200}, true}, {{900, 900}, false}, {{300, 200}, true}},
         1000,
         {QPoint(0, 0), std::nullopt, QPoint(300, 0)}},
        {"nothing to tile", {}, 1000, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tileFlowLayout(c.windows, c.width), c.expected) << c.name;
}

TEST(WindowPlacement, WindowsAreKeptInTheWorkAreaAndCascadeKeepsTheirSizes)
{
    const QSize area(1000, 600);
    const struct {
        const char* name;
        QRect window;
        QSize minimum;
        QRect expected;
    } cases[] = {
        {"a window in view stays", {10, 20, 300, 200}, {}, {10, 20, 300, 200}},
        {"past the right edge it moves left", {900, 20, 300, 200}, {}, {700, 20, 300, 200}},
        {"below the area (after a Tile) it moves up", {0, 1400, 300, 200}, {}, {0, 400, 300, 200}},
        {"above and left of the area", {-50, -10, 300, 200}, {}, {0, 0, 300, 200}},
        {"larger than the area it shrinks to it", {100, 100, 1500, 900}, {}, {0, 0, 1000, 600}},
        {"not below its minimum height", {0, 0, 300, 900}, {0, 700}, {0, 0, 300, 700}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(keepInWorkArea(c.window, area, c.minimum), c.expected) << c.name;
    EXPECT_EQ(keepInWorkArea({900, 900, 50, 50}, QSize()), QRect(900, 900, 50, 50)) << "no area yet";

    const std::vector<TileWindow> windows = {
        {{400, 300}, true}, {{400, 300}, false}, {{400, 300}, true}, {{400, 300}, true}, {{950, 300}, true}};
    EXPECT_EQ(cascadeLayout(windows, area, 30),
              Positions({QPoint(0, 0), std::nullopt, QPoint(30, 30), QPoint(60, 60), QPoint(0, 0)}))
        << "a window that would reach past the area starts again at the corner";
}

TEST(ScrollMode, OnlyTheSixNavigationKeysAndEscapeDoAnything)
{
    const std::pair<int, ScrollModeAction> cases[] = {
        {Qt::Key_Down, ScrollModeAction::LineDown},       {Qt::Key_Up, ScrollModeAction::LineUp},
        {Qt::Key_PageDown, ScrollModeAction::PageDown},   {Qt::Key_PageUp, ScrollModeAction::PageUp},
        {Qt::Key_Right, ScrollModeAction::ColumnRight},   {Qt::Key_Left, ScrollModeAction::ColumnLeft},
        {Qt::Key_Escape, ScrollModeAction::Close},        {Qt::Key_Home, ScrollModeAction::Ignore},
        {Qt::Key_Space, ScrollModeAction::Ignore},        {Qt::Key_A, ScrollModeAction::Ignore},
        {Qt::Key_Return, ScrollModeAction::Ignore},
    };
    for (const auto& [key, action] : cases)
        EXPECT_EQ(scrollModeActionForKey(key), action) << key;
}
