#include "e2e/e2e_support.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace halvana::test;

class RunScriptAgainstSim : public ::testing::TestWithParam<Wire> {};

// A malformed write and a refused one are told with their lines; the run goes on and ends
// with status 1.
TEST_P(RunScriptAgainstSim, TellsEachLineAndFailsOnAnyUnwrittenLine)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start(GetParam())) << qPrintable(sim.output());
    QTemporaryDir dir;
    const QString script = writeTempFile(
        dir.path(), QStringLiteral("s.txt"),
        "meter write 2O07 5\r\nmeter write 2004 5\rmeter   write 2007  1001.5\nmeter save");
    const RunResult run = runCli(sim.connection(), QStringLiteral("run-script ") + script);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, QStringLiteral("1\tskipped: register \"2O07\" is not a number: \"meter write 2O07 5\"\n"
                                      "2\trefused: exception 3 (Illegal Data Value)\n3\twritten\n4\tnot a write\n"
                                      "Script run: 1 written, 1 refused, 0 no reply, 1 skipped\n"));
    EXPECT_EQ(runCli(sim.connection(), QStringLiteral("read 2007")).out, QStringLiteral("2007\t1002\n"));
    EXPECT_EQ(runCli(sim.connection(), QStringLiteral("run-script ") + dir.filePath("missing.txt")).exitCode, 2);
}

INSTANTIATE_TEST_SUITE_P(Wires, RunScriptAgainstSim, ::testing::Values(Wire::Tcp, Wire::Rtu), wireName);

// Requests and replies lost on the way: what the summary calls written is in the unit.
TEST(RunScriptUnderFaults, EveryLineCalledWrittenIsInTheUnit)
{
    SimProcess sim;
    ASSERT_TRUE(sim.startTcp(words("--faults drop=0.25 --seed 3"))) << qPrintable(sim.output());
    QByteArray text;
    for (int k = 0; k < 6; ++k)
        text += QByteArray("meter write ") + QByteArray::number(2007 + 150 * k) + ' ' + QByteArray::number(1100 + k) + "\r\n";
    QTemporaryDir dir;
    const QString script = writeTempFile(dir.path(), QStringLiteral("s.txt"), text);
    const RunResult run = runCli(sim.connection(), QStringLiteral("run-script ") + script);
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // Three writes in a row without a reply end the run early.
    ASSERT_GE(lines.size(), 2) << qPrintable(run.out + run.err);
    EXPECT_TRUE(lines.last().startsWith(QLatin1String("Script run"))) << qPrintable(run.out);
    int written = 0;
    for (int k = 0; k < lines.size() - 1; ++k) {
        if (lines[k] != QStringLiteral("%1\twritten").arg(k + 1)) {
            EXPECT_EQ(lines[k], QStringLiteral("%1\tno reply").arg(k + 1));
            continue;
        }
        ++written;
        const int reg = 2007 + 150 * k;
        EXPECT_EQ(runCli(sim.connection(), QStringLiteral("read %1").arg(reg)).out, QStringLiteral("%1\t%2\n").arg(reg).arg(1100 + k));
    }
    EXPECT_GT(written, 0);
    EXPECT_LT(written, 6) << "the faults were meant to lose some writes";
    EXPECT_EQ(run.exitCode, 1);
}

// The same kind of script through the terminal runner: the unit's console takes the wake-up,
// the password and the writes, and the registers change as over Modbus.
TEST(RunScriptViaTerminal, TheServiceConsoleWritesTheRegisters)
{
    SimProcess sim;
    ASSERT_TRUE(sim.startWithServicePort()) << qPrintable(sim.output());
    QTemporaryDir dir;
    const QString script = writeTempFile(
        dir.path(), QStringLiteral("s.txt"),
        "\r\nmarten\r\nmeter  write 2007 1234\r\nmeter write 2613 4321\r\nmeter save\r\n");
    const RunResult run = runCli(
        {}, QStringLiteral("run-script %1 --terminal --service %2").arg(script, sim.servicePort()));
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out, QStringLiteral("1\tsent\n2\tsent\n3\tsent\n4\tsent\n5\tsent\nScript sent: 5 lines\n"));
    EXPECT_EQ(runCli(sim.connection(), QStringLiteral("read 2007")).out, QStringLiteral("2007\t1234\n"));
    EXPECT_EQ(runCli(sim.connection(), QStringLiteral("read 2613")).out, QStringLiteral("2613\t4321\n"));
}
