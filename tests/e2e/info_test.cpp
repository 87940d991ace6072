#include "e2e/e2e_support.h"
#include "core/device/meter_types.h"
#include "sim/unit_profile.h"

#include <QTemporaryDir>
#include <QTextStream>

#include <map>

#include <gtest/gtest.h>

using namespace halvana;
using namespace halvana::test;

namespace {

enum class Wire { Tcp, Rtu };

struct InfoCase {
    Wire wire;
    int map;
};

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
    return QStringLiteral("Device ID: 7\n"
                          "Module Baud: 115200\n"
                          "Modbus Ver: %1\n"
                          "Total: 8\n"
                          "Branches: 3\n"
                          "3\u00f8 Meters: 4\n"
                          "PDU Inputs: 1\n"
                          "PDU Outputs: 0\n"
                          "Subfeeds: 2\n"
                          "Br. Multipole: 0\n"
                          "Panels: 1\n"
                          "Unknown: 1\n"
                          "Alarm: 1\n"
                          "Software Ver: 03.01.007\n"
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

// halvana-cli info against halvana-sim, over localhost TCP or a pseudo-terminal pair.
class InfoAgainstSim : public ::testing::TestWithParam<InfoCase> {
protected:
    bool startSim(const QStringList& simArgs)
    {
        const QStringList common = simArgs + QStringList{QStringLiteral("--map"), QString::number(GetParam().map),
                                                         QStringLiteral("--slave"), QStringLiteral("7")};
        m_connection = {QStringLiteral("--slave"), QStringLiteral("7")};
        if (GetParam().wire == Wire::Tcp) {
            if (!m_sim.startTcp(common))
                return false;
            m_connection << QStringLiteral("--tcp") << m_sim.address();
            return true;
        }
        if (!m_pty.open())
            return false;
        m_connection << QStringLiteral("--rtu") << m_pty.toolSide() << QStringLiteral("--baud") << QStringLiteral("115200");
        return m_sim.startRtu(m_pty.unitSide(), common + QStringList{QStringLiteral("--baud"), QStringLiteral("115200")});
    }

    void TearDown() override { EXPECT_TRUE(m_sim.stop()) << qPrintable(m_sim.output()); }

    SimProcess m_sim;
    PtyPair m_pty;
    QStringList m_connection;
};

TEST_P(InfoAgainstSim, PrintsTheSystemFieldsAndTheMeterListOfTheProfile)
{
    QTemporaryDir dir;
    const QString profile = dir.filePath(QStringLiteral("unit.txt"));
    QFile file(profile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(kProfile);
    file.close();
    ASSERT_TRUE(startSim({QStringLiteral("--profile"), profile})) << qPrintable(m_sim.output());

    const RunResult r = runCli(m_connection, QStringLiteral("info"));
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, expectedInfo(GetParam().map));
    EXPECT_EQ(r.err, QString());
}

// The built-in unit: the meter lines follow its profile, meter by meter.
TEST_P(InfoAgainstSim, ListsEveryMeterOfTheDefaultUnit)
{
    ASSERT_TRUE(startSim({})) << qPrintable(m_sim.output());
    const RunResult r = runCli(m_connection, QStringLiteral("info"));
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);

    const UnitProfile unit = UnitProfile::defaultProfile();
    QStringList meterLines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).filter(QStringLiteral("Meter "));
    ASSERT_EQ(meterLines.size(), int(unit.meters.size()));
    std::map<int, int> perType;
    int branches = 0;
    for (int m = 0; m < int(unit.meters.size()); ++m) {
        const UnitProfile::Meter& meter = unit.meters[size_t(m)];
        const QStringList cells = meterLines[m].split(QLatin1Char('\t'));
        ASSERT_EQ(cells.size(), 6) << qPrintable(meterLines[m]);
        EXPECT_EQ(cells[0], QStringLiteral("Meter %1").arg(m + 1));
        EXPECT_EQ(cells[1], MeterTypes::label(meter.type));
        EXPECT_EQ(cells[2], QString::number(++perType[meter.type]));
        if (meter.type == kTypeBranch)
            EXPECT_EQ(cells[3], QString::number(branches++ / 42 + 1)) << "a branch's group is its panel";
        EXPECT_EQ(cells[4], meter.warningWord ? QStringLiteral("Active") : QStringLiteral("OK"));
        EXPECT_EQ(cells[5], meter.alarmWord ? QStringLiteral("Active") : QStringLiteral("OK"));
    }
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("Device ID: 7\nModule Baud: 115200\nModbus Ver: %1\nTotal: 90\n")
                                     .arg(GetParam().map)));
}

INSTANTIATE_TEST_SUITE_P(BothWiresBothMaps, InfoAgainstSim,
                         ::testing::Values(InfoCase{Wire::Tcp, 1}, InfoCase{Wire::Tcp, 2}, InfoCase{Wire::Rtu, 1},
                                           InfoCase{Wire::Rtu, 2}),
                         [](const ::testing::TestParamInfo<InfoCase>& info) {
                             return std::string(info.param.wire == Wire::Tcp ? "Tcp" : "Rtu") + "Map"
                                 + std::to_string(info.param.map);
                         });

TEST(InfoProfile, ABadProfileLineIsNamedAndTheSimulatorDoesNotStart)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("meter branch count=4\nmeter pannel\n");
    file.close();
    const RunResult r = runProgram(binaryPath(QStringLiteral("halvana-sim")),
                                   {QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--profile"), path});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("bad.txt line 2: unknown meter kind \"pannel\""))) << qPrintable(r.err);

    QString error;
    EXPECT_FALSE(UnitProfile::parse(QStringLiteral("meter branch\nalarm 2 0x1\n"), QStringLiteral("p"), &error));
    EXPECT_EQ(error, QStringLiteral("p line 2: there is no meter 2 (the profile has 1)"));
    EXPECT_FALSE(UnitProfile::parse(QStringLiteral("meter branch count=251\n"), QStringLiteral("p"), &error));
    EXPECT_FALSE(UnitProfile::parse(QStringLiteral("firmware 2.5\n"), QStringLiteral("p"), &error));
    EXPECT_TRUE(UnitProfile::parse(QStringLiteral("# only a comment\n\n"), QStringLiteral("p"), &error));
}

} // namespace
