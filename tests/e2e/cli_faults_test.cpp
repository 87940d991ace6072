#include "e2e/e2e_support.h"
#include "e2e/table_output.h"

#include <gtest/gtest.h>

using namespace halvana::test;

namespace {

struct FaultCase {
    const char* name;
    Wire wire;
    const char* table;
    const char* faults;
    int seeds;
    // Readings move between runs: cells are compared by where they are, not what they say.
    bool moving;
    bool fast = false; // halvana-cli --fast
};

// `halvana-cli table` against a unit that corrupts, splits, delays, loses and refuses replies,
// over a range of seeds: every run prints what a clean run prints, or gives up with status 1
// and prints no grid at all. A grid with holes or values from the wrong request is a fault. A
// lost reply costs a 2 s time-out, so the runs lose none; corruption and exceptions end some.
// Where `got` first differs from `want`: in any cell, or (`byLayout`) in lines, first two
// columns or which cells are empty; empty when it does not.
QString difference(const std::vector<QStringList>& got, const std::vector<QStringList>& want, bool byLayout)
{
    if (got.size() != want.size() || got.empty() || got[0] != want[0])
        return QStringLiteral("%1 lines, not %2, or another heading").arg(got.size()).arg(want.size());
    int unlike = 0;
    QString first;
    for (size_t r = 1; r < want.size(); ++r) {
        if (got[r].size() != want[r].size() || got[r].mid(0, 2) != want[r].mid(0, 2))
            return QStringLiteral("line %1 is [%2]").arg(r).arg(got[r].join(QLatin1Char('|')));
        for (int k = 2; k < want[r].size(); ++k) {
            if (byLayout ? got[r][k].isEmpty() == want[r][k].isEmpty() : got[r][k] == want[r][k])
                continue;
            if (unlike++ == 0)
                first = QStringLiteral("%1 column %2").arg(want[r][1]).arg(k);
        }
    }
    return unlike ? QStringLiteral("%1 cells unlike the clean run's, first %2").arg(unlike).arg(first) : QString();
}

class TableUnderFaults : public ::testing::TestWithParam<FaultCase> {
protected:
    RunResult table(const QStringList& simArgs)
    {
        SimProcess sim;
        if (!startTableUnit(sim, GetParam().wire, 2, simArgs)) {
            ADD_FAILURE() << qPrintable(sim.output());
            return {};
        }
        return runCli(sim.connection(),
                      QLatin1String(GetParam().fast ? "--fast table " : "table ") + QLatin1String(GetParam().table));
    }
};

} // namespace

TEST_P(TableUnderFaults, EveryRunPrintsTheCleanGridOrFails)
{
    const FaultCase& c = GetParam();
    const RunResult clean = table({});
    ASSERT_EQ(clean.exitCode, 0) << qPrintable(clean.err);
    const std::vector<QStringList> want = tsvRows(clean.out);
    int completed = 0;
    for (int seed = 1; seed <= c.seeds; ++seed) {
        const RunResult run = table({"--faults", QLatin1String(c.faults), "--seed", QString::number(seed)});
        SCOPED_TRACE("seed " + std::to_string(seed) + ": " + run.err.toStdString());
        if (run.exitCode == 1) {
            EXPECT_EQ(run.out, QString());
            EXPECT_FALSE(run.err.isEmpty());
            continue;
        }
        ASSERT_EQ(run.exitCode, 0);
        ++completed;
        const QString unlike = difference(tsvRows(run.out), want, c.moving);
        EXPECT_TRUE(unlike.isEmpty()) << qPrintable(unlike);
    }
    EXPECT_GT(completed, 0) << "no run got through the faults";
}

INSTANTIATE_TEST_SUITE_P(
    Seeds, TableUnderFaults,
    ::testing::Values(
        FaultCase{"Tcp3", Wire::Tcp, "3", "corrupt=0.1,split=0.3,splitgap=3,delay=3,exception=0.01", 5, true},
        FaultCase{"Tcp9", Wire::Tcp, "9", "corrupt=0.1,split=0.3,splitgap=3,delay=3,exception=0.01", 3, false},
        // Compared cell by cell, so that a corrupted value the CRC should have caught shows.
        FaultCase{"Rtu9", Wire::Rtu, "9", "corrupt=0.1,split=0.3,splitgap=3,delay=3", 1, false},
        // Fast polling: a few lost replies, and splits as long as a USB adapter's bursts.
        FaultCase{"FastTcp3", Wire::Tcp, "3", "drop=0.01,corrupt=0.1,split=0.3,splitgap=3,delay=3,exception=0.01", 3,
                  true, true},
        FaultCase{"FastRtu9", Wire::Rtu, "9", "drop=0.02,corrupt=0.1,split=0.3,splitgap=16,delay=3", 2, false, true}),
    [](const auto& info) { return std::string(info.param.name); });
