#include "e2e/e2e_support.h"
#include "sim/unit_profile.h"

#include <gtest/gtest.h>

using namespace halvana;
using namespace halvana::test;

namespace {

// A small unit with every kind of row: PDU, subfeeds, a panel, branches, an unknown type,
// alarms and warnings.
const char* const kProfile = "firmware 3.1.7\n"
                             "meter pdu-input\n"
                             "meter subfeed count=2   # feeds panels 1 and 2\n"
                             "meter panel\n"
                             "meter branch count=3\n"
                             "meter type=6\n"
                             "alarm 2 0x0004\n"
                             "warning 2 0x0001\n"
                             "warning 5 0x0001\n";

QString expectedInfo(int map)
{
    return QStringLiteral("Device ID: 7\nModule Baud: 115200\nModbus Ver: %1\nTotal: 8\nBranches: 3\n"
                          "3\u00f8 Meters: 4\nPDU Inputs: 1\nPDU Outputs: 0\nSubfeeds: 2\nBr. Multipole: 0\n"
                          "Panels: 1\nUnknown: 1\nAlarm: 1\nSoftware Ver: 03.01.007\n"
                          "Meter 1\t2) PDU Input\t1\t0\tOK\tOK\n"
                          "Meter 2\t4) Subfeed\t1\t1\tActive\tActive\n"
                          "Meter 3\t4) Subfeed\t2\t2\tOK\tOK\n"
                          "Meter 4\t9) Panel\t1\t1\tOK\tOK\n"
                          "Meter 5\t1) Branch\t1\t1\tActive\tOK\n"
                          "Meter 6\t1) Branch\t2\t1\tOK\tOK\n"
                          "Meter 7\t1) Branch\t3\t1\tOK\tOK\n"
                          "Meter 8\t6) Unknown\t1\t0\tOK\tOK\n")
        .arg(map);
}

} // namespace

TEST(InfoAgainstSim, PrintsTheSystemFieldsAndTheMeterListOfTheProfile)
{
    for (const auto& [wire, map] : {std::pair{Wire::Tcp, 1}, std::pair{Wire::Tcp, 2}, std::pair{Wire::Rtu, 1}}) {
        SCOPED_TRACE(wire == Wire::Tcp ? "TCP, map " + std::to_string(map) : "RTU");
        SimProcess sim;
        ASSERT_TRUE(sim.startWithProfile(wire, kProfile, words("--slave 7 --map ") << QString::number(map)))
            << qPrintable(sim.output());
        const RunResult r = runCli(sim.connection(), QStringLiteral("--slave 7 info"));
        EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
        EXPECT_EQ(r.out, expectedInfo(map));
        EXPECT_EQ(r.err, QString());
        EXPECT_TRUE(sim.stop()) << qPrintable(sim.output());
    }
}

TEST(InfoProfile, ABadProfileLineIsNamedAndTheSimulatorDoesNotStart)
{
    QTemporaryDir dir;
    const RunResult r = runProgram(
        binaryPath(QStringLiteral("halvana-sim")),
        {QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--profile"),
         writeTempFile(dir.path(), QStringLiteral("bad.txt"), "meter branch count=4\nmeter pannel\n")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("bad.txt line 2: unknown meter kind \"pannel\""))) << qPrintable(r.err);

    QString error;
    EXPECT_FALSE(UnitProfile::parse(QStringLiteral("meter branch\nalarm 2 0x1\n"), QStringLiteral("p"), &error));
    EXPECT_EQ(error, QStringLiteral("p line 2: there is no meter 2 (the profile has 1)"));
    EXPECT_FALSE(UnitProfile::parse(QStringLiteral("firmware 2.5\n"), QStringLiteral("p"), &error));
    EXPECT_FALSE(UnitProfile::parse(QStringLiteral("meter branch\ncalibration-fail 2\n"), QStringLiteral("p"), &error));
}
