#include "e2e/e2e_support.h"
#include "support/file_bytes.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace halvana::test;

namespace {

class RunScriptAgainstSim : public ::testing::TestWithParam<Wire> {};

} // namespace

// Capture, change two settings, capture again; the script made from the two captures, run as
// Modbus writes, brings back every setting of the first capture. (Over TCP only: three
// captures of all settings take a minute over RTU; the next test runs scripts over both.)
TEST(RunScriptAgainstSimTcp, TheScriptFromTwoCapturesRestoresTheFirst)
{
    SimProcess sim;
    ASSERT_TRUE(sim.startTcp()) << qPrintable(sim.output());
    QTemporaryDir dir;
    const auto capture = [&] {
        const RunResult run = runCli(sim.connection(), QStringLiteral("capture 11 --out ") + dir.path());
        EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
        return run.out.trimmed();
    };
    const QString first = capture();
    for (const QString set : {"set 0 2007 1 150.5", "set 0 2013 5 121.5"})
        ASSERT_EQ(runCli(sim.connection(), set).exitCode, 0) << qPrintable(set);
    const QString second = capture();
    const QString script = dir.filePath(QStringLiteral("restore.txt"));
    ASSERT_EQ(runCli({}, QStringLiteral("make-script %1 %2 --out %3").arg(first, second, script)).exitCode, 0);

    const RunResult run = runCli(sim.connection(), QStringLiteral("run-script ") + script);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out, QStringLiteral("1\tnot a write\n2\twritten\n3\twritten\n4\tnot a write\n5\tnot a write\n"
                                      "Script run: 2 written, 0 refused, 0 no reply, 0 skipped\n"));

    const QString third = capture();
    const RunResult left = runCli({}, QStringLiteral("make-script %1 %2").arg(first, third));
    EXPECT_FALSE(left.out.contains(QLatin1String("meter write"))) << qPrintable(left.out);
}

// A malformed write and a refused one are told with their lines; the run goes on and ends
// with status 1.
TEST_P(RunScriptAgainstSim, TellsEachLineAndFailsOnAnyUnwrittenLine)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start(GetParam())) << qPrintable(sim.output());
    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("s.txt"));
    ASSERT_TRUE(writeFileBytes(script, "meter write 2O07 5\r\nmeter write 2004 5\rmeter   write 2007  1001.5\nmeter save"));
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
    ASSERT_TRUE(sim.startTcp({QStringLiteral("--faults"), QStringLiteral("drop=0.25"), QStringLiteral("--seed"),
                              QStringLiteral("3")}))
        << qPrintable(sim.output());
    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("s.txt"));
    QByteArray text;
    for (int k = 0; k < 6; ++k)
        text += QByteArray("meter write ") + QByteArray::number(2007 + 150 * k) + ' ' + QByteArray::number(1100 + k) + "\r\n";
    ASSERT_TRUE(writeFileBytes(script, text));
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
    PtyPair pty;
    ASSERT_TRUE(pty.open()) << qPrintable(pty.error());
    SimProcess sim;
    ASSERT_TRUE(sim.startTcp({QStringLiteral("--service"), pty.unitSide()})) << qPrintable(sim.output());
    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("s.txt"));
    ASSERT_TRUE(writeFileBytes(script, "\r\nmarten\r\nmeter  write 2007 1234\r\nmeter write 2613 4321\r\nmeter save\r\n"));
    const RunResult run = runCli({}, QStringLiteral("run-script %1 --terminal --service %2").arg(script, pty.toolSide()));
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out, QStringLiteral("1\tsent\n2\tsent\n3\tsent\n4\tsent\n5\tsent\nScript sent: 5 lines\n"));
    EXPECT_EQ(runCli(sim.connection(), QStringLiteral("read 2007")).out, QStringLiteral("2007\t1234\n"));
    EXPECT_EQ(runCli(sim.connection(), QStringLiteral("read 2613")).out, QStringLiteral("2613\t4321\n"));
}

// A channel mapping built by make-script and run as Modbus writes: the next `table 0` shows
// each branch's new voltage and current channel and its parent under the rows of the same name.
TEST(BuiltMappingAgainstSim, TableZeroShowsTheMappedChannelsAndParent)
{
    for (const int map : {1, 2}) {
        SCOPED_TRACE(map);
        SimProcess sim;
        ASSERT_TRUE(sim.startTcp({QStringLiteral("--map"), QString::number(map)})) << qPrintable(sim.output());
        QTemporaryDir dir;
        const QString script = dir.filePath(QStringLiteral("mapping.txt"));
        const RunResult made = runCli({}, QStringLiteral("make-script --mapping 0 --first-meter 3 --parent 5 --slot 2 --map %1 --out %2")
                                              .arg(map)
                                              .arg(script));
        ASSERT_EQ(made.exitCode, 0) << qPrintable(made.err);
        const RunResult run = runCli(sim.connection(), QStringLiteral("run-script ") + script);
        EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
        EXPECT_TRUE(run.out.endsWith(QStringLiteral("Script run: 144 written, 0 refused, 0 no reply, 0 skipped\n")))
            << qPrintable(run.out.right(200));

        const RunResult table = runCli(sim.connection(), QStringLiteral("table 0"));
        ASSERT_EQ(table.exitCode, 0) << qPrintable(table.err);
        const auto row = [&](const QString& description) {
            for (const QString& line : table.out.split(QLatin1Char('\n'))) {
                if (line.section(QLatin1Char('\t'), 1, 1).startsWith(description))
                    return line.split(QLatin1Char('\t'));
            }
            return QStringList();
        };
        const QStringList voltage = row(QStringLiteral("Voltage Channel")), current = row(QStringLiteral("Current Channel")),
                          parent = row(QStringLiteral("Parent ID"));
        ASSERT_GT(parent.size(), 52);
        // Slot 2 adds 48: B3 takes J1-01 (Ich 1, Vch 1), B4 J2-01 (Ich 25), B5 J1-02 (Ich 2, Vch 2),
        // B49 J1-24 (Ich 24, Vch 3), B50 J2-24 (Ich 48).
        const struct {
            int branch, vch, ich;
        } expected[] = {{3, 49, 49}, {4, 49, 73}, {5, 50, 50}, {49, 51, 72}, {50, 51, 96}};
        for (const auto& e : expected) {
            EXPECT_EQ(voltage.value(e.branch + 1), QString::number(e.vch)) << e.branch;
            EXPECT_EQ(current.value(e.branch + 1), QString::number(e.ich)) << e.branch;
            EXPECT_EQ(parent.value(e.branch + 1), QStringLiteral("5")) << e.branch;
        }
        EXPECT_EQ(parent.value(2 + 1), QStringLiteral("1")) << "B2 is not mapped";
    }
}

// The builder options add to a given script, and a mapping file that is not there is named.
TEST(BuilderOptions, AddToAScriptAndNameAMissingMappingFile)
{
    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("s.txt"));
    ASSERT_TRUE(writeFileBytes(script, "meter del\rmeter add 1 1\r\nMETER SAVE\n"));
    const RunResult added = runCli({}, QStringLiteral("make-script --add-meters 4 2,5 --script ") + script);
    EXPECT_EQ(added.exitCode, 0) << qPrintable(added.err);
    EXPECT_EQ(added.out, QStringLiteral("meter del\r\nmeter add 1 1\r\nmeter add 4 2\r\nmeter add 4 5\r\nmeter save\r\n"));

    const RunResult missing = runCli({}, QStringLiteral("make-script --mapping Panel --first-meter 1 --parent 1 --data-dir ") + dir.path());
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.err.contains(QLatin1String("Panel_Mapping.txt"))) << qPrintable(missing.err);
    EXPECT_TRUE(missing.out.isEmpty());
}
