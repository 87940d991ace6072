#include "core/device/table_readout.h"
#include "polling_fixture.h"
#include "signal_recorder.h"

namespace halvana::test {
namespace {

const std::vector<int> kUnit = {kTypePduInput, kTypeBranch, kTypeSubfeed, kTypeBranch};

// A readout of one table on the manual clock against the in-memory unit.
struct ReadoutHarness : PollingHarness {
    explicit ReadoutHarness(const std::vector<int>& types = kUnit)
        : readout(data, sequencer, link), passes(&readout, &TableReadout::passCompleted),
          failures(&readout, &TableReadout::failed)
    {
        describeUnit(types);
    }

    // Runs long enough for any pass of these tables, answering as it goes.
    void run() { runFor(30 * ModbusLink::kResponseTimeoutMs); }

    QString failure() const { return failures.count() ? std::get<0>(failures.calls.front()) : QString(); }

    TableReadout readout;
    SignalRecorder<> passes;
    SignalRecorder<QString> failures;
};

TEST(TableReadout, AUnitThatStopsAnsweringEndsTheReadoutAfterThreeTimeOutsInARow)
{
    ReadoutHarness h;
    h.readout.start(kBranchReadingsTable);
    h.runRequests(5); // the system steps and the first branch
    h.unit.silent = true;
    h.runFor(2 * ModbusLink::kResponseTimeoutMs + 500);
    EXPECT_EQ(h.failures.count(), 0) << "two time-outs are not yet the end";
    h.runFor(ModbusLink::kResponseTimeoutMs);
    ASSERT_EQ(h.failures.count(), 1);
    EXPECT_EQ(h.passes.count(), 0);
    EXPECT_TRUE(h.failure().startsWith(QStringLiteral("Getting B2 Readings: "))) << qPrintable(h.failure());
    EXPECT_TRUE(h.failure().contains(QStringLiteral("3 attempts"))) << qPrintable(h.failure());

    // Nothing more goes out, however long the tool would wait.
    const size_t sent = h.unit.reads.size();
    EXPECT_EQ(sent, 5u + 3u);
    h.unit.silent = false;
    h.run();
    EXPECT_EQ(h.unit.reads.size(), sent);
    EXPECT_EQ(h.passes.count(), 0);
}

TEST(TableReadout, AUnitWithoutMetersCompletesEveryTableWithinItsFirstCycle)
{
    for (int table : {0, 1, 2, 3, 4, 5, 7, 9, 10, 11, int(TableReadout::kSystemGrid)}) {
        SCOPED_TRACE(table);
        ReadoutHarness h(std::vector<int>{});
        SignalRecorder<> cycles(&h.sequencer, &Sequencer::cycleCompleted);
        h.readout.start(table);
        h.run();
        EXPECT_EQ(std::make_tuple(h.failure(), h.passes.count(), cycles.count() <= 1), std::make_tuple(QString(), 1, true));
        // The meter tables: Reg and Description, no meter columns, and marked in their windows.
        if (table <= kThreePhaseReadingsTable) {
            EXPECT_EQ(h.readout.text().headings.size(), 2) << table;
            EXPECT_TRUE(h.data.tables().table(table).isUpdated()) << table;
        }
    }
}

TEST(TableReadout, ATableThatNeverCompletesEndsTheReadoutAfterThreeCycles)
{
    ReadoutHarness h;
    h.readout.start(kThreePhaseReadingsTable);
    h.data.tables().close(kThreePhaseReadingsTable); // its step is passed over from now on
    h.run();
    EXPECT_EQ(h.passes.count(), 0);
    EXPECT_TRUE(h.failure().contains(QLatin1String("3 full cycles"))) << qPrintable(h.failure());
    EXPECT_EQ(h.unit.reads.size(), 3 * 4u);
}

TEST(TableReadout, ABlockTheUnitRefusesEndsTheReadoutNamingIt)
{
    const struct Case {
        int table;
        std::vector<int> types;
        int refused;
        const char* step;
    } cases[] = {
        {kBranchSettingsTable, kUnit, 2151, "Getting B2 Settings: "},
        {kInputBoardTable, kUnit, 63451, "Getting Input Board Status: "},
        {TableReadout::kSystemGrid, kUnit, 401, "Getting Meter Status 1: "},
        // Without meters the cycle goes round right after the refused block; still no pass.
        {TableReadout::kSystemGrid, {}, 101, "Getting Meter Info 1: "},
        {kMeterInfoTable, kUnit, 226, "Getting Meter Info 2: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.refused);
        ReadoutHarness h(c.types);
        h.unit.refused.insert(c.refused);
        h.readout.start(c.table);
        h.run();
        EXPECT_EQ(h.passes.count(), 0);
        ASSERT_EQ(h.failures.count(), 1);
        EXPECT_TRUE(h.failure().startsWith(QLatin1String(c.step))) << qPrintable(h.failure());
        EXPECT_TRUE(h.failure().contains(QString::number(c.refused))) << qPrintable(h.failure());
        EXPECT_EQ(h.readRegisters().back(), c.refused) << "polling stops at the refused block";
    }
}

} // namespace
} // namespace halvana::test
