#include "e2e/e2e_support.h"

using namespace halvana::test;

namespace {

struct LinkTotals {
    int requests = -1, replies = -1, timeouts = -1, rejected = -1;
};

// The counts of the last statistics line in `text`.
LinkTotals lastTotals(const QString& text)
{
    static const QRegularExpression line(
        QStringLiteral("(\\d+) requests, (\\d+) replies, (\\d+) time-outs, (\\d+) rejected"));
    LinkTotals totals;
    for (auto it = line.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        totals = {m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt()};
    }
    return totals;
}

class CliWatch : public ::testing::TestWithParam<Wire> {};

} // namespace

// Polling goes on with a statistics line each interval until Ctrl-C, which ends it cleanly with
// the totals; the counters agree with the faults the simulator says it injected. Over RTU every
// corrupted reply fails its CRC and every lost one times out; over TCP a corrupted header may
// also leave the link waiting for bytes that never come, so only the sum is fixed. The exchange
// under way at Ctrl-C may be counted by the simulator alone.
TEST_P(CliWatch, CountsTheFaultsTheUnitInjected)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start(GetParam(), words("--faults drop=0.05,corrupt=0.05,exception=0.05 --seed 3")))
        << qPrintable(sim.output());
    const auto enough = [](const QString& text) {
        const LinkTotals t = lastTotals(text);
        return t.timeouts >= 1 && t.rejected >= 1;
    };
    const RunResult run = runCliUntilInterrupted(sim.connection() + words("watch --interval 1"), enough, 40000);
    EXPECT_TRUE(run.finished && run.exitCode == 0) << qPrintable(run.out + run.err);
    const QString& out = run.out;
    const LinkTotals cli = lastTotals(out);
    EXPECT_TRUE(out.trimmed().section(QLatin1Char('\n'), -1).startsWith(QLatin1String("total: "))) << qPrintable(out);
    ASSERT_TRUE(sim.stop());
    const auto injected = QRegularExpression(QStringLiteral("faults injected: (\\d+) dropped, (\\d+) corrupted"))
                              .match(sim.output());
    ASSERT_TRUE(injected.hasMatch()) << qPrintable(sim.output());
    const int dropped = injected.captured(1).toInt();
    const int corrupted = injected.captured(2).toInt();
    SCOPED_TRACE(qPrintable(out + sim.output().right(200)));
    const auto withinOne = [](int counted, int injected) { return counted == injected || counted == injected - 1; };
    if (GetParam() == Wire::Rtu) {
        EXPECT_TRUE(withinOne(cli.timeouts, dropped));
        EXPECT_TRUE(withinOne(cli.rejected, corrupted));
    } else {
        EXPECT_TRUE(withinOne(cli.timeouts + cli.rejected, dropped + corrupted));
    }
    EXPECT_EQ(cli.replies + cli.timeouts + cli.rejected, cli.requests) << "each request ends once";
}

INSTANTIATE_TEST_SUITE_P(Wires, CliWatch, ::testing::Values(Wire::Tcp, Wire::Rtu), wireName);
