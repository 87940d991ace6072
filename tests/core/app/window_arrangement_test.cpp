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
