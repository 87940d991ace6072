#include "e2e/e2e_support.h"

#include <gtest/gtest.h>

using namespace halvana::test;

namespace {

// Registers above the unit's register map, so that the test alone decides which exist.
const QStringList kImage = {QStringLiteral("--set"), QStringLiteral("65001=11,22,33,65535"),
                            QStringLiteral("--set"), QStringLiteral("65101=0,0")};

// halvana-cli against halvana-sim, over localhost TCP or a pseudo-terminal pair.
class CliAgainstSim : public ::testing::TestWithParam<Wire> {
protected:
    void SetUp() override { ASSERT_TRUE(m_sim.start(GetParam(), kImage)) << qPrintable(m_sim.output()); }
    // The simulator stops cleanly on SIGTERM.
    void TearDown() override { EXPECT_TRUE(m_sim.stop()) << qPrintable(m_sim.output()); }

    RunResult cli(const QString& command) { return runCli(m_sim.connection(), command); }

    SimProcess m_sim;
};

} // namespace

TEST_P(CliAgainstSim, ReadsWritesAndRefusesRegistersTheUnitDoesNotHave)
{
    RunResult r = cli(QStringLiteral("read 65001 4"));
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, QStringLiteral("65001\t11\n65002\t22\n65003\t33\n65004\t65535\n"));
    EXPECT_EQ(r.err, QString());

    r = cli(QStringLiteral("write 65101 513 0xFFFF"));
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, QStringLiteral("Successful Write \n"));
    r = cli(QStringLiteral("read 65101 2"));
    EXPECT_EQ(r.out, QStringLiteral("65101\t513\n65102\t65535\n"));

    r = cli(QStringLiteral("read 65003 3"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, QString()) << "no values may be printed for a refused read";
    EXPECT_TRUE(r.err.contains(QStringLiteral("exception 2"))) << qPrintable(r.err);

    r = cli(QStringLiteral("write 65102 1 2"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, QString());
    EXPECT_TRUE(r.err.contains(QStringLiteral("Unsuccessful Write: The value could have been out of range for this item.")))
        << qPrintable(r.err);
    // Nothing of the refused write reached the unit.
    r = cli(QStringLiteral("read 65102"));
    EXPECT_EQ(r.out, QStringLiteral("65102\t65535\n"));
}

INSTANTIATE_TEST_SUITE_P(Wires, CliAgainstSim, ::testing::Values(Wire::Tcp, Wire::Rtu), wireName);

// A unit that stays silent: the write is reported unsuccessful, never as done.
TEST(SilentUnit, WriteWithoutAReplyFails)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start(Wire::Rtu, kImage + QStringList{QStringLiteral("--faults"), QStringLiteral("drop=1")}))
        << qPrintable(sim.output());
    const RunResult r = runCli(sim.connection(), QStringLiteral("write 65101 7"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, QString());
    EXPECT_TRUE(r.err.contains(QStringLiteral("Unsuccessful Write: no reply"))) << qPrintable(r.err);
}
