#include "e2e/e2e_support.h"

#include <gtest/gtest.h>

using namespace halvana::test;

namespace {

enum class Wire { Tcp, Rtu };

// Registers above the unit's register map, so that the test alone decides which exist.
const QStringList kImage = {QStringLiteral("--set"), QStringLiteral("65001=11,22,33,65535"),
                            QStringLiteral("--set"), QStringLiteral("65101=0,0")};

// halvana-cli against halvana-sim, over localhost TCP or a pseudo-terminal pair at 115200 baud.
class CliAgainstSim : public ::testing::TestWithParam<Wire> {
protected:
    // Starts a simulator with the test's registers (and any extra options); false if it failed.
    bool startSim(SimProcess& sim, const QStringList& extra = {})
    {
        if (GetParam() == Wire::Tcp) {
            if (!sim.startTcp(kImage + extra))
                return false;
            m_connection = {QStringLiteral("--tcp"), sim.address()};
            return true;
        }
        if (!m_pty.open())
            return false;
        m_connection = {QStringLiteral("--rtu"), m_pty.toolSide(), QStringLiteral("--baud"), QStringLiteral("115200")};
        return sim.startRtu(m_pty.unitSide(), kImage + extra + QStringList{QStringLiteral("--baud"), QStringLiteral("115200")});
    }

    RunResult cli(const QString& command) { return runCli(m_connection, command); }

    void SetUp() override { ASSERT_TRUE(startSim(m_sim)) << qPrintable(m_sim.output()); }
    // The simulator stops cleanly on SIGTERM.
    void TearDown() override { EXPECT_TRUE(m_sim.stop()) << qPrintable(m_sim.output()); }

    SimProcess m_sim;
    PtyPair m_pty;
    QStringList m_connection;
};

} // namespace

TEST_P(CliAgainstSim, ReadPrintsOneLinePerRegister)
{
    RunResult r = cli(QStringLiteral("read 65001 4"));
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, QStringLiteral("65001\t11\n65002\t22\n65003\t33\n65004\t65535\n"));
    EXPECT_EQ(r.err, QString());

    r = cli(QStringLiteral("read 65003"));
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, QStringLiteral("65003\t33\n"));
}

TEST_P(CliAgainstSim, WrittenValuesAreReadBack)
{
    RunResult r = cli(QStringLiteral("write 65101 513 0xFFFF"));
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, QStringLiteral("Successful Write \n"));

    r = cli(QStringLiteral("read 65101 2"));
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, QStringLiteral("65101\t513\n65102\t65535\n"));
}

TEST_P(CliAgainstSim, RegistersTheUnitDoesNotHaveAreRefused)
{
    RunResult r = cli(QStringLiteral("read 65003 3"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, QString()) << "no values may be printed for a refused read";
    EXPECT_TRUE(r.err.contains(QStringLiteral("exception 2"))) << qPrintable(r.err);

    r = cli(QStringLiteral("write 65102 1 2"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(r.out.contains(QStringLiteral("Successful")));
    EXPECT_TRUE(r.err.contains(QStringLiteral("Unsuccessful Write: The value could have been out of range for this item.")))
        << qPrintable(r.err);

    // Nothing of the refused write reached the unit.
    r = cli(QStringLiteral("read 65102"));
    EXPECT_EQ(r.out, QStringLiteral("65102\t0\n"));
}

TEST_P(CliAgainstSim, BadUsageSendsNothingAndSaysWhy)
{
    const RunResult r = cli(QStringLiteral("read 65001 126"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("count \"126\" is not a number from 1 to 125"))) << qPrintable(r.err);
    EXPECT_EQ(r.out, QString());
}

INSTANTIATE_TEST_SUITE_P(Wires, CliAgainstSim, ::testing::Values(Wire::Tcp, Wire::Rtu),
                         [](const auto& info) { return info.param == Wire::Tcp ? "Tcp" : "Rtu"; });

// A unit that stays silent: the write is reported unsuccessful, never as done.
class SilentUnit : public CliAgainstSim {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(startSim(m_sim, {QStringLiteral("--faults"), QStringLiteral("drop=1")})) << qPrintable(m_sim.output());
    }
};

TEST_P(SilentUnit, WriteWithoutAReplyFails)
{
    const RunResult r = cli(QStringLiteral("write 65101 7"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(r.out.contains(QStringLiteral("Successful")));
    EXPECT_TRUE(r.err.contains(QStringLiteral("Unsuccessful Write: no reply"))) << qPrintable(r.err);
}

INSTANTIATE_TEST_SUITE_P(Wires, SilentUnit, ::testing::Values(Wire::Tcp, Wire::Rtu),
                         [](const auto& info) { return info.param == Wire::Tcp ? "Tcp" : "Rtu"; });
