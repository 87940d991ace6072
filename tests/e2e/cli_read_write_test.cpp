#include "e2e/e2e_support.h"

#include <gtest/gtest.h>

using namespace halvana::test;

// Reads, writes and exceptions through halvana-cli: interop_test, against libmodbus and mbpoll.
// A unit that stays silent: the write is reported unsuccessful, never as done.
TEST(SilentUnit, WriteWithoutAReplyFails)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start(Wire::Rtu, {QStringLiteral("--set"), QStringLiteral("65101=0"), QStringLiteral("--faults"),
                                      QStringLiteral("drop=1")}))
        << qPrintable(sim.output());
    const RunResult r = runCli(sim.connection(), QStringLiteral("write 65101 7"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, QString());
    EXPECT_TRUE(r.err.contains(QStringLiteral("Unsuccessful Write: no reply"))) << qPrintable(r.err);
}
