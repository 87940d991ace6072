#include "e2e/e2e_support.h"
#include "e2e/wait.h"

#include <csignal>

using namespace halvana::test;

// Polling goes on with a statistics line each interval until Ctrl-C, which ends it cleanly
// with the totals.
TEST(CliWatch, PrintsStatisticsEachIntervalAndTheTotalsAtCtrlC)
{
    SimProcess sim;
    ASSERT_TRUE(sim.startTcp()) << qPrintable(sim.output());
    QProcess cli;
    cli.start(binaryPath(QStringLiteral("halvana-cli")),
              sim.connection() + QStringList{QStringLiteral("watch"), QStringLiteral("--interval"), QStringLiteral("1")});
    QString out;
    ASSERT_TRUE(waitUntil([&] {
        out += QString::fromUtf8(cli.readAllStandardOutput());
        return out.count(QLatin1Char('\n')) >= 2;
    }, 10000)) << qPrintable(out + cli.readAllStandardError());
    ::kill(pid_t(cli.processId()), SIGINT);
    ASSERT_TRUE(cli.waitForFinished(5000));
    out += QString::fromUtf8(cli.readAllStandardOutput());
    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), 0);
    const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines[0].contains(QLatin1String(" requests, "))) << qPrintable(lines[0]);
    EXPECT_TRUE(lines.last().startsWith(QLatin1String("total: "))) << qPrintable(lines.last());
    EXPECT_TRUE(lines.last().contains(QLatin1String("0 time-outs, 0 rejected (0.0% loss)"))) << qPrintable(lines.last());
}
