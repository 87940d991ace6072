#include "core/modbus/connection_lifecycle.h"
#include "core/session/unit_session.h"
#include "core/upgrade/downgrade.h"
#include "e2e/e2e_support.h"
#include "e2e/wait.h"
#include "io/qt_clock.h"
#include "io/serial_transport.h"
#include "io/tcp_transport.h"
#include "support/recording_messages.h"

#include <gtest/gtest.h>

using namespace halvana;
using namespace halvana::test;

namespace {

// The program's session, polling the simulator, asked to downgrade the unit.
class DowngradeAgainstSim : public ::testing::TestWithParam<Wire> {
protected:
    void run(const QStringList& simArgs)
    {
        ASSERT_TRUE(m_sim.start(GetParam(), simArgs + words("--verbose --reboot-ms 300")))
            << qPrintable(m_sim.output());
        LinkSettings settings;
        settings.CommMode = GetParam() == Wire::Tcp ? 1 : 0;
        settings.commPort = settings.ipAddress = m_sim.address();
        m_session.setTransports(&m_serial, &m_tcp);
        m_session.lifecycle().setSettings(settings);
        m_session.lifecycle().requestConnect();
        QObject::connect(&m_downgrade, &Downgrade::statusText, [this](const QString& text) { m_status << text; });
        QObject::connect(&m_downgrade, &Downgrade::finished, [this](bool success) { m_outcome = success; });
        ASSERT_TRUE(waitUntil([this] { return m_sim.requestsSeen() > 0; })) << qPrintable(m_sim.output());
        m_downgrade.cmdDowngrade_Click();
        ASSERT_TRUE(waitUntil([this] { return m_outcome.has_value(); }, 10000)) << qPrintable(m_sim.output());
    }
    void TearDown() override
    {
        m_session.setTransports(nullptr, nullptr);
        EXPECT_TRUE(m_sim.stop());
    }
    // The reboot command, register 858 (address 0x0359) written with 1, as the simulator traced it.
    bool rebootSent() const { return m_sim.output().contains(QStringLiteral("10 03 59 00 01 02 00 01")); }

    SimProcess m_sim;
    QtClock m_clock;
    RecordingMessages m_messages;
    SerialTransport m_serial;
    TcpTransport m_tcp;
    UnitSession m_session{m_clock, m_messages, QString()};
    Downgrade m_downgrade{m_session.writes(), m_session.lifecycle(), m_messages};
    QStringList m_status;
    std::optional<bool> m_outcome;
};

} // namespace

TEST_P(DowngradeAgainstSim, TheAcknowledgedWriteOf2To856RebootsTheUnit)
{
    run({});
    EXPECT_TRUE(*m_outcome);
    EXPECT_EQ(m_status, (QStringList{Downgrade::kInProcess, Downgrade::kRebooting}));
    EXPECT_TRUE(m_messages.texts.contains(Downgrade::kRebooting)) << qPrintable(m_messages.all());
    ASSERT_TRUE(waitUntil([this] { return rebootSent(); })) << qPrintable(m_sim.output());
    m_session.setTransports(nullptr, nullptr);
    m_serial.close();
    m_tcp.close();
    RunResult r;
    ASSERT_TRUE(waitUntil([&] {
        r = runCli(m_sim.connection(), QStringLiteral("read 856"));
        return r.exitCode == 0;
    }, 10000));
    EXPECT_EQ(r.out, QStringLiteral("856\t2\n"));
}

TEST_P(DowngradeAgainstSim, AnUnansweredWriteSaysSoAndNothingReboots)
{
    run(words("--faults drop=1"));
    EXPECT_FALSE(*m_outcome);
    ASSERT_EQ(m_status.size(), 2);
    EXPECT_TRUE(m_status[1].startsWith(QStringLiteral("The downgrade failed"))) << qPrintable(m_status[1]);
    EXPECT_FALSE(m_status.contains(Downgrade::kRebooting));
    EXPECT_FALSE(rebootSent());
}

INSTANTIATE_TEST_SUITE_P(Wires, DowngradeAgainstSim, ::testing::Values(Wire::Tcp, Wire::Rtu), wireName);
