#include "polling_fixture.h"
#include "signal_recorder.h"

namespace halvana::test {
namespace {

using Regs = std::vector<int>;

class SequencerTest : public PollingTest {};

// A tick client that takes its turn as told, or as `take` decides.
struct Client : TickClient {
    Turn turn = Turn::Pass;
    int ticks = 0;
    std::function<Turn()> take;
    Turn takeTick() override
    {
        ++ticks;
        return take ? take() : turn;
    }
};

TEST(SequencerCycle, WithAllTablesClosedACycleReadsOnlyTheSystemAndMeterBlocks)
{
    // Fewer than 125 meters: step 3 goes straight to step 5; 125 need the second status block;
    // without meters the table steps follow the first information block.
    for (const auto& [numMeters, cycle] : std::vector<std::pair<int, Regs>>{
             {3, {1, 101, 226, 401}}, {125, {1, 101, 226, 401, 526}}, {0, {1, 101}}}) {
        SCOPED_TRACE(numMeters);
        PollingHarness h;
        h.describeUnit(std::vector<int>(size_t(numMeters), kTypeBranch));
        SignalRecorder<> cycles(&h.sequencer, &Sequencer::cycleCompleted);
        h.start();
        h.runRequests(int(2 * cycle.size()));
        Regs twice = cycle;
        twice.insert(twice.end(), cycle.begin(), cycle.end());
        EXPECT_EQ(h.readRegisters(), twice);
        EXPECT_EQ(cycles.count(), 1);
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

TEST(SequencerTwoPartSteps, ALostPartReadsTheMeterAgainAndAnExceptionLeavesThePassUncounted)
{
    using Fault = FakeUnit::Fault;
    const struct {
        int step, table, meters;
    } steps[] = {{kStepThreePhaseReadings, kThreePhaseReadingsTable, 3},
                 {kStepThermalSettings, kThermalSettingsTable, kNumThermalModules}};
    for (const auto& s : steps)
        for (int part : {0, 1})
            for (Fault fault : {Fault::Drop, Fault::Corrupt, Fault::Exception})
                for (int times : {1, 2}) {
                    SCOPED_TRACE(testing::Message() << s.step << " part " << part + 1 << " fault " << int(fault) << " x" << times);
                    const auto first = [&](int k, int p) { return RegisterMap::stepRead(s.step, 2, k, p == 1).first; };
                    PollingHarness h;
                    h.describeUnit(std::vector<int>(3, kTypeSubfeed));
                    h.data.openTable(s.table);
                    h.data.openTable(kAllSettingsTable);
                    int left = times; // the first `times` requests for this part of any meter
                    h.unit.fault = [&](int reg) {
                        for (int k = 0; k < s.meters; ++k)
                            if (reg == first(k, part) && left > 0)
                                return --left, fault;
                        return Fault::None;
                    };
                    SignalRecorder<int> passes(&h.sequencer, &Sequencer::passCompleted);
                    QObject::connect(&h.sequencer, &Sequencer::cycleCompleted, [&] { h.sequencer.setPollingDisabled(true); });
                    h.start();
                    h.runFor(5 * ModbusLink::kResponseTimeoutMs);

                    // A lost part reads the meter again from its first part; an exception moves on.
                    Regs expected = {1, 101, 226, 401};
                    std::set<int> broken;
                    for (int k = 0, faults = times; k < s.meters; ++k)
                        for (int p = 0; p < 2 && !broken.count(k); ++p) {
                            expected.push_back(first(k, p));
                            if (p == part && faults-- > 0)
                                fault == Fault::Exception ? void(broken.insert(k)) : void(p = -1);
                        }
                    EXPECT_EQ(h.readRegisters(), expected);
                    const MeterTable& table = h.data.tables().table(s.table);
                    const int secondRow = RegisterMap::stepRead(s.step, 2, 0, false).count + 1;
                    for (int k = 0; k < s.meters; ++k)
                        EXPECT_TRUE(broken.count(k) || !(table.grid().text(1, k + 2).isEmpty() || table.grid().text(secondRow, k + 2).isEmpty())) << k;
                    const std::vector<int> whole{s.table, kAllSettingsTable}, uncounted{kAllSettingsTable};
                    EXPECT_EQ(passes.firsts(), broken.empty() ? whole : uncounted);
                    EXPECT_EQ(table.isUpdated(), broken.empty());
                    // A module's settings are collected once, and only when both its parts came in.
                    const GridModel& all = h.data.tables().table(kAllSettingsTable).grid();
                    std::set<QString> collected;
                    for (int r = 1; r < all.rowCount(); ++r)
                        EXPECT_TRUE(collected.insert(all.text(r, 0)).second) << qPrintable(all.text(r, 0));
                    for (int k : broken)
                        EXPECT_FALSE(collected.count(QString::number(first(k, 0)))) << k;
                }
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

TEST_F(SequencerTest, PriorityWorkAndTheScriptTakeTheTickBeforeTheCycle)
{
    Client priority, script;
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

TEST(SequencerSkips, AThreePhaseMeterWithABlockBeyondTheLastWireAddressIsSkippedWholeWithTheReasonShown)
{
    const struct {
        int map, meters, readMeters;
        const char* skipped;
    } cases[] = {
        {1, 65, 64, "Skipped 98 registers at 65567: "}, // the 65th meter starts past register 65536
        {2, 74, 72, "Skipped 93 registers at 65453: "}, // the 73rd meter's second part runs past it
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.map);
        PollingHarness h;
        h.describeUnit(std::vector<int>(size_t(c.meters), kTypeSubfeed), c.map);
        h.data.model().RegisterMapVersion = c.map;
        h.data.openTable(kThreePhaseReadingsTable);
        SignalRecorder<const QString&> status(&h.sequencer, &Sequencer::pollingStatusChanged);
        SignalRecorder<int> passes(&h.sequencer, &Sequencer::passCompleted);
        h.start();
        h.runRequests(4 + 2 * c.readMeters + 1);

        const Regs reads = h.readRegisters(); // the pass completed and a new cycle began
        EXPECT_EQ(Regs(reads.end() - 2, reads.end()),
                  (Regs{RegisterMap::stepRead(kStepThreePhaseReadings, c.map, c.readMeters - 1, true).first, 1}));
        const std::vector<QString> texts = status.firsts();
        EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](const QString& t) { return t.startsWith(QLatin1String(c.skipped)); }));
        EXPECT_EQ(passes.firsts(), std::vector<int>{kThreePhaseReadingsTable});
        EXPECT_EQ(h.data.tables().table(kThreePhaseReadingsTable).grid().columnCount(), 2 + c.readMeters);
    }
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

// Fast polling sends the next request as soon as the reply was handled, not at the next 10 ms
// tick, and passes over steps with nothing to read at once; a priority write due after a reply
// still goes before the cycle's next read.
TEST(SequencerFast, TheNextRequestLeavesOnceTheReplyIsHandledAndPriorityWorkKeepsItsPlace)
{
    for (const auto& [fast, gapMs] : {std::pair{false, 10}, {true, 0}}) {
        SCOPED_TRACE(fast);
        PollingHarness h;
        bool due = false;
        Client writer;
        writer.take = [&] {
            const bool sent = std::exchange(due, false) && h.link.WriteQuery(858, {1}) == ModbusLink::RequestResult::Sent;
            return sent ? TickClient::Turn::Sent : TickClient::Turn::Pass;
        };
        h.sequencer.addTickClient(&writer);
        h.sequencer.setFastPolling(fast);
        h.describeUnit({kTypeBranch, kTypeBranch});
        h.data.openTable(kBranchSettingsTable);
        std::vector<std::pair<int, qint64>> sent;
        h.unit.beforeAnswer = [&](int reg) {
            sent.emplace_back(reg, h.clock.nowMs());
            due = due || reg == 2001;
            h.unit.silent = sent.size() == 8; // a unit that answers at once would be polled for ever
        };
        h.start();
        h.runRequests(7);
        Regs regs;
        for (size_t i = 0; i < sent.size(); ++i) {
            regs.push_back(sent[i].first);
            if (i > 0 && (fast || i + 1 < sent.size())) { // by default a quiet step costs a tick too
                EXPECT_EQ(sent[i].second - sent[i - 1].second, gapMs) << i;
            }
        }
        EXPECT_EQ(regs, (Regs{1, 101, 226, 401, 2001, 858, 2151, 1}));
    }
}

} // namespace
} // namespace halvana::test
