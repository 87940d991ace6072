#include "data_views_fixture.h"

#include "gui/views/frm_bcm_panel.h"
#include "gui/views/frm_system_settings.h"

#include <QSettings>

namespace halvana::test {
namespace {

TEST_F(DataViewsTest, WindowsLeftOpenReturnWhereTheyWereAndClosedOnesStayClosed)
{
    start();
    polling->describeUnit({1});
    menu("mnuMeterTable3");
    subWindowOf(table(3))->setGeometry(30, 40, 500, 300);
    menu("mnuSystemandPanelSettings");
    QMdiSubWindow* system = subWindowOf(views->systemSettingsWindow());
    system->move(20, 10);
    system->resize(system->width(), 520);
    menu("mnuBCM_Panel_CB_View1");
    subWindowOf(views->panelWindow(kSubfeedPanelView))->move(100, 60);
    restart();

    const auto stored = storeOnDisk();
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } keys[] = {
        {"MeterTableLeft", "3", "450"},          {"MeterTableTop", "3", "600"},
        {"MeterTablePosition", "03_Width", "7500"}, {"MeterTablePosition", "03_Height", "4500"},
        {"MeterTableState", "3", "0"},           {"MeterTableWindowOpenFlag", "3", "True"},
        {"frmSystemSettingsPos", "0", "300"},    {"frmSystemSettingsPos", "1", "150"},
        {"frmSystemSettingsPos", "2", "0"},      {"frmSystemSettingsPos", "3", "7800"},
        {"Properties", "frmSystemSettingsFlag", "True"},
        {"BCM_PnlBraRdgs_Left", "1", "1500"},    {"BCM_PnlBraRdgs_Top", "1", "900"},
        {"BCM_PnlBraRdgs_State", "1", "0"},      {"BCM_PnlBraRdgsOpenFlag", "1", "True"},
    };
    for (const auto& k : keys)
        EXPECT_EQ(stored->value(QString::fromLatin1(k.section), QString::fromLatin1(k.key)), QString::fromLatin1(k.value))
            << k.section << "/" << k.key;
    EXPECT_FALSE(stored->contains(QStringLiteral("frmSystemSettingsPos"), QStringLiteral("4")))
        << "the window's width is not the user's to keep";

    // The views come back at start, the tables at the first system information reply.
    ASSERT_NE(views->systemSettingsWindow(), nullptr);
    EXPECT_TRUE(checked("mnuSystemandPanelSettings"));
    EXPECT_EQ(subWindowOf(views->systemSettingsWindow())->geometry().topLeft(), QPoint(20, 10));
    EXPECT_EQ(subWindowOf(views->systemSettingsWindow())->height(), 520);
    ASSERT_NE(views->panelWindow(kSubfeedPanelView), nullptr);
    EXPECT_EQ(subWindowOf(views->panelWindow(kSubfeedPanelView))->pos(), QPoint(100, 60));
    EXPECT_TRUE(checked("mnuBCM_Panel_CB_View1"));
    ASSERT_NE(table(3), nullptr) << "the subfeed view opens it";

    subWindowOf(table(3))->close();
    subWindowOf(table(2))->close();
    menu("mnuBCM_Panel_CB_View1");
    menu("mnuMeterTable0");
    menu("mnuSystemandPanelSettings");
    restart();
    EXPECT_EQ(views->systemSettingsWindow(), nullptr);
    EXPECT_EQ(views->panelWindow(kSubfeedPanelView), nullptr);
    EXPECT_EQ(table(0), nullptr);
    polling->runFor(200);
    ASSERT_NE(table(0), nullptr);
    EXPECT_TRUE(checked("mnuMeterTable0"));
    EXPECT_EQ(table(3), nullptr);
    EXPECT_FALSE(checked("mnuMeterTable3"));
    EXPECT_EQ(storeOnDisk()->value(QStringLiteral("MeterTableWindowOpenFlag"), QStringLiteral("3")), QStringLiteral("False"));

    // Tables reopen once per run: closing one later does not bring it back with the next reply.
    subWindowOf(table(0))->close();
    polling->runFor(2000);
    EXPECT_EQ(table(0), nullptr);
}

TEST_F(DataViewsTest, AWindowClosedMaximisedKeepsItsNormalPlaceAndReturnsMaximised)
{
    start();
    polling->describeUnit({1});
    menu("mnuMeterTable2");
    QMdiSubWindow* sub = subWindowOf(table(2));
    sub->setGeometry(10, 20, 400, 250);
    sub->showMaximized();
    restart();

    const auto stored = storeOnDisk();
    EXPECT_EQ(stored->value(QStringLiteral("MeterTableState"), QStringLiteral("2")), QStringLiteral("2"));
    EXPECT_EQ(stored->value(QStringLiteral("MeterTableLeft"), QStringLiteral("2")), QStringLiteral("150"));
    EXPECT_EQ(stored->value(QStringLiteral("MeterTablePosition"), QStringLiteral("02_Width")), QStringLiteral("6000"));

    polling->runFor(200);
    ASSERT_NE(table(2), nullptr);
    sub = subWindowOf(table(2));
    EXPECT_TRUE(sub->isMaximized());
    sub->showNormal();
    EXPECT_EQ(sub->geometry(), QRect(10, 20, 400, 250));
}

TEST_F(DataViewsTest, DefaultSettingsLeaveNoLayoutOfTheOpenWindowsBehind)
{
    start();
    menu("mnuMeterTable4");
    menu("mnuSystemandPanelSettings");
    menu("mnuBCM_Panel_CB_View3");
    shell.answers.push_back(true);
    menu("mnuDeleteReg");
    // What the store writes back when the program ends.
    form.reset();
    settings.reset();

    const QStringList keys = QSettings(storePath(), QSettings::IniFormat).allKeys();
    EXPECT_TRUE(keys.isEmpty()) << keys.join(' ').toStdString();
}

TEST_F(DataViewsTest, TheSystemConfigurationWindowKeepsTheWidthOfItsContents)
{
    start();
    menu("mnuSystemandPanelSettings");
    QMdiSubWindow* system = subWindowOf(views->systemSettingsWindow());
    const int width = system->width();
    system->resize(width + 200, 600);
    EXPECT_EQ(system->width(), width);
    EXPECT_EQ(system->height(), 600);
    system->showMaximized();
    EXPECT_GT(system->width(), width);
}

} // namespace
} // namespace halvana::test
