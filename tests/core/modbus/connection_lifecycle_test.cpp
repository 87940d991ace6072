#include "link_fixture.h"

#include "core/device/signal_recorder.h"
#include "core/modbus/connection_lifecycle.h"
#include "core/modbus/status_panels.h"

#include <QMap>

#include <optional>

using namespace halvana;
using namespace halvana::test;

namespace {

class LifecycleTest : public LinkTest {
protected:
    LifecycleTest() : lifecycle(link, clock, messages)
    {
        serial.close();
        tcp.drop();
        LinkSettings settings;
        settings.commPort = QStringLiteral("3");
        settings.ipAddress = QStringLiteral("127.0.0.1:1502");
        lifecycle.setSettings(settings);
        QObject::connect(&lifecycle, &ConnectionLifecycle::statusText,
                         [this](const QString& key, const QString& text) { panels[key] = text; });
        QObject::connect(&lifecycle, &ConnectionLifecycle::statusPanelVisible,
                         [this](const QString& key, bool visible) { panelVisible[key] = visible; });
        QObject::connect(&lifecycle, &ConnectionLifecycle::linkStatusChanged,
                         [this](const LinkStatus& status) { connection = status.connection; });
        QObject::connect(&lifecycle, &ConnectionLifecycle::secondStatusBarText,
                         [this](const QString& text) { secondBar = text; });
        QObject::connect(&lifecycle, &ConnectionLifecycle::secondStatusBarVisible,
                         [this](bool visible) { secondBarVisible = visible; });
    }

    // One read of register 1: answered with a value, or left to time out.
    void exchange(bool answered)
    {
        link.ReadQuery(1, 1);
        // An RTU request after a time-out waits until the line has been quiet.
        clock.advance(ModbusLink::kLateReplyGuardMs + 100);
        if (!answered) {
            clock.advance(ModbusLink::kResponseTimeoutMs);
        } else if (link.isTcp()) {
            tcp.receive(tcpReply(link.TransactionCounter(), "0000 0005 01 03 02 0007"));
        } else {
            serial.receive(readReply({7}));
            clock.advance(ModbusLink::kFrameGapMs);
        }
    }

    void useTcp(bool tcp = true)
    {
        LinkSettings settings = lifecycle.settings();
        settings.CommMode = tcp ? 1 : 0;
        lifecycle.setSettings(settings);
    }

    ConnectionLifecycle lifecycle;
    QMap<QString, QString> panels;
    QMap<QString, bool> panelVisible;
    std::optional<LinkStatus::Connection> connection;
    SignalRecorder<> linkUps{&lifecycle, &ConnectionLifecycle::linkUp};
    SignalRecorder<const QString&> upgradeStatus{&lifecycle, &ConnectionLifecycle::upgradeStatusText};
    QString secondBar;
    std::optional<bool> secondBarVisible;
    SignalRecorder<const QDateTime&> losses{&lifecycle, &ConnectionLifecycle::communicationsLost};
    SignalRecorder<> restores{&lifecycle, &ConnectionLifecycle::communicationsRestored};
};

} // namespace

TEST_F(LifecycleTest, OpeningTheSerialPortUsesTheStoredPortAndSpeedAndTheStatusBarCountsTheTimeConnected)
{
    lifecycle.StartComm();
    EXPECT_TRUE(serial.isOpen());
    EXPECT_EQ(serial.endpoint, QStringLiteral("3"));
    EXPECT_EQ(serial.baud, 115200);
    EXPECT_TRUE(polling.mainEnabled);
    EXPECT_EQ(connection, LinkStatus::Connection::Open);
    EXPECT_TRUE(messages.texts.isEmpty());

    // Only the first data after the open says the unit is there.
    serial.receive("\x01");
    serial.receive("\x03");
    EXPECT_EQ(linkUps.count(), 1);
    EXPECT_TRUE(lifecycle.LinkUp());
    EXPECT_EQ(panels.value(panel::ConnectTime), QStringLiteral("Connected"));
    clock.advance(25LL * 3600 * 1000);
    EXPECT_EQ(panels.value(panel::ConnectTime), QStringLiteral("Connected: 1 Days - 01:00:00  "));
    polling.disabled = true;
    clock.advance(1000);
    EXPECT_EQ(panels.value(panel::ConnectTime), QString()) << "nothing while polling is off";
}

TEST_F(LifecycleTest, PortFailuresSayWhatWentWrongAndPollingStaysOff)
{
    const struct {
        const char* name;
        Transport::OpenError error;
        int baudIndex;
        QString message;
    } cases[] = {
        {"no such port", Transport::OpenError::NoSuchPort, 4, "Invalid Port Number: Comm Port 3\n(Error No. 8002)"},
        {"in use", Transport::OpenError::InUse, 4, "Comm Port 3 is already open.\n(Error No. 8005)"},
        {"permission", Transport::OpenError::PermissionDenied, 4,
         "Comm Port 3 (fake:3) cannot be opened: permission denied (fake failure).\n"
         "This user may not use the device. On Linux, add the user to the group that owns it (usually "
         "dialout) and log in again."},
        {"other", Transport::OpenError::Other, 4, "Comm Port 3 (fake:3): fake failure\n(Error No. 8010)"},
        {"baud index 7", Transport::OpenError::None, 7,
         "Invalid baud rate setting 7: the PC baud list has entries 0 to 4.\n(Error No. 380)"},
    };
    for (const auto& c : cases) {
        messages.texts.clear();
        serial.openFailure = c.error;
        LinkSettings settings = lifecycle.settings();
        settings.baudIndex = c.baudIndex;
        lifecycle.setSettings(settings);
        polling.mainEnabled = false;
        EXPECT_FALSE(lifecycle.OpenCommPort()) << c.name;
        EXPECT_EQ(messages.texts, QStringList{c.message}) << c.name;
        EXPECT_FALSE(serial.isOpen()) << c.name;
        EXPECT_FALSE(polling.mainEnabled) << c.name;
    }
    EXPECT_EQ(messages.titles.last(), QStringLiteral("Maldorn Halvana Configuration Tool"));
}

TEST_F(LifecycleTest, TcpConnectsPollsShortlyAfterAndReconnectsAfterDisconnect)
{
    useTcp();
    lifecycle.requestConnect();
    EXPECT_EQ(tcp.opens, 1);
    EXPECT_EQ(tcp.endpoint, QStringLiteral("127.0.0.1:1502"));
    clock.advance(199);
    EXPECT_FALSE(polling.mainEnabled);
    clock.advance(1);
    EXPECT_TRUE(polling.mainEnabled);

    tcp.completeConnect();
    EXPECT_EQ(panels.value(panel::ConnectTime), QStringLiteral("Connected"));
    EXPECT_FALSE(panelVisible.value(panel::Baud, true));
    EXPECT_EQ(linkUps.count(), 1);

    lifecycle.requestDisconnect();
    EXPECT_TRUE(lifecycle.DisconnectRequested());
    EXPECT_EQ(connection, LinkStatus::Connection::Closed);
    // The polling tick performs it.
    lifecycle.Disconnect();
    EXPECT_FALSE(tcp.isOpen());
    EXPECT_TRUE(polling.disabled);
    EXPECT_FALSE(polling.mainEnabled);

    lifecycle.requestConnect();
    EXPECT_FALSE(lifecycle.DisconnectRequested());
    EXPECT_FALSE(polling.disabled);
    EXPECT_EQ(tcp.opens, 2);
    EXPECT_EQ(polling.stepResets, 2);
}

TEST_F(LifecycleTest, RebootWritesRegister858HalfASecondLaterAndIgnoresTheLineUntilRestart)
{
    lifecycle.StartComm();
    serial.receive("\x01");
    clock.advance(ModbusLink::kFrameGapMs);
    const int opens = serial.opens;
    // A read still outstanding is given up, or the command could not go.
    link.ReadQuery(1, 2);
    serial.written.clear();

    lifecycle.requestReboot();
    EXPECT_TRUE(link.state().IgnoreReceive);
    EXPECT_FALSE(polling.mainEnabled);
    EXPECT_EQ(upgradeStatus.firsts(), std::vector<QString>{"Device is rebooting . . ."});
    clock.advance(499);
    EXPECT_TRUE(serial.written.isEmpty());
    clock.advance(1);
    EXPECT_EQ(serial.written, QByteArrayList{rtuFrame("0110 0359 0001 02 0001")});
    EXPECT_TRUE(lifecycle.DisconnectRequested());

    events.clear();
    serial.receive(rtuFrame("0110 0359 0001"));
    clock.advance(499);
    EXPECT_TRUE(events.isEmpty()) << "data during the reboot must not be processed";
    EXPECT_FALSE(polling.mainEnabled);

    clock.advance(1);
    EXPECT_FALSE(link.state().IgnoreReceive);
    EXPECT_FALSE(lifecycle.DisconnectRequested());
    EXPECT_FALSE(lifecycle.LinkUp());
    EXPECT_EQ(serial.opens, opens + 1) << "communication restarts";
    EXPECT_TRUE(polling.mainEnabled);
    EXPECT_EQ(upgradeStatus.firsts().back(), QString());

    // The command's ignored reply is given up: nothing is left to time out later.
    clock.advance(ModbusLink::kResponseTimeoutMs * 2);
    EXPECT_EQ(events, QStringList{"abandoned"});
    EXPECT_EQ(serial.opens, opens + 1);
}

TEST_F(LifecycleTest, AnEchoingLineGetsALineEndAndTheWakeUpAtTheTimeOut)
{
    lifecycle.StartComm();
    link.ReadQuery(1, 1);
    serial.written.clear();
    serial.receive(rtuFrame("0103 0000 0001"));
    clock.advance(ModbusLink::kFrameGapMs);
    EXPECT_EQ(serial.written, QByteArrayList{"\r\n"});
    clock.advance(ModbusLink::kResponseTimeoutMs);
    EXPECT_EQ(serial.lastWritten(), QByteArray("\r\n\r\nconfig\r\n"));
    EXPECT_TRUE(serial.isOpen()) << "the time-out reopened the port";
}

TEST_F(LifecycleTest, ALateTcpReplyResumesPollingHalfASecondLater)
{
    useTcp();
    tcp.completeConnect();
    link.ReadQuery(1, 1);
    polling.mainEnabled = false;
    tcp.receive(QByteArray::fromHex("0063 0000 0005 01 03 02 0001"));
    clock.advance(499);
    EXPECT_FALSE(polling.mainEnabled);
    clock.advance(1);
    EXPECT_TRUE(polling.mainEnabled);
}

TEST_F(LifecycleTest, CommunicationMessagesClearAfterThreeSeconds)
{
    lifecycle.StartComm();
    link.ReadQuery(1, 1);
    serial.receive(rtuFrame("0183 02"));
    clock.advance(ModbusLink::kFrameGapMs);
    EXPECT_TRUE(panels.value(panel::CommMsg).contains(QLatin1String("exception 2 (Illegal Data Address)")));
    clock.advance(3000);
    EXPECT_EQ(panels.value(panel::CommMsg), QString());
}

TEST_F(LifecycleTest, AUnitThatStopsAnsweringIsShownLostUntilItsFirstGoodReply)
{
    const struct {
        const char* name;
        bool tcp, socketCloses;
        const char* lostPanel;
    } cases[] = {
        {"RS-485, nobody answers", false, false, "No reply"},
        {"TCP, the unit stays connected but silent", true, false, "No reply"},
        {"TCP, the unit closes the socket", true, true, "Closed"},
    };
    for (const auto& c : cases) {
        useTcp(c.tcp);
        lifecycle.requestConnect();
        if (c.tcp)
            tcp.completeConnect();
        exchange(true);
        const QDateTime lastAnswer = clock.currentDateTime();
        clock.advance(5000);
        EXPECT_TRUE(panels.value(panel::ConnectTime).startsWith(QLatin1String("Connected: 0 Days - 00:00:0")))
            << c.name;

        if (c.socketCloses) {
            tcp.drop();
        } else {
            exchange(false);
            exchange(false);
            EXPECT_FALSE(lifecycle.CommunicationsLost()) << c.name << ": two time-outs are not a loss yet";
            exchange(false);
        }
        EXPECT_EQ(losses.count(), 1) << c.name;
        EXPECT_EQ(panels.value(panel::ConnectTime), QLatin1String(c.lostPanel)) << c.name;
        EXPECT_EQ(secondBar, "Communications Lost since " + lastAnswer.toString("hh:mm:ss")) << c.name;
        EXPECT_TRUE(secondBarVisible.value_or(false)) << c.name;
        clock.advance(10000);
        EXPECT_EQ(panels.value(panel::ConnectTime), QLatin1String(c.lostPanel)) << c.name << ": no time counts on";

        // The port taking a connection again is not an answer.
        if (c.socketCloses) {
            lifecycle.StartComm();
            tcp.completeConnect();
            EXPECT_EQ(panels.value(panel::ConnectTime), QLatin1String(c.lostPanel)) << c.name;
            EXPECT_TRUE(secondBarVisible.value_or(false)) << c.name;
        }
        exchange(true);
        EXPECT_EQ(restores.count(), 1) << c.name;
        EXPECT_FALSE(secondBarVisible.value_or(true)) << c.name;
        EXPECT_EQ(panels.value(panel::ConnectTime), QStringLiteral("Connected")) << c.name;
        clock.advance(1000);
        EXPECT_EQ(panels.value(panel::ConnectTime), QStringLiteral("Connected: 0 Days - 00:00:01  ")) << c.name;
        losses.calls.clear();
        restores.calls.clear();
    }
    // Our own Disconnect closes the socket: no loss.
    lifecycle.Disconnect();
    tcp.drop();
    EXPECT_EQ(losses.count(), 0);
}
