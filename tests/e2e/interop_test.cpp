#include "e2e/e2e_support.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace halvana::test;

namespace {

// Our link, through halvana-cli, against an independent server (libmodbus).
class OurLinkAgainstLibmodbus : public ::testing::TestWithParam<Wire> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.start(GetParam(), {}, QStringLiteral("libmodbus_server"))) << qPrintable(m_server.output());
    }

    SimProcess m_server;
};

} // namespace

TEST_P(OurLinkAgainstLibmodbus, ReadsWritesAndSeesExceptions)
{
    const struct {
        const char* command;
        int exitCode;
        const char* out;
        const char* err;
    } cases[] = {
        {"read 5001 10", 0,
         "5001\t0\n5002\t111\n5003\t222\n5004\t333\n5005\t444\n5006\t555\n5007\t666\n5008\t777\n5009\t888\n5010\t999\n",
         ""},
        {"write 5004 4660 43981 65535", 0, "Successful Write \n", ""},
        {"read 5003 5", 0, "5003\t222\n5004\t4660\n5005\t43981\n5006\t65535\n5007\t666\n", ""},
        {"read 5010 2", 1, "", "exception 2"},
        {"write 5000 1", 1, "", "Unsuccessful Write: The value could have been out of range for this item."},
    };
    for (const auto& c : cases) {
        const RunResult r = runCli(m_server.connection(), QLatin1String(c.command));
        EXPECT_EQ(r.exitCode, c.exitCode) << c.command << ": " << qPrintable(r.err);
        EXPECT_EQ(r.out, QLatin1String(c.out)) << c.command;
        EXPECT_TRUE(r.err.contains(QLatin1String(c.err))) << c.command << ": " << qPrintable(r.err);
    }
}

INSTANTIATE_TEST_SUITE_P(Wires, OurLinkAgainstLibmodbus, ::testing::Values(Wire::Tcp, Wire::Rtu), wireName);

namespace {

// An independent client (mbpoll) against our simulator.
class MbpollAgainstSim : public ::testing::TestWithParam<Wire> {
protected:
    void SetUp() override
    {
        // Registers above the unit's register map, so that the test alone decides which exist.
        ASSERT_TRUE(m_sim.start(GetParam(), words("--set 65001=11,22,33,65535 --set 65101=0,0,0")))
            << qPrintable(m_sim.output());
        if (GetParam() == Wire::Tcp) {
            const int colon = int(m_sim.address().lastIndexOf(QLatin1Char(':')));
            m_connection = words("-m tcp -p ") << m_sim.address().mid(colon + 1);
            m_target = m_sim.address().left(colon);
        } else {
            // mbpoll's serial default is even parity; the unit's line is 8N1.
            m_connection = words("-m rtu -b 115200 -P none -d 8 -s 1");
            m_target = m_sim.address();
        }
    }
    void TearDown() override { EXPECT_TRUE(m_sim.stop()) << qPrintable(m_sim.output()); }

    // mbpoll numbers registers from 1 (-r), as the unit's documents do.
    RunResult mbpoll(int firstRegister, int count, const QStringList& values = {})
    {
        const QStringList what = values.isEmpty() ? QStringList{"-c", QString::number(count)} : QStringList();
        return runProgram(QStringLiteral("mbpoll"), m_connection + words("-a 1 -1 -r ")
                                                        << QString::number(firstRegister) << what << m_target
                                                        << values);
    }

    // "[65001]: \t11" lines, as "65001=11".
    static QStringList registers(const QString& output)
    {
        static const QRegularExpression line(QStringLiteral("^\\[(\\d+)\\]:\\s+(-?\\d+)\\s*$"),
                                             QRegularExpression::MultilineOption);
        QStringList found;
        for (auto it = line.globalMatch(output); it.hasNext();) {
            const auto m = it.next();
            found << m.captured(1) + QLatin1Char('=') + m.captured(2);
        }
        return found;
    }

    SimProcess m_sim;
    QStringList m_connection;
    QString m_target;
};

} // namespace

TEST_P(MbpollAgainstSim, ReadsAndWritesTheRegisterImageAndMissesWhatItLacks)
{
    RunResult r = mbpoll(65001, 3);
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.out + r.err);
    EXPECT_EQ(registers(r.out), (QStringList{"65001=11", "65002=22", "65003=33"}));

    // Several values go out as function 16, the unit's write.
    r = mbpoll(65102, 2, {QStringLiteral("1234"), QStringLiteral("4321")});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.out + r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("Written 2 references"))) << qPrintable(r.out);

    r = mbpoll(65101, 3);
    EXPECT_EQ(registers(r.out), (QStringList{"65101=0", "65102=1234", "65103=4321"}));

    r = mbpoll(65004, 2);
    EXPECT_TRUE((r.out + r.err).contains(QStringLiteral("Illegal data address"))) << qPrintable(r.out + r.err);
    EXPECT_TRUE(registers(r.out).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Wires, MbpollAgainstSim, ::testing::Values(Wire::Tcp, Wire::Rtu), wireName);
