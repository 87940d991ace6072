#include "e2e/e2e_support.h"

using namespace halvana::test;

// The simulator at a slave ID of its own, with firmware 3.02 build 7, found by a scan over a
// pty pair and over TCP; with nobody at the far end of the pair, nothing is found.
TEST(CliScan, FindsTheUnitWhereItIsAndNothingWhereNobodyIs)
{
    const struct {
        const char* name;
        Wire wire;
        const char* simulator; // its slave ID; none: nobody at the far end
        const char* options;
        const char* estimate;
        const char* found; // after the address; empty: nothing found
    } cases[] = {
        {"RTU", Wire::Rtu, "17", "--baud 19200 --ids 15-18", "1 port x 1 speed x 4 IDs: at most 1 s",
         " at 19200 baud, slave ID 17: firmware 03.02.007, register map 2"},
        {"TCP", Wire::Tcp, "9", "--ids 8-10", "1 address x 3 IDs: at most 1 s",
         ", unit ID 9: firmware 03.02.007, register map 2"},
        {"nobody", Wire::Rtu, nullptr, "--ids 1-3", "1 port x 5 speeds x 3 IDs: at most 2 s", ""},
    };
    for (const auto& c : cases) {
        SimProcess sim;
        PtyPair nobody;
        QString address;
        if (c.simulator) {
            ASSERT_TRUE(sim.start(c.wire, {"--slave", c.simulator, "--set", "3=770,7"})) << qPrintable(sim.output());
            address = sim.address();
        } else {
            ASSERT_TRUE(nobody.open()) << qPrintable(nobody.error());
            address = nobody.toolSide();
        }
        const QStringList connection = {c.wire == Wire::Tcp ? QStringLiteral("--tcp") : QStringLiteral("--rtu"), address};
        const RunResult run = runCli(connection, QStringLiteral("scan ") + QLatin1String(c.options));
        const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_FALSE(lines.isEmpty()) << c.name << qPrintable(run.err);
        EXPECT_EQ(lines.first(), QStringLiteral("Scanning ") + QLatin1String(c.estimate)) << c.name;
        if (c.found[0]) {
            EXPECT_EQ(run.exitCode, 0) << c.name << qPrintable(run.err);
            EXPECT_EQ(lines.mid(1), QStringList({"Found " + address + QLatin1String(c.found), "1 unit found"})) << c.name;
        } else {
            EXPECT_EQ(run.exitCode, 1) << c.name;
            EXPECT_EQ(lines.mid(1), QStringList{"no unit found"}) << c.name;
        }
    }
}
