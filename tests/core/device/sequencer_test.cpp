#include "polling_fixture.h"
#include "signal_recorder.h"

namespace halvana::test {
namespace {

using Regs = std::vector<int>;

class SequencerTest : public PollingTest {};

TEST(SequencerCycle, WithAllTablesClosedACycleReadsOnlyTheSystemAndMeterBlocks)
{
    struct Case {
        int numMeters;
        Regs cycle;
    };
    const Case cases[] = {
        {3, {1, 101, 226, 401}},        // fewer than 125 meters: step 3 goes straight to step 5
        {125, {1, 101, 226, 401, 526}}, // the second status block is needed
        {250, {1, 101, 226, 401, 526}},
        {0, {1, 101}},                  // no meters: back to step 0 after the first information block
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.numMeters);
        PollingHarness h;
        h.describeUnit(std::vector<int>(size_t(c.numMeters), kTypeBranch));
        SignalRecorder<> cycles(&h.sequencer, &Sequencer::cycleCompleted);
        h.start();
        h.runRequests(int(2 * c.cycle.size()));
        Regs expected = c.cycle;
        expected.insert(expected.end(), c.cycle.begin(), c.cycle.end());
        EXPECT_EQ(h.readRegisters(), expected);
        // Without meters the second cycle ends with its last read.
        EXPECT_EQ(cycles.count(), c.numMeters == 0 ? 2 : 1);
    }
}

TEST_F(SequencerTest, BranchStepReadsTheKthBranchBlockWhateverItsPlaceInTheMeterList)
{
    describeUnit({kTypeBranch, kTypePduInput, kTypeBranch, kTypePanel}, 1);
    data.model().RegisterMapVersion = 1;
    data.openTable(kBranchSettingsTable);
    SignalRecorder<int> passes(&sequencer, &Sequencer::passCompleted);
    start();
    runRequests(6 + 6);

    // Cycle: 1, 101, 226, 401, then meter 0 (cursor 0) and meter 2 (cursor 1) on a 200 stride.
    EXPECT_EQ(readRegisters(), (Regs{1, 101, 226, 401, 2001, 2201, 1, 101, 226, 401, 2001, 2201}));
    EXPECT_EQ(data.tables().table(kBranchSettingsTable).caption(), QStringLiteral("1\u00f8 Branch Meter Settings: Updated"));
    EXPECT_EQ(passes.firsts(), std::vector<int>{kBranchSettingsTable});
    EXPECT_EQ(data.tables().table(kBranchSettingsTable).grid().text(0, 3), QStringLiteral("B2"));
}

TEST_F(SequencerTest, ThreePhaseReadingsTakeTwoRequestsPerMeterAndTheSecondFollowsATimedOutFirst)
{
    describeUnit({kTypeBranch, kTypeSubfeed, kTypeSubfeed});
    data.openTable(kThreePhaseReadingsTable);
    start();
    runRequests(4);
    unit.silent = true;
    runRequests(1); // the first part of the first subfeed goes unanswered
    EXPECT_EQ(unit.reads.back(), std::make_pair(40153, 92));
    unit.silent = false;
    runFor(ModbusLink::kResponseTimeoutMs + 5); // timed out, the next tick not yet due
    EXPECT_EQ(unit.reads.size(), 5u);
    runRequests(4);

    const Regs all = readRegisters();
    const Regs steps(all.begin() + 4, all.end());
    EXPECT_EQ(steps, (Regs{40153, 40253, 40503, 40603, 1}));
    // The cursor moved on only after the second part: the second subfeed is block k = 1.
    const GridModel& grid = data.tables().table(kThreePhaseReadingsTable).grid();
    EXPECT_EQ(grid.text(0, 3), QStringLiteral("M2\r\nSF2"));
}

TEST_F(SequencerTest, PausedDataSpyLetsExactlyOneRequestOutPerSingleStep)
{
    describeUnit({kTypeBranch});
    link.trafficLog().setEnabled(true);
    link.trafficLog().setPaused(true);
    start();
    runFor(1000);
    EXPECT_TRUE(unit.reads.empty());

    // Steps 5..11 are skipped on the way (all tables closed) without costing a click.
    for (int click = 1; click <= 6; ++click) {
        link.trafficLog().requestSingleStep();
        runFor(100);
        EXPECT_EQ(int(unit.reads.size()), click);
    }
    EXPECT_EQ(readRegisters(), (Regs{1, 101, 226, 401, 1, 101}));
}

TEST_F(SequencerTest, PollingSwitchedOffWhileARequestIsOutDecodesTheLateReplyAndThenStops)
{
    describeUnit({kTypeBranch, kTypeBranch});
    unit.silent = true;
    start();
    runRequests(1);
    sequencer.setPollingDisabled(true);
    unit.silent = false;
    unit.answerLastRequest(); // late, but it still lands
    EXPECT_EQ(data.model().NumMeters, 2);

    runFor(1000);
    EXPECT_EQ(unit.reads.size(), 1u);
    EXPECT_FALSE(sequencer.isMainTimerActive());
    EXPECT_EQ(sequencer.pollingStatus(), QStringLiteral("Polling is Disabled  "));
}

TEST_F(SequencerTest, ReadExceptionWritesNothingAndMovesTheCycleOnAsADecodedReplyWould)
{
    describeUnit({kTypeBranch, kTypeBranch, kTypeBranch});
    unit.image[2001] = 1;
    unit.refused = {2151};
    data.openTable(kBranchSettingsTable);
    start();
    runRequests(4 + 3);

    EXPECT_EQ(readRegisters(), (Regs{1, 101, 226, 401, 2001, 2151, 2301}));
    const GridModel& grid = data.tables().table(kBranchSettingsTable).grid();
    EXPECT_EQ(grid.text(1, 2), QStringLiteral("1"));
    EXPECT_EQ(grid.text(1, 3), QString()); // B2 refused: its column stays empty
    EXPECT_EQ(grid.text(0, 4), QStringLiteral("B3"));
}

TEST_F(SequencerTest, ClosingATableResetsTheMeterPositionOnlyWhenItsStepIsInProgress)
{
    describeUnit({kTypeBranch, kTypeBranch, kTypeBranch});
    data.openTable(kBranchSettingsTable);
    data.openTable(kBranchReadingsTable);
    start();
    runRequests(5); // ... 401, then B1 settings answered
    unit.silent = true;
    runRequests(1); // B2 settings in flight
    EXPECT_EQ(unit.reads.back().first, 2151);

    // Another table closes: the step in progress keeps its meter.
    data.tables().close(kBranchReadingsTable);
    EXPECT_EQ(sequencer.position().MeterCursor, 1);

    // Its own table closes: back to the first meter, and the late reply moves nothing.
    data.tables().close(kBranchSettingsTable);
    EXPECT_EQ(sequencer.position().MeterCursor, 0);
    unit.silent = false;
    unit.answerLastRequest();
    EXPECT_EQ(sequencer.position().MeterCursor, 0);
    EXPECT_EQ(sequencer.PollStep(), int(kStepBranchSettings));

    runRequests(1); // the next tick skips the closed steps: a new cycle begins
    EXPECT_EQ(unit.reads.back().first, 1);
}

TEST_F(SequencerTest, ThermalStepsWalkSixModulesAndTheReadingsPassEndsTheCycle)
{
    describeUnit({kTypeBranch});
    unit.image[64121 + 150 * 5] = 42;
    data.openTable(kThermalSettingsTable);
    data.openTable(kThermalReadingsTable);
    start();
    runRequests(4 + 12 + 6 + 1);

    Regs expected = {1, 101, 226, 401};
    for (int k = 0; k < 6; ++k) {
        expected.push_back(64001 + 150 * k);
        expected.push_back(64121 + 150 * k);
    }
    for (int k = 0; k < 6; ++k)
        expected.push_back(63501 + 75 * k);
    expected.push_back(1);
    EXPECT_EQ(readRegisters(), expected);
    EXPECT_TRUE(data.tables().table(kThermalSettingsTable).isUpdated());
    EXPECT_TRUE(data.tables().table(kThermalReadingsTable).isUpdated());
    EXPECT_EQ(data.tables().table(kThermalSettingsTable).grid().text(121, 7), QStringLiteral("42"));
}

TEST_F(SequencerTest, PriorityWorkAndTheScriptTakeTheTickBeforeTheCycle)
{
    struct Client : TickClient {
        Turn turn = Turn::Pass;
        int ticks = 0;
        Turn takeTick() override
        {
            ++ticks;
            return turn;
        }
    } priority, script;
    sequencer.addTickClient(&priority);
    sequencer.addTickClient(&script);
    describeUnit({kTypeBranch});

    priority.turn = TickClient::Turn::Used;
    start();
    runFor(100);
    EXPECT_TRUE(unit.reads.empty());
    EXPECT_EQ(script.ticks, 0);

    priority.turn = TickClient::Turn::Pass;
    script.turn = TickClient::Turn::Sent;
    runFor(10);
    EXPECT_TRUE(unit.reads.empty());
    EXPECT_FALSE(sequencer.isMainTimerActive()); // the script's request is outstanding

    script.turn = TickClient::Turn::Pass;
    start();
    runRequests(1);
    EXPECT_EQ(readRegisters(), Regs{1});
}

TEST_F(SequencerTest, ABlockBeyondTheLastWireAddressIsSkippedWithTheReasonShown)
{
    // Map 1 three-phase meters from the 65th on lie beyond register 65536.
    describeUnit(std::vector<int>(65, kTypeSubfeed), 1);
    data.model().RegisterMapVersion = 1;
    data.openTable(kThreePhaseReadingsTable);
    SignalRecorder<const QString&> status(&sequencer, &Sequencer::pollingStatusChanged);
    SignalRecorder<int> passes(&sequencer, &Sequencer::passCompleted);
    start();
    runRequests(4 + 2 * 64 + 1);

    EXPECT_EQ(unit.reads.back().first, 1); // the pass completed and a new cycle began
    EXPECT_EQ(unit.reads[unit.reads.size() - 2].first, 43275 + 350 * 63);
    bool skipped = false;
    for (const QString& text : status.firsts())
        skipped |= text.startsWith(QStringLiteral("Skipped 98 registers at 65567"));
    EXPECT_TRUE(skipped);
    EXPECT_EQ(passes.firsts(), std::vector<int>{kThreePhaseReadingsTable});
}

TEST_F(SequencerTest, AllSettingsPassCollectsOneCycleAndEndsEvenWithThermalSettingsClosed)
{
    describeUnit({kTypeBranch, kTypeBranch});
    unit.image[2151 + 19] = 7; // B2's parent ID (register 20 of the Map 2 block)
    data.openTable(kSystemSettingsTable);
    data.openTable(kBranchSettingsTable);
    data.openTable(kAllSettingsTable);
    SignalRecorder<int> passes(&sequencer, &Sequencer::passCompleted);
    start();
    runRequests(4 + 2 + 1);

    const GridModel& all = data.tables().table(kAllSettingsTable).grid();
    const int rowsAfterPass = all.rowCount();
    // System settings without the "Not Used" rows, then both branches' settings rows.
    bool found = false;
    for (int r = 1; r < all.rowCount(); ++r)
        found |= all.text(r, 0) == QStringLiteral("2170") && all.text(r, 1) == QStringLiteral("Parent ID (Panel) - B2")
            && all.text(r, 2) == QStringLiteral("7");
    EXPECT_TRUE(found);
    EXPECT_EQ(all.text(1, 0), QStringLiteral("1"));
    EXPECT_EQ(data.tables().table(kAllSettingsTable).caption(), QStringLiteral("All Settings: Updated"));

    runRequests(4 + 2);
    EXPECT_EQ(all.rowCount(), rowsAfterPass);
    const std::vector<int> tables = passes.firsts();
    EXPECT_EQ(std::count(tables.begin(), tables.end(), int(kAllSettingsTable)), 1);
}

TEST_F(SequencerTest, SystemAndMeterInfoTablesCompleteAPassOncePerCycle)
{
    describeUnit({kTypeBranch});
    data.openTable(kSystemSettingsTable);
    data.openTable(kMeterInfoTable);
    SignalRecorder<int> passes(&sequencer, &Sequencer::passCompleted);
    start();
    runRequests(3);
    EXPECT_EQ(passes.firsts(), (std::vector<int>{kSystemSettingsTable, kMeterInfoTable}));
    EXPECT_EQ(data.tables().table(kMeterInfoTable).grid().text(1, 2), QString::number(kTypeBranch << 12 | 1));
}

TEST_F(SequencerTest, ResettingThePollStepRestartsTheCycleAndDropsTheMeterPosition)
{
    describeUnit({kTypeBranch, kTypeBranch});
    data.openTable(kBranchSettingsTable);
    start();
    runRequests(5);
    EXPECT_EQ(sequencer.position().MeterCursor, 1);
    sequencer.resetPollStep();
    EXPECT_EQ(sequencer.position().MeterCursor, 0);
    EXPECT_EQ(sequencer.PollStep(), 0);
    runRequests(1);
    EXPECT_EQ(unit.reads.back().first, 1);
}

} // namespace
} // namespace halvana::test
