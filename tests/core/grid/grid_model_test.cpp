#include "core/device/signal_recorder.h"
#include "core/grid/grid_model.h"

#include <gtest/gtest.h>

namespace halvana {
namespace {

TEST(GridModel, OnlyRealChangesInsideTheGridAreMadeAndAnnounced)
{
    GridModel grid;
    grid.reset(3, 3);
    test::SignalRecorder<int, int, int, int> changes(&grid, &GridModel::cellsChanged);
    EXPECT_TRUE(grid.setText(1, 2, QStringLiteral("12.34")));
    EXPECT_FALSE(grid.setText(1, 2, QStringLiteral("12.34")));
    EXPECT_EQ(changes.count(), 1);

    // A status cell keeps its colour while its text stands.
    EXPECT_TRUE(grid.setTextAndBackground(2, 2, QStringLiteral("OK"), kStatusGreen));
    grid.setBackground(2, 2, kStatusRed);
    EXPECT_FALSE(grid.setTextAndBackground(2, 2, QStringLiteral("OK"), kStatusGreen));
    EXPECT_EQ(grid.background(2, 2), kStatusRed);

    changes.calls.clear();
    EXPECT_FALSE(grid.setText(3, 0, QStringLiteral("x")));
    EXPECT_FALSE(grid.setText(0, -1, QStringLiteral("x")));
    EXPECT_FALSE(grid.setTextAndBackground(5, 5, QStringLiteral("x"), kStatusRed));
    grid.setBold(9, 9, true);
    grid.setRowHidden(7, true);
    grid.setColumnWidth(4, 100);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(grid.text(9, 9), QString());
    EXPECT_EQ(grid.rowCount(), 3);
}

// A batch announces the bounding range of what changed once, even when nested, and never
// cells that a shrink inside it removed.
TEST(GridModel, ABatchAnnouncesTheBoundingRangeOnce)
{
    GridModel grid;
    grid.reset(10, 6);
    test::SignalRecorder<int, int, int, int> changes(&grid, &GridModel::cellsChanged);
    {
        GridModel::UpdateBatch outer(grid);
        grid.setText(4, 3, QStringLiteral("a"));
        {
            GridModel::UpdateBatch inner(grid);
            grid.setText(2, 5, QStringLiteral("b"));
        }
        grid.setText(7, 1, QStringLiteral("c"));
        EXPECT_EQ(changes.count(), 0);
    }
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.calls[0], std::make_tuple(2, 1, 7, 5));
    {
        GridModel::UpdateBatch unchanged(grid);
        grid.setText(4, 3, QStringLiteral("a"));
    }
    EXPECT_EQ(changes.count(), 1);
    {
        GridModel::UpdateBatch batch(grid);
        grid.setText(1, 1, QStringLiteral("kept"));
        grid.setText(9, 3, QStringLiteral("dropped"));
        grid.setRowCount(5);
        grid.setColumnCount(2);
    }
    ASSERT_EQ(changes.count(), 2);
    EXPECT_EQ(changes.calls[1], std::make_tuple(1, 1, 4, 1));
    EXPECT_EQ(grid.text(1, 1), QStringLiteral("kept"));
}

// Views keep their own row count and follow these signals, so "about to" must come while the
// old shape still stands and the notice after it has changed.
TEST(GridModel, ShapeChangesAreAnnouncedAroundTheChange)
{
    GridModel grid;
    grid.reset(2, 2);
    QStringList seen;
    QObject::connect(&grid, &GridModel::rowsAboutToBeInserted,
                     [&](int first, int last) { seen << QStringLiteral("rows+ %1-%2 at %3").arg(first).arg(last).arg(grid.rowCount()); });
    QObject::connect(&grid, &GridModel::rowsInserted,
                     [&](int, int) { seen << QStringLiteral("rows %1").arg(grid.rowCount()); });
    QObject::connect(&grid, &GridModel::rowsAboutToBeRemoved,
                     [&](int first, int last) { seen << QStringLiteral("rows- %1-%2 at %3").arg(first).arg(last).arg(grid.rowCount()); });
    QObject::connect(&grid, &GridModel::columnsAboutToBeInserted,
                     [&](int first, int last) { seen << QStringLiteral("cols+ %1-%2 at %3").arg(first).arg(last).arg(grid.columnCount()); });
    QObject::connect(&grid, &GridModel::modelAboutToBeReset, [&] { seen << QStringLiteral("reset at %1").arg(grid.rowCount()); });
    QObject::connect(&grid, &GridModel::modelReset, [&] { seen << QStringLiteral("reset %1").arg(grid.rowCount()); });

    grid.appendRow({QStringLiteral("1"), QStringLiteral("Device ID"), QStringLiteral("ignored")});
    grid.setRowCount(5);
    grid.setRowCount(5);
    grid.setRowCount(1);
    grid.setColumnCount(4);
    grid.reset(7, 2);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("rows+ 2-2 at 2"), QStringLiteral("rows 3"), QStringLiteral("rows+ 3-4 at 3"),
                                 QStringLiteral("rows 5"), QStringLiteral("rows- 1-4 at 5"), QStringLiteral("cols+ 2-3 at 2"),
                                 QStringLiteral("reset at 1"), QStringLiteral("reset 7")}));
}

TEST(GridModel, NewRowsAndColumnsStartEmptyAndKeepTheirNeighbours)
{
    GridModel grid;
    grid.reset(1, 2);
    grid.setText(0, 1, QStringLiteral("Description"));
    grid.appendRow({QStringLiteral("2001"), QStringLiteral("Meter Position")});
    grid.setColumnCount(3);
    grid.setRowHidden(1, true);
    grid.setRowCount(3);
    EXPECT_EQ(grid.text(0, 1), QStringLiteral("Description"));
    EXPECT_EQ(grid.text(1, 0), QStringLiteral("2001"));
    EXPECT_EQ(grid.text(1, 2), QString());
    EXPECT_TRUE(grid.isRowHidden(1));
    EXPECT_FALSE(grid.isRowHidden(2));
    EXPECT_EQ(grid.columnWidth(2), GridModel::kDefaultColumnWidth);
    EXPECT_FALSE(grid.background(2, 2).has_value());
}

} // namespace
} // namespace halvana
