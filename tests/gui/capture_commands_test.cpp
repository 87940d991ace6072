#include "core/files/text_codec.h"
#include "data_views_fixture.h"
#include "gui/capture/capture_commands.h"
#include "gui/capture/compare_file_list.h"
#include "gui/capture/frm_compare.h"
#include "gui/capture/frm_compare_file_select.h"
#include "gui/views/frm_system_settings.h"

#include <QLabel>
#include <QMenu>
#include <QPushButton>

namespace halvana::test {
namespace {

class CaptureCommandsTest : public DataViewsTest {
protected:
    CaptureCommandsTest()
    {
        beforeLoad = [this](MDIForm1& f) {
            views = new DataViews(f, polling->data);
            captures = new CaptureCommands(f, polling->data, polling->sequencer, *views);
        };
    }
    QAction* popupItem(const char* name) const { return child<QAction>(captures->mnuAllSettingsPopup(), name); }
    QString downloads() const { return QDir::homePath() + "/Documents/Maldorn/HalvanaConfigTool/Downloads"; }

    CaptureCommands* captures = nullptr;
};

// The popup comes on the right button over a table read through. The captured file lands in the
// list with its status line; the list and its check marks outlive the program.
TEST_F(CaptureCommandsTest, ACaptureLandsInTheCompareFileListAndTheListIsKept)
{
    start();
    polling->describeUnit({1, 1});
    MeterTables& tables = polling->data.tables();
    menu("mnuMeterTable0");
    tables.ActiveTableIndex = 42;
    pressCell(table(0)->MSFlexGrid1(), 1, 1, Qt::RightButton);
    EXPECT_EQ(tables.ActiveTableIndex, 42) << "a fresh table is not read through";
    EXPECT_FALSE(captures->mnuAllSettingsPopup()->isVisible());
    menu("mnuMeterTable5");
    pressCell(table(5)->MSFlexGrid1(), 1, 1, Qt::LeftButton);
    EXPECT_EQ(tables.ActiveTableIndex, 5);
    EXPECT_FALSE(captures->mnuAllSettingsPopup()->isVisible()) << "only the right button opens it";

    pollUntilUpdated(0);
    pressCell(table(0)->MSFlexGrid1(), 1, 1, Qt::RightButton);
    EXPECT_EQ(tables.ActiveTableIndex, 0);
    ASSERT_TRUE(captures->mnuAllSettingsPopup()->isVisible());
    popupItem("mnuCaptureAllSettings")->trigger();
    captures->mnuAllSettingsPopup()->hide();

    const QString path = downloads() + "/Settings_001.txt";
    const GridModel& grid = polling->data.tables().table(0).grid();
    EXPECT_EQ(fileBytes(path), toWindows1252(SettingsCapture::fileText(grid, 0)));
    popupItem("mnuCopyAllSettings")->trigger();
    EXPECT_EQ(shell.clipboard, SettingsCapture::fileText(grid, 0));

    menu("mnuCompareSettings");
    FrmCompareFileSelect* window = captures->compareWindow();
    ASSERT_NE(window, nullptr);
    QTreeWidget* list = window->lvwTLM_DumpFiles();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(FrmCompareFileSelect::NameColumn), "Settings_001.txt");
    EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
    EXPECT_TRUE(window->lblStatus()->text().startsWith("Captured file: 'Settings_001.txt' on "));
    EXPECT_FALSE(window->cmdCompare()->isEnabled());

    // Browsing adds the chosen file; a second capture numbers on.
    shell.fileAnswers.push_back(downloads() + "/Elsewhere.txt");
    window->Browse();
    ASSERT_EQ(shell.fileDialogs.size(), 1u);
    EXPECT_EQ(shell.fileDialogs[0].title, "Select TLM Dump File");
    EXPECT_EQ(shell.fileDialogs[0].startPath, path);
    popupItem("mnuCaptureAllSettings")->trigger();
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->topLevelItem(2)->text(FrmCompareFileSelect::NameColumn), "Settings_002.txt");

    // The two captures compare side by side; a missing file: settings_comparison_test.
    list->topLevelItem(0)->setCheckState(FrmCompareFileSelect::CheckColumn, Qt::Checked);
    list->topLevelItem(2)->setCheckState(FrmCompareFileSelect::CheckColumn, Qt::Checked);
    EXPECT_TRUE(window->cmdCompare()->isEnabled());
    window->cmdCompare()->click();
    ASSERT_NE(captures->comparisonWindow(), nullptr);
    EXPECT_EQ(captures->comparisonWindow()->grid().text(0, 3), "Settings_002");
    list->topLevelItem(1)->setCheckState(FrmCompareFileSelect::CheckColumn, Qt::Checked);
    for (int i : {0, 2})
        list->topLevelItem(i)->setCheckState(FrmCompareFileSelect::CheckColumn, Qt::Unchecked);

    // Open File on a file that is gone says so.
    list->setCurrentItem(list->topLevelItem(1));
    window->OpenFile();
    ASSERT_EQ(shell.texts.size(), 1);
    EXPECT_EQ(shell.texts[0], "The file, '" + downloads() + "/Elsewhere.txt', was not found.");

    restart();
    EXPECT_EQ(storeOnDisk()->value("TLM_DumpFileSelectString", "0"), "0 1 0 ");
    menu("mnuCompareSettings");
    list = captures->compareWindow()->lvwTLM_DumpFiles();
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->topLevelItem(1)->checkState(FrmCompareFileSelect::CheckColumn), Qt::Checked);
}

TEST_F(CaptureCommandsTest, ACaptureThatCannotBeWrittenSaysWhereAndAddsNothing)
{
    storeBeforeStart(AppSettings::kProperties, "Downloads_Folder", QDir::homePath() + "/blocked/Downloads");
    ASSERT_TRUE(makeBlockingFile(QDir::homePath() + "/blocked"));
    start();
    polling->describeUnit({1});
    menu("mnuSystemandPanelSettings");
    polling->runFor(500);
    // A left click makes the grid the one the capture commands take, as a right click does.
    polling->data.tables().ActiveTableIndex = -1;
    pressCell(views->systemSettingsWindow()->MSFlexGrid1(), 1, 1, Qt::LeftButton);
    EXPECT_EQ(polling->data.tables().ActiveTableIndex, MeterTables::kSystemSettingsGrid);
    pressCell(views->systemSettingsWindow()->MSFlexGrid1(), 1, 1, Qt::RightButton);
    ASSERT_TRUE(captures->mnuAllSettingsPopup()->isVisible());
    // The start-up has reported the folder once already.
    const qsizetype before = shell.texts.size();
    popupItem("mnuCaptureAllSettings")->trigger();
    ASSERT_EQ(shell.texts.size(), before + 1);
    EXPECT_TRUE(shell.texts.back().contains(QDir::homePath() + "/blocked/Downloads")) << qPrintable(shell.texts.back());
    EXPECT_EQ(captures->compareFiles().list().count(), 0);
}

// Capture All Settings opens the settings tables minimised and "All Settings" in front.
TEST_F(CaptureCommandsTest, CaptureAllSettingsOpensTheSettingsTables)
{
    start();
    polling->describeUnit({1, 4});
    menu("mnuAllSettings");
    for (int t : {4, 5, 0, 2, 7, 9}) {
        ASSERT_NE(table(t), nullptr) << t;
        EXPECT_TRUE(subWindowOf(table(t))->isMinimized()) << t;
    }
    ASSERT_NE(table(kAllSettingsTable), nullptr);
    EXPECT_FALSE(subWindowOf(table(kAllSettingsTable))->isMinimized());
}

} // namespace
} // namespace halvana::test
