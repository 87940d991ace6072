#include "core/device/table_readout.h"
#include "polling_fixture.h"
#include "signal_recorder.h"

namespace halvana::test {
namespace {

using Regs = std::vector<int>;

// A readout of one table on the manual clock against the in-memory unit.
struct ReadoutHarness : PollingHarness {
    ReadoutHarness() : readout(data, sequencer, link), passes(&readout, &TableReadout::passCompleted),
                       failures(&readout, &TableReadout::failed)
    {
    }

    // Runs long enough for any pass of these tables, answering as it goes.
    void run() { runFor(30 * ModbusLink::kResponseTimeoutMs); }

    QString failure() const { return failures.count() ? std::get<0>(failures.calls.front()) : QString(); }

    TableReadout readout;
    SignalRecorder<> passes;
    SignalRecorder<QString> failures;
};

const std::vector<int> kUnit = {kTypePduInput, kTypeBranch, kTypeSubfeed, kTypeBranch};
const Regs kSystemSteps = {1, 101, 226, 401};

Regs operator+(Regs a, const Regs& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Regs thermalSettingsReads()
{
    Regs regs;
    for (int k = 0; k < kNumThermalModules; ++k)
        regs = regs + Regs{64001 + 150 * k, 64121 + 150 * k};
    return regs;
}

TEST(TableReadout, EachTableIsPolledAsIfOnlyItsWindowWereOpenUntilItsPassIsComplete)
{
    Regs thermalReadings;
    for (int k = 0; k < kNumThermalModules; ++k)
        thermalReadings.push_back(63501 + 75 * k);
    const struct Case {
        int table;
        int mapVersion;
        Regs reads;
        int valueColumns;
    } cases[] = {
        {TableReadout::kSystemGrid, 2, kSystemSteps, 0},
        {kBranchSettingsTable, 2, kSystemSteps + Regs{2001, 2151}, 2},
        // Opened before the unit named its map: the Map 1 rows and strides are used all the same.
        {kBranchSettingsTable, 1, kSystemSteps + Regs{2001, 2201}, 2},
        {kBranchReadingsTable, 2, kSystemSteps + Regs{2093, 2243}, 2},
        {kThreePhaseSettingsTable, 1, kSystemSteps + Regs{43001, 43351}, 2},
        {kThreePhaseReadingsTable, 2, kSystemSteps + Regs{40153, 40253, 40503, 40603}, 2},
        // Both complete with the meter information of the first cycle; nothing more is read.
        {kSystemSettingsTable, 2, {1, 101, 226}, 1},
        {kMeterInfoTable, 2, {1, 101, 226}, 1},
        {kInputBoardTable, 2, kSystemSteps + Regs{63451}, 1},
        {kThermalSettingsTable, 2, kSystemSteps + thermalSettingsReads(), 6},
        {kThermalReadingsTable, 2, kSystemSteps + thermalReadings, 6},
        // "All Settings" with the settings tables that "Capture All Settings" opens.
        {kAllSettingsTable, 2, kSystemSteps + Regs{2001, 2151, 40001, 40351, 63451} + thermalSettingsReads(), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "table " << c.table << ", map " << c.mapVersion);
        ReadoutHarness h;
        h.describeUnit(kUnit, c.mapVersion);
        h.readout.start(c.table);
        h.run();
        EXPECT_EQ(h.passes.count(), 1);
        EXPECT_EQ(h.failure(), QString());
        EXPECT_FALSE(h.readout.isRunning());
        EXPECT_EQ(h.readRegisters(), c.reads);

        const GridText text = h.readout.text();
        const int keyColumns = c.table == TableReadout::kSystemGrid ? 6 : 2;
        EXPECT_EQ(text.headings.size(), keyColumns + c.valueColumns);
        if (c.table != TableReadout::kSystemGrid && c.table != kAllSettingsTable) {
            const GridModel& grid = h.data.tables().table(c.table).grid();
            // Every register row of the table's own map, and not the empty row after them.
            EXPECT_EQ(int(text.rows.size()), grid.rowCount() - 2);
            EXPECT_NE(text.rows.back().first(), QString());
            EXPECT_EQ(h.data.tables().table(c.table).builtMapVersion(), c.mapVersion);
        }
    }
}

TEST(TableReadout, TextHoldsEveryMeterOfTheSystemGridAndEveryCollectedSetting)
{
    ReadoutHarness system;
    system.describeUnit(kUnit);
    system.unit.image[401 + 2] = 0x0023;
    system.readout.start(TableReadout::kSystemGrid);
    system.run();
    GridText text = system.readout.text();
    EXPECT_EQ(text.table.toString(), QStringLiteral("system"));
    EXPECT_EQ(text.caption, QStringLiteral("System Configuration"));
    EXPECT_EQ(text.rowKeys, QStringList{QStringLiteral("meter")});
    ASSERT_EQ(text.rows.size(), kUnit.size());
    EXPECT_EQ(text.rows[2], (QStringList{QStringLiteral("Meter 3"), QStringLiteral("4) Subfeed"), QStringLiteral("3"),
                                         QStringLiteral("2"), QStringLiteral("Active"), QStringLiteral("Active")}));

    ReadoutHarness all;
    all.describeUnit(kUnit);
    all.readout.start(kAllSettingsTable);
    all.run();
    text = all.readout.text();
    EXPECT_EQ(text.table.toInt(), kAllSettingsTable);
    EXPECT_EQ(text.caption, QStringLiteral("All Settings"));
    const GridModel& grid = all.data.tables().table(kAllSettingsTable).grid();
    // The table has no empty row at its end: the last setting collected is printed too.
    ASSERT_EQ(int(text.rows.size()), grid.rowCount() - 1);
    EXPECT_TRUE(text.rows.back().at(1).endsWith(QStringLiteral(" - Slot 6"))) << qPrintable(text.rows.back().at(1));
    EXPECT_EQ(text.rows.front().first(), QStringLiteral("1"));
}

TEST(TableReadout, AUnitThatStopsAnsweringEndsTheReadoutAfterThreeTimeOutsInARow)
{
    ReadoutHarness h;
    h.describeUnit(kUnit);
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

TEST(TableReadout, TimeOutsThatAreNotInARowDoNotEndTheReadout)
{
    ReadoutHarness h;
    h.describeUnit(kUnit);
    h.readout.start(kThreePhaseReadingsTable);
    // Three time-outs, each followed by answered requests.
    for (int i = 0; i < 3; ++i) {
        h.runRequests(2);
        h.unit.silent = true;
        h.runRequests(1);
        h.runFor(ModbusLink::kResponseTimeoutMs + 5);
        h.unit.silent = false;
    }
    h.run();
    EXPECT_EQ(h.failure(), QString());
    EXPECT_EQ(h.passes.count(), 1);
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
        ReadoutHarness h;
        h.describeUnit(c.types);
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

TEST(TableReadout, OnlyTheTablesOfTheCapturedWindowsCanBeRead)
{
    for (int table : {-1, 6, 8, 12, 998, 1000})
        EXPECT_FALSE(TableReadout::isReadable(table)) << table;
    for (int table : {0, 1, 2, 3, 4, 5, 7, 9, 10, 11, int(TableReadout::kSystemGrid)})
        EXPECT_TRUE(TableReadout::isReadable(table)) << table;
}

} // namespace
} // namespace halvana::test
