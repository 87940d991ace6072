#include "core/device/device_data.h"
#include "core/device/sequencer.h"
#include "core/modbus/connection_lifecycle.h"
#include "core/modbus/link_statistics.h"
#include "core/modbus/modbus_link.h"
#include "core/modbus/traffic_log.h"
#include "core/session/unit_session.h"
#include "gui/app/link_wiring.h"
#include "gui/modbus/frm_link_statistics.h"
#include "gui/views/data_views.h"
#include "main_window_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableWidget>

#include <algorithm>

using namespace halvana;

namespace {

class LinkWindowsTest : public test::SessionTest {
protected:
    // Presses buttons of PC Setup through the shell, then returns its result.
    static std::function<int(QDialog&)> pcSetup(std::function<void(QDialog&)> edit, const char* button)
    {
        return [edit, button](QDialog& dialog) {
            edit(dialog);
            dialog.findChild<QPushButton*>(button)->click();
            return dialog.result();
        };
    }
    Sequencer& polling() { return session->sequencer(); }
    LinkWiring& wiring() { return session->wiring(); }
};

} // namespace

// Cancel stores nothing, not even after Defaults, and puts back the polling it found; a typed
// slave ID shows again the next time.
TEST_F(LinkWindowsTest, PcSetupShowsTheStoredValuesAndCancelStoresNothingAndRestoresThePolling)
{
    MDIForm1& f = start(
        {{"LoginLevel", "1"}, {"Mode", "1"}, {"Baud", "2"}, {"BCM_SlaveID", "17"}, {"IP_Address", "127.0.0.1:1502"}});
    for (bool pollingWasOff : {false, true}) {
        polling().setPollingDisabled(pollingWasOff);
        polling().setMainTimerEnabled(!pollingWasOff);
        QStringList seen;
        bool stoppedWhileOpen = false;
        shell.onDialog = pcSetup(
            [&](QDialog& d) {
                stoppedWhileOpen = polling().PollingDisabled() && !polling().isMainTimerActive();
                for (const char* box : {"cboMode", "cboBaud", "cboBCM_SlaveID"})
                    seen << d.findChild<QComboBox*>(box)->currentText();
                seen << d.findChild<QLineEdit*>("txtIP_Addr")->text()
                     << (d.findChild<QComboBox*>("cboBaud")->isEnabled() ? "baud on" : "baud off");
                d.findChild<QPushButton*>("cmdDefaults")->click();
                d.findChild<QComboBox*>("cboBCM_SlaveID")->setCurrentText("33");
            },
            "cmdCancel");
        f.menuAction("mnuCommPortSettings")->trigger();
        EXPECT_EQ(seen, (QStringList{"TCP", "38400", pollingWasOff ? "33" : "17", "127.0.0.1:1502", "baud off"}));
        EXPECT_TRUE(stoppedWhileOpen);
        EXPECT_EQ(polling().PollingDisabled(), pollingWasOff);
        EXPECT_EQ(polling().isMainTimerActive(), !pollingWasOff);
        EXPECT_EQ(storeOnDisk()->property("Mode"), "1");
        EXPECT_EQ(storeOnDisk()->property("BCM_SlaveID"), "17");
        EXPECT_EQ(f.statusPanel("Mode")->text(), "TCP");
        EXPECT_EQ(f.BCM_SlaveID(), 17);
    }
}

TEST_F(LinkWindowsTest, PcSetupSaveStoresReconnectsAndLetsGoOfTheSerialLine)
{
    MDIForm1& f = start({{"LoginLevel", "2"}});
    ASSERT_TRUE(serial.isOpen()) << "a logged-in start opens the RS-485 line";
    polling().setPollStep(5);
    shell.onDialog = pcSetup(
        [](QDialog& d) {
            d.findChild<QComboBox*>("cboMode")->setCurrentIndex(1);
            d.findChild<QComboBox*>("cboBCM_SlaveID")->setCurrentText("9");
            d.findChild<QLineEdit*>("txtIP_Addr")->setText("127.0.0.1:1502");
            d.findChild<QComboBox*>("cboCommPort2")->setCurrentText("/dev/pts/77");
        },
        "cmdSave");
    f.menuAction("mnuCommPortSettings")->trigger();
    // What the dialog stores: settings_and_windows_test.
    EXPECT_EQ(storeOnDisk()->property("Mode"), "1");
    EXPECT_FALSE(serial.isOpen());
    EXPECT_EQ(tcp.endpoint, "127.0.0.1:1502");
    EXPECT_EQ(f.BCM_SlaveID(), 9);
    EXPECT_EQ(wiring().link().BCM_SlaveID(), 9);
    EXPECT_EQ(polling().PollStep(), 0);
    EXPECT_EQ(f.statusPanel("Mode")->text(), "TCP");
    EXPECT_FALSE(f.statusPanel("Baud")->isVisibleTo(&f));
    // Calibration goes over TCP as well; the terminal runner does not use the Modbus line.
    EXPECT_TRUE(f.menuAction("mnuBCM_Cal_Top")->isEnabled());
    EXPECT_TRUE(f.menuAction("mnuRunScript")->isEnabled());
}

TEST_F(LinkWindowsTest, DataSpyShowsTrafficAndItsCloseBoxStopsIt)
{
    MDIForm1& f = start({{"LoginLevel", "2"}});
    f.menuAction("mnuDataSpy")->trigger();
    ASSERT_NE(wiring().dataSpyWindow(), nullptr);
    EXPECT_TRUE(f.menuAction("mnuDataSpy")->isChecked());
    auto* text = wiring().dataSpyWindow()->findChild<QPlainTextEdit*>("rtbData");
    wiring().trafficLog().UpdateDataSpy("Sent", "01 03 00 00 00 0A C5 CD ");
    EXPECT_EQ(text->toPlainText(), wiring().trafficLog().text());

    auto* pause = wiring().dataSpyWindow()->findChild<QCheckBox*>("chkPause");
    auto* step = wiring().dataSpyWindow()->findChild<QPushButton*>("cmdSingleStep");
    EXPECT_FALSE(step->isEnabled());
    pause->click();
    EXPECT_TRUE(wiring().trafficLog().DataSpyPaused());
    ASSERT_TRUE(step->isEnabled());
    step->click();
    EXPECT_TRUE(wiring().trafficLog().DataSpySingleStep());

    wiring().dataSpyWindow()->close();
    QApplication::processEvents();
    EXPECT_FALSE(wiring().trafficLog().isEnabled());
    EXPECT_FALSE(wiring().trafficLog().DataSpyPaused());
}

TEST_F(LinkWindowsTest, RebootAsksFirstAndWritesRegister858)
{
    MDIForm1& f = start({{"LoginLevel", "2"}});
    ASSERT_TRUE(f.menuAction("mnuReboot")->isEnabled());
    // Function 16 to register 858 (address 857 = 0x0359) of slave 1, among the polling reads.
    const auto rebootCommands = [this] {
        return std::count_if(serial.written.begin(), serial.written.end(),
                             [](const QByteArray& frame) { return frame.startsWith(QByteArray::fromHex("01100359")); });
    };
    for (const auto& [answer, sent] : {std::pair{false, 0}, {true, 1}}) {
        shell.answers = {answer};
        f.menuAction("mnuReboot")->trigger();
        clock.advance(600);
        EXPECT_EQ(rebootCommands(), sent) << answer;
    }
}

TEST_F(LinkWindowsTest, ConnectAndDisconnectFollowTheLinkAndTheLevelAndLinkTextsReachTheStatusBar)
{
    MDIForm1& f = start({{"LoginLevel", "1"}});
    for (bool connected : {false, true}) {
        menu(connected ? "mnuConnect" : "mnuDisconnect");
        EXPECT_EQ(f.menuAction("mnuConnect")->isEnabled(), !connected);
        EXPECT_EQ(f.menuAction("mnuDisconnect")->isEnabled(), connected);
        EXPECT_EQ(wiring().lifecycle().DisconnectRequested(), !connected);
    }
    // The terminal stays a Supervisor's, whatever the link says.
    EXPECT_FALSE(f.menuAction("mnuTerminal")->isEnabled());
    emit wiring().link().statusText("CommMsg", "Successful Write ");
    EXPECT_EQ(f.statusPanel("CommMsg")->text(), "Successful Write ");
}

TEST_F(LinkWindowsTest, ModbusPollingSwitchesPollingAndTheLineOffAndOn)
{
    MDIForm1& f = start({{"LoginLevel", "1"}});
    QAction* item = f.menuAction("mnuModbusPolling");
    ASSERT_TRUE(item->isEnabled());
    ASSERT_TRUE(item->isChecked());
    ASSERT_TRUE(serial.isOpen());
    for (bool on : {false, true}) {
        item->trigger();
        EXPECT_EQ(item->isChecked(), on);
        EXPECT_EQ(polling().PollingDisabled(), !on);
        EXPECT_EQ(polling().isMainTimerActive(), on);
        EXPECT_EQ(serial.isOpen(), on);
        EXPECT_EQ(f.StatusBar2()->isVisibleTo(&f), !on);
        if (!on) {
            EXPECT_EQ(f.statusPanel("PollingStatus")->text(), "Polling is Disabled  ");
        }
    }

    // Switched off at exit, it stays off: what a start does then, main_window_test.
    item->trigger();
    f.close();
    EXPECT_EQ(storeOnDisk()->property("PollingDisabled"), "True");
}

// The windows themselves poll in data_views_test and data_views_placement_test.
TEST_F(LinkWindowsTest, TheSessionGivesTheDecodersTheChannelNamesAndTheLinkThePanelOffset)
{
    MDIForm1& f = start();
    EXPECT_EQ(session->data().channelNames().nameOfChannel(2), "Panel 1 CB 2");
    emit session->views().panelOffsetChanged(4000);
    EXPECT_EQ(session->session().link().PanelOffset(), 4000);
    emit polling().pollingStatusChanged("Getting System Info");
    EXPECT_EQ(f.statusPanel("PollingStatus")->text(), "Getting System Info");
}

TEST_F(LinkWindowsTest, LinkStatisticsShowsTheCountsOfEveryStepAndResetClearsThem)
{
    MDIForm1& f = start({{"LoginLevel", "1"}});
    ExchangeOutcome timedOut;
    timedOut.request.pollStep = 2;
    session->session().statistics().record(timedOut);
    f.menuAction("mnuLinkStatistics")->trigger();
    auto* window = f.findChild<FrmLinkStatistics*>("frmLinkStatistics");
    ASSERT_NE(window, nullptr);
    auto* grid = window->findChild<QTableWidget*>("grdCounters");
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->item(1, 0)->text(), "2");
    EXPECT_EQ(grid->item(0, 4)->text(), "1") << "one time-out in all";
    EXPECT_EQ(grid->item(0, 8)->text(), "100.0");
    window->findChild<QPushButton*>("cmdReset")->click();
    EXPECT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(grid->item(0, 1)->text(), "0");
}

// The System level shows the panel frame in place of the meter kind; a unit that never answers
// ends in "Failed 1" with Calibrate usable again; the window's place is kept.
TEST_F(LinkWindowsTest, CalibrationAtSystemLevelAgainstASilentUnitEndsInTheFailedStep)
{
    start({{"LoginLevel", "1"}});
    menu("mnuBCM_Cal_Top");
    QMdiSubWindow* sub = form->findChildWindow("frmSFCM_Cal");
    ASSERT_NE(sub, nullptr);
    QWidget* w = sub->widget();
    child<QRadioButton>(w, "optCalLevel1")->click();
    EXPECT_TRUE(child<QGroupBox>(w, "fraPanelNo")->isVisibleTo(w));
    EXPECT_FALSE(child<QGroupBox>(w, "fraMtrType")->isVisibleTo(w));
    EXPECT_FALSE(child<QRadioButton>(w, "optType0")->isVisibleTo(w));

    child<QListWidget>(w, "lstMeterType")->setCurrentRow(4);
    child<QRadioButton>(w, "optCommand1")->click();
    auto* calibrate = child<QPushButton>(w, "cmdCalibrate");
    ASSERT_TRUE(calibrate->isEnabled());
    calibrate->click();
    EXPECT_EQ(child<QLineEdit>(w, "txtResultResponse")->text(), "In Progress");
    EXPECT_EQ(child<QLineEdit>(w, "txtReading")->text(), "0");
    EXPECT_FALSE(calibrate->isEnabled());
    clock.advance(8000);
    EXPECT_EQ(child<QLineEdit>(w, "txtResultResponse")->text(), "Failed 1");
    EXPECT_TRUE(calibrate->isEnabled());
    // Registers 12..14: command 514, selection 0x4000 (subfeeds), reading 0.
    EXPECT_TRUE(std::any_of(serial.written.begin(), serial.written.end(), [](const QByteArray& frame) {
        return frame.startsWith(QByteArray::fromHex("0110000B000306020240000000"));
    }));

    sub->move(30, 40);
    sub->close();
    EXPECT_EQ(storeOnDisk()->value("frmSFCM_CalPos", "0"), QString::number(30 * 15));
}
