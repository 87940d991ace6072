#include "core/device/device_data.h"
#include "core/device/polling_fixture.h"
#include "core/modbus/modbus_link.h"
#include "core/time/manual_clock.h"
#include "gui/app/link_wiring.h"
#include "gui/app/polling_session.h"
#include "gui/views/data_views.h"
#include "gui/views/frm_bcm_panel.h"
#include "gui/views/frm_system_settings.h"
#include "gui/views/grid_view.h"
#include "gui/views/panel_buttons_menu.h"
#include "main_window_fixture.h"
#include "support/fake_transport.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace halvana::test {
namespace {

// The program as main() puts it together, over an in-memory socket to a FakeUnit.
class PollingSessionTest : public MainWindowTest {
protected:
    PollingSessionTest() : unit(tcp)
    {
        storeBeforeStart("Properties", "LoginLevel", "2");
        storeBeforeStart("Properties", "Mode", "1");
        storeBeforeStart("Properties", "IP_Address", "127.0.0.1:1502");
        beforeLoad = [this](MDIForm1& f) {
            auto* wiring = new LinkWiring(f, clock, nullptr, &tcp);
            session = new PollingSession(f, clock, *wiring);
        };
        unit.image[5] = 3;
        unit.image[16] = 2;
        unit.image[101] = 0x1001;
        unit.image[102] = 0x4001;
        unit.image[103] = 0x1002;
        unit.image[402] = 0x0001;
    }

    void runFor(qint64 ms)
    {
        const qint64 end = clock.nowMs() + ms;
        for (;;) {
            unit.answerPending();
            const qint64 next = clock.msToNextTimer();
            if (next < 0 || clock.nowMs() + next > end)
                break;
            clock.fireNext();
        }
        clock.advance(end - clock.nowMs());
    }

    ManualClock clock;
    FakeTransport tcp{true};
    FakeUnit unit;
    PollingSession* session = nullptr;
};

TEST_F(PollingSessionTest, TheProgramPollsIntoItsDataWindowsAndShowsWhatItIsReading)
{
    storeBeforeStart("Properties", "frmSystemSettingsFlag", "True");
    storeBeforeStart("MeterTableWindowOpenFlag", "1", "True");
    MDIForm1& f = start();
    tcp.completeConnect();
    runFor(3000);

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
    unit.reads.clear();
    runFor(1000);
    bool movedRead = false;
    for (const auto& [reg, count] : unit.reads)
        movedRead |= reg == 101 + 4000;
    EXPECT_TRUE(movedRead);

    f.close();
    EXPECT_EQ(storeOnDisk()->value(QStringLiteral("MeterTableWindowOpenFlag"), QStringLiteral("1")), QStringLiteral("True"));
    EXPECT_EQ(storeOnDisk()->property(QStringLiteral("frmSystemSettingsFlag")), QStringLiteral("True"));
}

} // namespace
} // namespace halvana::test
