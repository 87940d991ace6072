#include "e2e/e2e_support.h"

#include <gtest/gtest.h>

using namespace halvana::test;

namespace {

// halvana-cli set against the simulator's built-in unit (Map 2: branches 1..42 on panel 1,
// 43..84 on panel 2), over localhost TCP or a pseudo-terminal pair.
class SetAgainstSim : public ::testing::TestWithParam<Wire> {
protected:
    void SetUp() override { ASSERT_TRUE(m_sim.start(GetParam())) << qPrintable(m_sim.output()); }
    void TearDown() override { EXPECT_TRUE(m_sim.stop()) << qPrintable(m_sim.output()); }

    RunResult cli(const QString& command) { return runCli(m_sim.connection(), command); }
    QString reg(int r) { return cli(QStringLiteral("read %1").arg(r)).out.section(QLatin1Char('\t'), 1).trimmed(); }

    SimProcess m_sim;
};

} // namespace

TEST_P(SetAgainstSim, ChangesSettingsAndTellsRefusals)
{
    const struct {
        const char* command;
        int exitCode;
        const char* out;
        int reg;
        const char* value; // the register afterwards
    } cases[] = {
        {"set 0 2055 2 12.5", 0, "12.50\n", 2205, "1250"},
        {"set 2 40065 2 123.45", 0, "123.45\n", 40415, "12345"},
        {"set 9 64004 1 41", 0, "41\n", 64004, "41"},
        {"set 0 2004 1 5", 1, "", 2004, "1"},        // the unit's range is 0..1
        {"set 0 2055 1 400", 2, "", 2055, "1400"},   // 40000 at scale 100: nothing sent
        {"set 0 2093 1 1", 2, "", 2055, "1400"},     // not a row of the table
        {"set 0 2055 1 1e3", 2, "", 2055, "1400"},
    };
    for (const auto& c : cases) {
        // Refusals before anything is sent are the same on both wires.
        if (GetParam() == Wire::Rtu && c.exitCode == 2)
            continue;
        const RunResult r = cli(QLatin1String(c.command));
        EXPECT_EQ(r.exitCode, c.exitCode) << c.command << ": " << qPrintable(r.err);
        EXPECT_EQ(r.out, QLatin1String(c.out)) << c.command;
        EXPECT_EQ(reg(c.reg), QLatin1String(c.value)) << c.command;
        EXPECT_TRUE(c.exitCode != 1 || r.err.contains(QLatin1String("exception 3"))) << qPrintable(r.err);
    }
}

INSTANTIATE_TEST_SUITE_P(Wires, SetAgainstSim, ::testing::Values(Wire::Tcp, Wire::Rtu), wireName);

// A unit that stays silent: the write is reported unsuccessful, never as done.
TEST(SilentUnit, WriteWithoutAReplyFails)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start(Wire::Rtu, words("--set 65101=0 --faults drop=1"))) << qPrintable(sim.output());
    const RunResult r = runCli(sim.connection(), QStringLiteral("write 65101 7"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, QString());
    EXPECT_TRUE(r.err.contains(QStringLiteral("Unsuccessful Write: no reply"))) << qPrintable(r.err);
}

// Lost and corrupt replies and refused requests: a write is reported done only when the table
// read back from the unit shows it.
TEST(SetUnderFaults, NoWriteIsReportedDoneThatTheUnitDidNotApply)
{
    int done = 0;
    for (int seed = 1; seed <= 8; ++seed) {
        SimProcess sim;
        ASSERT_TRUE(sim.start(Wire::Tcp, words("--faults drop=0.02,corrupt=0.05,exception=0.02 --seed ")
                                             << QString::number(seed)));
        const QString value = QString::number(300 + seed);
        const RunResult r = runCli(sim.connection(), QStringLiteral("set 9 64003 1 ") + value);
        EXPECT_TRUE(sim.stop());
        SCOPED_TRACE("seed " + std::to_string(seed) + ": " + r.err.toStdString());
        done += r.exitCode == 0;
        EXPECT_TRUE(r.exitCode == 0 || r.exitCode == 1);
        EXPECT_EQ(r.out, r.exitCode == 0 ? value + QLatin1Char('\n') : QString());
    }
    EXPECT_GT(done, 0);
}
