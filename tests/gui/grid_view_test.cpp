#include "core/app/window_geometry.h"
#include "gui/views/grid_table_model.h"
#include "gui/views/grid_view.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>

#include <functional>

namespace halvana {
namespace {

// The grid as the views see it: header row and first column fixed (the usual tables), or only
// a first column (the panelboards' branch grids).
struct Shape {
    const char* name;
    int fixedRows;
    int fixedColumns;
};

class GridTableModelShapes : public ::testing::TestWithParam<Shape> {};

TEST_P(GridTableModelShapes, EveryChangeOfTheGridKeepsTheModelConsistent)
{
    GridModel grid;
    grid.setFixed(GetParam().fixedRows, GetParam().fixedColumns);
    GridTableModel model(grid);
    // A broken row or column signal stops the test program.
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);

    const std::vector<std::pair<const char*, std::function<void()>>> steps = {
        {"reset", [&] { grid.reset(5, 4); }},
        {"heading and body", [&] {
             grid.setText(0, 2, QStringLiteral("B1"));
             grid.setText(3, 0, QStringLiteral("2003"));
             grid.setTextAndBackground(2, 3, QStringLiteral("Active"), kStatusRed);
         }},
        {"grow rows", [&] { grid.setRowCount(40); }},
        {"shrink to the heading", [&] { grid.setRowCount(1); }},
        {"no rows", [&] { grid.setRowCount(0); }},
        {"rows again", [&] { grid.setRowCount(3); }},
        {"one column", [&] { grid.setColumnCount(1); }},
        {"no columns", [&] { grid.setColumnCount(0); }},
        {"meter columns", [&] { grid.setColumnCount(7); }},
        {"append", [&] { grid.appendRow({QStringLiteral("5"), QStringLiteral("Value"), QStringLiteral("1")}); }},
        {"batch", [&] {
             GridModel::UpdateBatch batch(grid);
             for (int r = 0; r < grid.rowCount(); ++r)
                 grid.setText(r, 6, QString::number(r));
             grid.setRowHidden(1, true);
             grid.setColumnWidth(2, 0);
             grid.setColumnAlignment(3, GridModel::Alignment::RightCentre);
         }},
        {"shrink inside a batch", [&] {
             GridModel::UpdateBatch batch(grid);
             grid.setText(3, 5, QStringLiteral("x"));
             grid.setRowCount(2);
         }},
        {"empty reset", [&] { grid.reset(0, 0); }},
    };
    for (const auto& [name, step] : steps) {
        step();
        EXPECT_EQ(model.rowCount(), std::max(0, grid.rowCount() - GetParam().fixedRows)) << name;
        EXPECT_EQ(model.columnCount(), std::max(0, grid.columnCount() - GetParam().fixedColumns)) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, GridTableModelShapes,
                         ::testing::Values(Shape{"HeadingRowAndColumn", 1, 1}, Shape{"FirstColumnOnly", 0, 1},
                                           Shape{"NoHeadings", 0, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GridTableModel, TellsTheViewOnlyWhatChanged)
{
    GridModel grid;
    grid.reset(60, 5);
    GridTableModel model(grid);
    QSignalSpy cells(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy headings(&model, &QAbstractItemModel::headerDataChanged);

    grid.setText(10, 3, QStringLiteral("5.5"));
    grid.setText(10, 3, QStringLiteral("5.5"));
    ASSERT_EQ(cells.count(), 1);
    EXPECT_EQ(cells[0][0].toModelIndex(), model.index(9, 2));

    // One reply's column arrives as one change over the rows it touched.
    cells.clear();
    {
        GridModel::UpdateBatch batch(grid);
        for (int r = 1; r <= 55; ++r)
            grid.setText(r, 4, QString::number(r));
    }
    ASSERT_EQ(cells.count(), 1);
    EXPECT_EQ(cells[0][0].toModelIndex(), model.index(0, 3));
    EXPECT_EQ(cells[0][1].toModelIndex(), model.index(54, 3));

    // A new meter's heading is a heading change, not a cell change.
    cells.clear();
    grid.setText(0, 4, QStringLiteral("B3"));
    EXPECT_EQ(cells.count(), 0);
    ASSERT_EQ(headings.count(), 1);
    EXPECT_EQ(headings[0][0].value<Qt::Orientation>(), Qt::Horizontal);
    EXPECT_EQ(headings[0][1].toInt(), 3);
}

TEST(GridView, ShowsWidthsInPixelsHidesZeroWidthColumnsAndHiddenRowsAndWidensForNumbers)
{
    GridModel grid;
    grid.reset(12, 6);
    grid.setColumnWidth(0, 1000);
    grid.setColumnWidth(1, 1300);
    grid.setColumnWidth(3, 0);
    GridView view(grid);

    EXPECT_EQ(view.verticalHeader()->width(), twipsToPixels(1000));
    EXPECT_EQ(view.columnWidth(0), twipsToPixels(1300));
    EXPECT_EQ(view.columnWidth(1), twipsToPixels(GridModel::kDefaultColumnWidth));
    EXPECT_TRUE(view.isColumnHidden(2));

    grid.setRowHidden(6, true);
    EXPECT_TRUE(view.isRowHidden(5));
    grid.setRowHidden(6, false);
    EXPECT_FALSE(view.isRowHidden(5));

    // A rebuilt grid brings its own hidden rows and widths.
    grid.reset(12, 4);
    grid.setRowHidden(10, true);
    grid.setColumnWidth(2, 900);
    grid.setColumnWidth(3, 300);
    EXPECT_TRUE(view.isRowHidden(9));
    EXPECT_FALSE(view.isColumnHidden(2));
    EXPECT_EQ(view.columnWidth(1), twipsToPixels(900));

    // A meter column added by a decoder takes its width at once.
    grid.setColumnCount(5);
    grid.setColumnWidth(4, 300);
    const int narrow = view.columnWidth(3);
    EXPECT_EQ(narrow, twipsToPixels(300));

    // A number wider than its column widens it, and keeps it wide; a label does not.
    grid.setText(1, 4, QStringLiteral("Over Voltage Alarm Setpoint"));
    EXPECT_EQ(view.columnWidth(3), narrow);
    grid.setText(1, 3, QStringLiteral("12345.67"));
    const int widened = view.columnWidth(2);
    EXPECT_GT(widened, twipsToPixels(300));
    EXPECT_GE(widened, view.fontMetrics().horizontalAdvance(QStringLiteral("12345.67")));
    grid.setText(1, 3, QStringLiteral("1"));
    EXPECT_EQ(view.columnWidth(2), widened);

    // A grid sized to its cells grows with them.
    view.setSizedToContent(true);
    const int before = view.width();
    grid.setText(2, 4, QStringLiteral("123456789.5"));
    EXPECT_GT(view.width(), before);
    EXPECT_EQ(view.width(), view.contentWidth());
}

TEST(GridView, PollingNeitherScrollsNorMovesTheSelection)
{
    GridModel grid;
    grid.reset(120, 60);
    GridView view(grid);
    view.resize(400, 300);
    view.show();
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum() / 2);
    const QModelIndex current = view.model()->index(70, 30);
    view.setCurrentIndex(current);
    const int v = view.verticalScrollBar()->value();
    const int h = view.horizontalScrollBar()->value();

    for (int reply = 0; reply < 20; ++reply) {
        GridModel::UpdateBatch batch(grid);
        const int column = 2 + reply;
        for (int r = 1; r < grid.rowCount(); ++r)
            grid.setText(r, column, QString::number(reply * 1000 + r));
        grid.setRowHidden(5, true);
    }
    grid.setColumnCount(61);
    grid.setText(0, 60, QStringLiteral("B59"));

    EXPECT_EQ(view.verticalScrollBar()->value(), v);
    EXPECT_EQ(view.horizontalScrollBar()->value(), h);
    EXPECT_EQ(view.currentIndex(), current);
}

} // namespace
} // namespace halvana
