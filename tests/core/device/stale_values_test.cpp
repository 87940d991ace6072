#include "polling_fixture.h"

#include "core/device/table_headers.h"
#include "core/modbus/connection_lifecycle.h"
#include "core/session/unit_session.h"

using namespace halvana;
using namespace halvana::test;

namespace {

// The whole session over TCP against a unit without meters whose thermal settings are polled.
class StaleValuesTest : public ::testing::Test {
protected:
    StaleValuesTest() : session(clock, messages, shippedDataFolder()), unit(tcp)
    {
        unit.image[16] = 2;
        tcp.completeConnect();
        session.setTransports(nullptr, &tcp);
        LinkSettings settings;
        settings.CommMode = 1;
        session.lifecycle().setSettings(settings);
        session.data().openTable(kThermalSettingsTable);
        session.lifecycle().requestConnect();
    }

    MeterTable& thermal() { return session.data().tables().table(kThermalSettingsTable); }
    GridModel& systemGrid() { return session.data().systemSettings().grid(); }
    void run(qint64 ms) { runAnswering(clock, unit, ms); }

    ManualClock clock;
    RecordingMessages messages;
    FakeTransport tcp{true};
    UnitSession session;
    FakeUnit unit;
};

} // namespace

TEST_F(StaleValuesTest, ValuesReadBeforeTheLossStayGreyUntilTheirBlockIsReadAgain)
{
    run(3000);
    ASSERT_EQ(thermal().caption(), TableHeaders::caption(kThermalSettingsTable) + ": Updated") << "marked once a pass or many";
    EXPECT_FALSE(thermal().grid().isStale());

    // The unit falls silent as a cycle begins.
    while (session.sequencer().position().PollStep != kStepSystemInfo) {
        unit.answerPending();
        clock.fireNext();
    }
    unit.silent = true;
    run(ConnectionLifecycle::kLostAfterFailures * ModbusLink::kResponseTimeoutMs - 100);
    EXPECT_FALSE(thermal().grid().isStale()) << "two time-outs are no loss yet";
    run(200);
    ASSERT_TRUE(session.lifecycle().CommunicationsLost());
    EXPECT_TRUE(thermal().grid().isStale());
    EXPECT_EQ(thermal().caption(), TableHeaders::caption(kThermalSettingsTable)) << "no longer \": Updated\"";
    EXPECT_TRUE(systemGrid().isStale());
    EXPECT_TRUE(session.data().tables().table(kBranchSettingsTable).caption().isEmpty()) << "closed tables stay";

    // The first reply (system information) ends the loss; each block clears when it is read again.
    unit.silent = false;
    unit.answerLastRequest();
    EXPECT_FALSE(session.lifecycle().CommunicationsLost());
    EXPECT_TRUE(thermal().grid().isStale());
    EXPECT_TRUE(systemGrid().isStale());
    run(3000);
    EXPECT_FALSE(systemGrid().isStale());
    EXPECT_FALSE(thermal().grid().isStale());
    EXPECT_TRUE(thermal().isUpdated());
}

TEST_F(StaleValuesTest, APauseInPollingIsNotCountedAsACycle)
{
    QList<qint64> cycles;
    QObject::connect(&session, &UnitSession::cycleTimed, [&cycles](qint64 ms) { cycles << ms; });
    run(3000);
    ASSERT_GE(cycles.size(), 2);
    session.sequencer().setPollingDisabled(true);
    EXPECT_EQ(cycles.last(), -1) << "the status bar forgets the cycle time while polling stands";
    run(60000);
    session.sequencer().setPollingDisabled(false);
    session.sequencer().setMainTimerEnabled(true);
    cycles.clear();
    run(6000);
    ASSERT_FALSE(cycles.isEmpty()) << "polling went on";
    EXPECT_LT(*std::max_element(cycles.begin(), cycles.end()), 3000);
}
