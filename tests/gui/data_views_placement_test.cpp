#include "data_views_fixture.h"

#include "gui/app/link_wiring.h"
#include "gui/app/polling_session.h"
#include "gui/views/frm_bcm_panel.h"
#include "gui/views/frm_system_settings.h"

#include <QSettings>

namespace halvana::test {
namespace {

// The program as main() builds it, polling a FakeUnit over the harness's in-memory socket.
class ChildWindowsTest : public MainWindowTest {
protected:
    ChildWindowsTest()
    {
        polling.link.setTransports(nullptr, nullptr);
        storeBeforeStart(AppSettings::kProperties, QStringLiteral("LoginLevel"), QStringLiteral("2"));
        storeBeforeStart(AppSettings::kProperties, QStringLiteral("Mode"), QStringLiteral("1"));
        beforeLoad = [this](MDIForm1& f) { session = new PollingSession(f, polling.clock, nullptr, &polling.tcp); };
        polling.describeUnit({1});
    }
    ~ChildWindowsTest() override { form.reset(); }

    // Closes the program as the user would, starts it again and lets the tables come back
    // with the first system information reply.
    void restart()
    {
        form->close();
        start();
        polling.tcp.completeConnect();
        polling.runFor(500);
    }
    DataViews& views() { return session->views(); }

    PollingHarness polling;
    PollingSession* session = nullptr;
};

TEST_F(ChildWindowsTest, AWindowOpenAtExitReturnsWhereItWasAndOneTheUserClosedStaysClosed)
{
    using Keys = std::vector<std::array<const char*, 3>>;
    const struct {
        const char* menu;
        std::function<QMdiSubWindow*()> window;
        QRect placed; // an empty size only moves the window
        Keys stored;  // section, key, value; the open-at-exit flag last
    } kinds[] = {
        {"mnuMeterTable3", [this] { return subWindowOf(views().meterTableWindow(3)); }, QRect(30, 40, 500, 300),
         {{"MeterTableLeft", "3", "450"}, {"MeterTableTop", "3", "600"}, {"MeterTablePosition", "03_Width", "7500"},
          {"MeterTablePosition", "03_Height", "4500"}, {"MeterTableState", "3", "0"},
          {"MeterTableWindowOpenFlag", "3", "True"}}},
        // Its width is that of its contents, not the user's.
        {"mnuSystemandPanelSettings", [this] { return subWindowOf(views().systemSettingsWindow()); },
         QRect(20, 10, 900, 520),
         {{"frmSystemSettingsPos", "0", "300"}, {"frmSystemSettingsPos", "1", "150"}, {"frmSystemSettingsPos", "2", "0"},
          {"frmSystemSettingsPos", "3", "7800"}, {"frmSystemSettingsPos", "4", nullptr},
          {"Properties", "frmSystemSettingsFlag", "True"}}},
        {"mnuBCM_Panel_CB_View0", [this] { return subWindowOf(views().panelWindow(kBranchPanelView)); },
         QRect(100, 60, 0, 0),
         {{"BCM_PnlBraRdgs_Left", "0", "1500"}, {"BCM_PnlBraRdgs_Top", "0", "900"}, {"BCM_PnlBraRdgs_State", "0", "0"},
          {"BCM_PnlBraRdgsOpenFlag", "0", "True"}}},
        {"mnuDataSpy", [this] { return session->wiring().dataSpyWindow(); }, QRect(20, 30, 500, 250),
         {{"frmDataSpyPos", "0", "300"}, {"frmDataSpyPos", "1", "450"}, {"frmDataSpyPos", "2", "7500"},
          {"frmDataSpyPos", "3", "3750"}, {"frmDataSpyPos", "4", "0"}, {"Properties", "DataSpyEnabled", "True"}}},
    };
    const auto storedValue = [this](const std::array<const char*, 3>& k) {
        return storeOnDisk()->contains(k[0], k[1]) ? std::optional(storeOnDisk()->value(k[0], k[1])) : std::nullopt;
    };

    start();
    // Room for the branch view, wider than the default window, at its place.
    form->resize(1600, 1000);
    polling.tcp.completeConnect();
    std::vector<QRect> atExit;
    for (const auto& kind : kinds) {
        menu(kind.menu);
        QMdiSubWindow* sub = kind.window();
        ASSERT_NE(sub, nullptr) << kind.menu;
        if (kind.placed.isEmpty())
            sub->move(kind.placed.topLeft());
        else
            sub->setGeometry(kind.placed);
        atExit.push_back(sub->geometry());
    }
    restart();
    for (size_t i = 0; i < std::size(kinds); ++i) {
        for (const auto& k : kinds[i].stored)
            EXPECT_EQ(storedValue(k), k[2] ? std::optional(QString(k[2])) : std::nullopt) << k[0] << "/" << k[1];
        ASSERT_NE(kinds[i].window(), nullptr) << kinds[i].menu;
        EXPECT_EQ(kinds[i].window()->geometry(), atExit[i]) << kinds[i].menu;
        EXPECT_TRUE(checked(kinds[i].menu)) << kinds[i].menu;
    }

    for (const auto& kind : kinds) {
        kind.window()->close();
        EXPECT_EQ(kind.window(), nullptr) << kind.menu;
        EXPECT_FALSE(checked(kind.menu)) << kind.menu;
    }
    restart();
    for (const auto& kind : kinds) {
        EXPECT_EQ(kind.window(), nullptr) << kind.menu;
        EXPECT_FALSE(checked(kind.menu)) << kind.menu;
        EXPECT_EQ(storedValue(kind.stored.back()), QStringLiteral("False")) << kind.menu;
    }
    // The branch view opened the branch tables; they stayed open and reopen once per run.
    ASSERT_NE(views().meterTableWindow(0), nullptr);
    subWindowOf(views().meterTableWindow(0))->close();
    polling.runFor(2000);
    EXPECT_EQ(views().meterTableWindow(0), nullptr);
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

    expectStored({"MeterTableState/2=2", "MeterTableLeft/2=150", "MeterTablePosition/02_Width=6000"});

    polling->runFor(200);
    ASSERT_NE(table(2), nullptr);
    sub = subWindowOf(table(2));
    EXPECT_TRUE(sub->isMaximized());
    sub->showNormal();
    EXPECT_EQ(sub->geometry(), QRect(10, 20, 400, 250));
}

// Default Settings asks first; a No changes nothing, a Yes closes the program and leaves
// nothing in the store, not even the layout of the windows open then.
TEST_F(DataViewsTest, DefaultSettingsAskFirstAndAYesLeavesNothingBehind)
{
    storeBeforeStart(AppSettings::kProperties, QStringLiteral("Password_Admin"), QStringLiteral("Secret"));
    start();
    menu("mnuMeterTable4");
    menu("mnuSystemandPanelSettings");
    menu("mnuBCM_Panel_CB_View3");
    const QByteArray stored = fileBytes(storePath());
    shell.answers = {false, true};
    menu("mnuDeleteReg");
    ASSERT_EQ(shell.questions.size(), 1);
    EXPECT_TRUE(shell.questions[0].startsWith(QStringLiteral("Use Application's Default Settings|")));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(fileBytes(storePath()), stored);

    menu("mnuDeleteReg");
    EXPECT_FALSE(form->isVisible());
    // What the store writes back when the program ends.
    form.reset();
    settings.reset();

    const QStringList keys = QSettings(storePath(), QSettings::IniFormat).allKeys();
    EXPECT_TRUE(keys.isEmpty()) << keys.join(' ').toStdString();
}

} // namespace
} // namespace halvana::test
