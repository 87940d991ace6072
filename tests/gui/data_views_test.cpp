#include "data_views_fixture.h"

#include "core/device/meter_types.h"
#include "core/device/panelboard_views.h"
#include "gui/trend/frm_trend.h"
#include "gui/views/frm_bcm_panel.h"
#include "gui/views/frm_system_settings.h"
#include "gui/views/panel_buttons_menu.h"

#include <QGroupBox>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>

namespace halvana::test {
namespace {

// Which blocks an open table has read: sequencer_test.
TEST_F(DataViewsTest, OpeningATableStartsItsPollingAndClosingItStopsIt)
{
    start();
    polling->describeUnit({1, 2, 1});
    menu("mnuMeterTable0");
    ASSERT_NE(table(0), nullptr);
    EXPECT_TRUE(checked("mnuMeterTable0"));
    pollUntilUpdated(0);
    EXPECT_FALSE(cell(table(0)->MSFlexGrid1(), 1, 3).toString().isEmpty()) << "the second branch is shown";

    menu("mnuMeterTable0");
    EXPECT_EQ(table(0), nullptr);
    EXPECT_FALSE(checked("mnuMeterTable0"));
    EXPECT_FALSE(polling->data.tables().isOpen(0));
}

TEST_F(DataViewsTest, SystemConfigurationShowsTheDecodedTextsAndStatusColours)
{
    start();
    // Meters: a branch, a subfeed, a panel and a type the program does not know.
    polling->describeUnit({1, 4, 9, 6});
    const std::pair<int, int> image[] = {{1, 7},        {2, 3},        {3, 0x0A05},   {4, 12},      {6, 1},
                                         {401, 0x0000}, {402, 0x0023}, {403, 0x0002}, {404, 0x0001}};
    for (const auto& [reg, value] : image)
        polling->unit.image[reg] = quint16(value);

    menu("mnuSystemandPanelSettings");
    FrmSystemSettings* window = views->systemSettingsWindow();
    ASSERT_NE(window, nullptr);
    polling->runFor(2000);

    // The decoding itself: meter_list_test; here each kind of box shows its field.
    const std::pair<QLineEdit*, const char*> boxes[] = {
        {window->txtSysInfo(2), "10.05.012"}, {window->txtSysInfo(15), "2"},
        {window->txtNoOfMeterTypes(5), "1"},  {window->txtNoOf_3Ph_Meters(), "2"}};
    for (const auto& [box, text] : boxes) {
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), QString::fromLatin1(text)) << box->objectName().toStdString();
    }

    GridView* grid = window->MSFlexGrid1();
    const QColor green(0, 255, 0), yellow(255, 255, 0), red(255, 0, 0);
    EXPECT_EQ(grid->model()->headerData(3, Qt::Vertical).toString(), QStringLiteral("Meter 4"));
    for (const auto& [row, column, text, colour] : {std::tuple{1, 4, "OK", green}, {2, 4, "Active", yellow},
                                                    {2, 5, "Active", red}, {3, 5, "OK", green}}) {
        EXPECT_EQ(cell(grid, row, column).toString(), QLatin1String(text)) << row << " " << column;
        EXPECT_EQ(cell(grid, row, column, Qt::BackgroundRole).value<QBrush>().color(), colour) << row << " " << column;
    }
    // The status number is kept in the hidden "Group" column.
    EXPECT_EQ(cell(grid, 2, 3).toString(), QStringLiteral("2"));
    EXPECT_TRUE(grid->isColumnHidden(grid->gridModel()->modelColumn(3)));
    EXPECT_EQ(grid->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Warning"));

    // Closing stops the updates; a status that changes: table_decoders_test.
    menu("mnuSystemandPanelSettings");
    EXPECT_EQ(views->systemSettingsWindow(), nullptr);
    EXPECT_FALSE(polling->data.systemSettings().SystemSettingsWindowOpen);
}

TEST_F(DataViewsTest, PanelboardViewsOpenTheTablesTheyAreFilledFromMinimised)
{
    const struct {
        int kind;
        int tables[2];
    } cases[] = {
        {kBranchPanelView, {0, 1}},
        {kSubfeedPanelView, {2, 3}},
        {kPduView, {2, 3}},
    };
    for (const auto& c : cases) {
        const QString item = QStringLiteral("mnuBCM_Panel_CB_View%1").arg(c.kind);
        start();
        menu(item);
        ASSERT_NE(views->panelWindow(c.kind), nullptr);
        EXPECT_TRUE(checked(item));
        EXPECT_TRUE(polling->data.panelboards().isOpen(c.kind));
        for (int t : c.tables) {
            ASSERT_NE(table(t), nullptr) << "view " << c.kind << " table " << t;
            EXPECT_TRUE(subWindowOf(table(t))->isMinimized());
            EXPECT_TRUE(checked(QStringLiteral("mnuMeterTable%1").arg(t)));
        }
        // A table that is already open stays as it is.
        menu(item);
        EXPECT_EQ(views->panelWindow(c.kind), nullptr);
        EXPECT_FALSE(polling->data.panelboards().isOpen(c.kind));
        subWindowOf(table(c.tables[0]))->showNormal();
        menu(item);
        EXPECT_FALSE(subWindowOf(table(c.tables[0]))->isMinimized());
    }
}

TEST_F(DataViewsTest, ClickingABranchSelectsItsColumnInTheReadingsTableOnceItWasReadThrough)
{
    start();
    polling->describeUnit(std::vector<int>(44, kTypeBranch));
    menu("mnuBCM_Panel_CB_View0");
    FrmBCMPanel* panel = views->panelWindow(kBranchPanelView);
    GridView* readings = table(1)->MSFlexGrid1();

    // Standard layout: the right-hand grid of the first group holds circuits 2, 4, 6, ...
    pressCell(panel->grdSeqNum(1), 1, 1, Qt::LeftButton);
    EXPECT_TRUE(readings->selectionModel()->selectedIndexes().isEmpty()) << "the table is not read through yet";

    pollUntilUpdated(1);
    ASSERT_TRUE(polling->data.tables().table(1).isUpdated());
    pressCell(panel->grdSeqNum(1), 1, 1, Qt::LeftButton);
    const QModelIndexList selected = readings->selectionModel()->selectedIndexes();
    ASSERT_FALSE(selected.isEmpty());
    const int column = readings->gridModel()->modelColumn(3 + 2);
    EXPECT_EQ(readings->model()->headerData(column, Qt::Horizontal).toString(), QStringLiteral("B4"));
    EXPECT_EQ(selected.size(), readings->model()->rowCount());
    for (const QModelIndex& index : selected)
        EXPECT_EQ(index.column(), column);
    EXPECT_EQ(form->mdiArea()->activeSubWindow(), subWindowOf(table(1)));
    EXPECT_FALSE(subWindowOf(table(1))->isMinimized());

    // Branch 44 is in the second group's left grid, circuit 43.
    pressCell(panel->grdSeqNum(2), 0, 1, Qt::LeftButton);
    EXPECT_EQ(readings->selectionModel()->selectedIndexes().first().column(), readings->gridModel()->modelColumn(42 + 2));
}

TEST_F(DataViewsTest, ASubfeedClickSelectsThatMetersColumnInTheThreePhaseReadings)
{
    start();
    // Non-branch meters in list order: PDU input (cursor 0), subfeed 1 (1), subfeed 2 (2).
    polling->describeUnit({1, 2, 1, 4, 4});
    menu("mnuBCM_Panel_CB_View1");
    pollUntilUpdated(3);
    ASSERT_TRUE(polling->data.tables().table(3).isUpdated());
    GridView* readings = table(3)->MSFlexGrid1();

    pressCell(views->panelWindow(kSubfeedPanelView)->grdPanel2(1), 1, 1, Qt::LeftButton);
    const QModelIndexList selected = readings->selectionModel()->selectedIndexes();
    ASSERT_FALSE(selected.isEmpty());
    EXPECT_EQ(selected.first().column(), readings->gridModel()->modelColumn(2 + 2));

    // A frame no meter fills selects nothing.
    readings->clearSelection();
    pressCell(views->panelWindow(kSubfeedPanelView)->grdPanel2(3), 1, 1, Qt::LeftButton);
    EXPECT_TRUE(readings->selectionModel()->selectedIndexes().isEmpty());
}

// A right click on a branch chooses its panel and opens the popup, which switches the layout and
// the label mode and copies the branch.
TEST_F(DataViewsTest, BranchPopupChoosesThePanelSwitchesLayoutAndLabelModeAndCopiesTheBranch)
{
    start();
    polling->describeUnit({1, 1});
    menu("mnuBCM_Panel_CB_View0");
    FrmBCMPanel* panel = views->panelWindow(kBranchPanelView);
    ASSERT_NE(panel, nullptr);
    PanelButtonsMenu* popup = views->mnuPanelButtons();
    PanelboardViews& boards = polling->data.panelboards();
    EXPECT_FALSE(boards.columnWidthLayout()) << "the stored flag is not \"True\"";
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("Branch Panelboard (Standard) View"));
    // Each pair of grids is one panel of 42 branches, in either layout. What the offset does to
    // the reads: modbus_link_test and link_windows_test.
    const auto rightClickChoosesThePanel = [&] {
        for (int grid = 7; grid >= 0; --grid) {
            pressCell(panel->grdSeqNum(grid), 4, 1, Qt::RightButton);
            popup->hide();
            EXPECT_EQ(views->PanelOffset(), grid / 2 * 2000) << "grid " << grid << " " << boards.columnWidthLayout();
            EXPECT_EQ(polling->link.PanelOffset(), grid / 2 * 2000);
        }
    };
    rightClickChoosesThePanel();
    pressCell(panel->grdSeqNum(6), 0, 1, Qt::LeftButton);
    EXPECT_EQ(views->PanelOffset(), 0) << "a left click is no choice of panel";

    GridModel& right = boards.view(kBranchPanelView).branchGrid(1);
    right.setText(3, PanelboardView::kValueColumn, QStringLiteral("Off"));
    pressCell(panel->grdSeqNum(1), 3, 1, Qt::RightButton);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->mnuEnable()->text(), QStringLiteral("Disable"));
    EXPECT_FALSE(popup->mnuBCM_ColWidth()->isChecked());
    popup->mnuCopyText()->trigger();
    EXPECT_EQ(shell.clipboard, QStringLiteral("B8\t\tOff"));
    popup->hide();

    popup->mnuViewMode(1)->trigger();
    EXPECT_EQ(boards.labelMode(), int(PanelboardViews::kVoltageLabels));
    EXPECT_EQ(panel->findChild<QGroupBox*>(QStringLiteral("fraSeqNum2"))->title(),
              QStringLiteral("Group 3: Voltage / Mapping (Ch#) / Parent ID"));

    popup->mnuBCM_ColWidth()->trigger();
    EXPECT_TRUE(boards.columnWidthLayout());
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("Branch Panelboard (Column-Width) View"));
    // Column-width layout: the second grid holds branches 21 to 41 (circuits 22 to 42).
    EXPECT_EQ(panel->grdSeqNum(1)->model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("B22"));
    rightClickChoosesThePanel();

    restart();
    EXPECT_EQ(storeOnDisk()->property(QStringLiteral("BCM_ColWidthFlag")), QStringLiteral("True"));
    EXPECT_TRUE(polling->data.panelboards().columnWidthLayout());
    ASSERT_NE(views->panelWindow(kBranchPanelView), nullptr) << "open at exit, open at start";
    EXPECT_EQ(views->panelWindow(kBranchPanelView)->windowTitle(), QStringLiteral("Branch Panelboard (Column-Width) View"));
}

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
    EXPECT_TRUE(trend->series(2).source.column == 3
                && trend->series(2).label.endsWith(QStringLiteral(": Current Phase A (A)")))
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

} // namespace
} // namespace halvana::test
