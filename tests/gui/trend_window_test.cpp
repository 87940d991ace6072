#include "core/device/meter_types.h"
#include "data_views_fixture.h"
#include "gui/trend/frm_trend.h"
#include "gui/views/frm_bcm_panel.h"

#include <QApplication>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>

using namespace halvana;
using namespace halvana::test;

namespace {

class TrendWindowTest : public DataViewsTest {
protected:
    int rowOf(int table, int reg)
    {
        const GridModel& grid = polling->data.tables().table(table).grid();
        for (int r = 1; r < grid.rowCount(); ++r)
            if (grid.text(r, 0) == QString::number(reg))
                return r;
        return -1;
    }
    // Right-clicks a cell; the key of what "Add to Trend" then adds, or "" when it is not offered.
    QString addFrom(GridView* view, int row, int column)
    {
        pressCell(view, row, column, Qt::RightButton);
        const bool offered = views->mnuAddToTrend()->isVisible();
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        if (!offered)
            return {};
        views->mnuAddToTrend()->trigger();
        return trend->series(trend->count() - 1).source.key();
    }
    std::unique_ptr<TrendSet> trend;
};

} // namespace

TEST_F(TrendWindowTest, AddToTrendIsOfferedOnReadingCellsOnlyAndTheWindowDrawsWhatIsSampled)
{
    start();
    trend = std::make_unique<TrendSet>(polling->data, polling->clock);
    views->setTrendSet(trend.get());
    // A branch, then a PDU input (three-phase column 2) and a subfeed (column 3, subfeed frame 0).
    polling->describeUnit({kTypeBranch, 2, 4});
    menu("mnuBCM_Panel_CB_View0");
    menu("mnuBCM_Panel_CB_View1");
    pollUntilUpdated(1);
    pollUntilUpdated(3);

    const int current = rowOf(1, 2111);
    EXPECT_EQ(addFrom(table(0)->MSFlexGrid1(), current, 2), QString()) << "settings are no reading";
    EXPECT_EQ(addFrom(table(1)->MSFlexGrid1(), current, 1), QString()) << "nor is a description";
    EXPECT_EQ(addFrom(table(1)->MSFlexGrid1(), current, 2), QStringLiteral("1:2111:2"));
    EXPECT_EQ(addFrom(views->panelWindow(kBranchPanelView)->grdSeqNum(0), 0, 2), QStringLiteral("1:2109:2"));
    EXPECT_TRUE(addFrom(views->panelWindow(kSubfeedPanelView)->grdPanel2(0), 5, 1).startsWith(QStringLiteral("3:")));
    ASSERT_EQ(trend->count(), 3);
    EXPECT_TRUE(trend->series(2).source.column == 3 && trend->series(2).label.endsWith(QStringLiteral(": Current Phase A (A)")))
        << qPrintable(trend->series(2).label) << " in column " << trend->series(2).source.column;

    FrmTrend window(*trend);
    for (int cycle = 0; cycle < 3; ++cycle)
        trend->sample();
    const QList<QAbstractSeries*> lines = window.chart()->series();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(static_cast<QLineSeries*>(lines[0])->count(), 3);
    EXPECT_EQ(lines[0]->name(), QStringLiteral("B1: Current (A)"));

    window.findChild<QPushButton*>(QStringLiteral("cmdPause"))->click();
    trend->sample();
    EXPECT_EQ(static_cast<QLineSeries*>(lines[0])->count(), 3) << "paused";
    window.findChild<QPushButton*>(QStringLiteral("cmdPause"))->click();
    EXPECT_EQ(static_cast<QLineSeries*>(window.chart()->series()[0])->count(), 4) << "resumed with what was taken";

    emit window.chart()->legend()->markers()[1]->clicked();
    EXPECT_FALSE(window.chart()->series()[1]->isVisible());
    window.findChild<QPushButton*>(QStringLiteral("cmdRemoveHidden"))->click();
    ASSERT_EQ(trend->count(), 2);
    EXPECT_EQ(trend->series(1).source.key().left(2), QStringLiteral("3:"));
}
