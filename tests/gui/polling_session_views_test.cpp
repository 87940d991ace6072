#include "core/device/device_data.h"
#include "core/device/polling_fixture.h"
#include "core/modbus/modbus_link.h"
#include "gui/app/link_wiring.h"
#include "gui/app/polling_session.h"
#include "gui/views/data_views.h"
#include "gui/views/frm_bcm_panel.h"
#include "gui/views/frm_system_settings.h"
#include "gui/views/grid_view.h"
#include "gui/views/panel_buttons_menu.h"
#include "main_window_fixture.h"

#include <QLabel>

#include <algorithm>
#include <QLineEdit>
#include <QTest>

namespace halvana::test {
namespace {

// The program as main() puts it together, over an in-memory socket to a FakeUnit. The polling
// harness lends its manual clock, socket and unit; its own link lets go of the socket.
class PollingSessionTest : public MainWindowTest {
protected:
    PollingSessionTest()
    {
        polling.link.setTransports(nullptr, nullptr);
        storeBeforeStart("Properties", "LoginLevel", "2");
        storeBeforeStart("Properties", "Mode", "1");
        storeBeforeStart("Properties", "IP_Address", "127.0.0.1:1502");
        beforeLoad = [this](MDIForm1& f) {
            session = new PollingSession(f, polling.clock, nullptr, &polling.tcp);
        };
        polling.describeUnit({1, 4, 1});
        polling.unit.image[402] = 0x0001;
    }
    ~PollingSessionTest() override { form.reset(); }

    PollingHarness polling;
    PollingSession* session = nullptr;
};

TEST_F(PollingSessionTest, TheProgramPollsIntoItsDataWindowsAndShowsWhatItIsReading)
{
    storeBeforeStart("Properties", "frmSystemSettingsFlag", "True");
    storeBeforeStart("MeterTableWindowOpenFlag", "1", "True");
    MDIForm1& f = start();
    polling.tcp.completeConnect();
    polling.runFor(3000);

    FrmSystemSettings* system = session->views().systemSettingsWindow();
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(system->txtSysInfo(4)->text(), QStringLiteral("3"));
    EXPECT_EQ(system->MSFlexGrid1()->model()->index(1, 4).data().toString(), QStringLiteral("Active"));
    EXPECT_TRUE(f.statusPanel(QStringLiteral("PollingStatus"))->text().startsWith(QStringLiteral("Getting ")));
    // The readings table open at the last exit is back and read through.
    ASSERT_NE(session->views().meterTableWindow(1), nullptr);
    EXPECT_TRUE(session->data().tables().table(1).isUpdated());
    EXPECT_TRUE(f.menuAction(QStringLiteral("mnuMeterTable1"))->isChecked());
    // The channel names the main window read name the panel's channels.
    EXPECT_EQ(session->data().channelNames().nameOfChannel(2), QStringLiteral("Panel 1 CB 2"));

    // A panel chosen in the branch view moves the TCP addresses of the next requests.
    session->views().mnuBCM_Panel_CB_View_Click(0);
    FrmBCMPanel* panel = session->views().panelWindow(0);
    ASSERT_NE(panel, nullptr);
    GridView* grid = panel->grdSeqNum(4);
    const QPoint at = grid->visualRect(grid->model()->index(0, 1)).center();
    QTest::mousePress(grid->viewport(), Qt::RightButton, {}, at);
    session->views().mnuPanelButtons()->hide();
    polling.unit.reads.clear();
    polling.runFor(1000);
    const std::vector<int> regs = polling.readRegisters();
    EXPECT_NE(std::find(regs.begin(), regs.end(), 101 + 4000), regs.end());

    f.close();
    EXPECT_EQ(storeOnDisk()->value(QStringLiteral("MeterTableWindowOpenFlag"), QStringLiteral("1")), QStringLiteral("True"));
    EXPECT_EQ(storeOnDisk()->property(QStringLiteral("frmSystemSettingsFlag")), QStringLiteral("True"));
}

} // namespace
} // namespace halvana::test
