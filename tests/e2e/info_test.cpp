#include "e2e/e2e_support.h"
#include "core/device/device_data.h"
#include "core/device/meter_types.h"
#include "sim/register_image.h"
#include "sim/simulated_meters.h"
#include "sim/unit_profile.h"
#include "support/recording_messages.h"

#include <QDir>
#include <QFileInfo>
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
        if (meter.type == kTypeBranch) {
            EXPECT_EQ(cells[3], QString::number(branches++ / 42 + 1)) << "a branch's group is its panel";
        }
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

// The simulated unit's registers decoded by the program's own decoders and header files: each
// quantity lands in the row its description names, with a plausible value, on both maps.
class SimulatedUnitTables : public ::testing::TestWithParam<int> {
protected:
    SimulatedUnitTables()
        : meters(UnitProfile::defaultProfile(), GetParam(), 1),
          data(QStringLiteral(HALVANA_SOURCE_DIR "/data"), messages)
    {
        meters.install(image);
    }

    void poll(int step, int cursor = 0, MeterHalf half = MeterHalf::BCM1, int meterIndex = 0)
    {
        ReadContext ctx;
        ctx.step = step;
        ctx.MeterCursor = cursor;
        ctx.MeterIndex = meterIndex;
        ctx.ReadHalf = half;
        ctx.RegisterMapVersion = GetParam();
        ctx.CurrentMeterKind = data.model().meterType(meterIndex);
        const RegisterBlock block = RegisterMap::stepRead(step, GetParam(), cursor, half == MeterHalf::BCM2);
        ctx.firstRegister = block.first;
        ctx.ReadCount = block.count;
        const QVector<quint16> values = image.values(block.first, block.count);
        ASSERT_TRUE(image.hasRange(block.first, block.count)) << block.first;
        ASSERT_TRUE(data.ProcessDataReceived(ctx, RegData(values.begin(), values.end())));
    }

    // The value column of a meter beside the row with this description.
    QString text(int table, const QString& description, int cursor = 0)
    {
        const GridModel& grid = data.tables().table(table).grid();
        for (int r = 1; r < grid.rowCount(); ++r) {
            if (grid.text(r, 1) == description)
                return grid.text(r, cursor + 2);
        }
        ADD_FAILURE() << "no row " << qPrintable(description) << " in table " << table;
        return QString();
    }
    double value(int table, const QString& description, int cursor = 0)
    {
        return text(table, description, cursor).toDouble();
    }

    RegisterImage image;
    SimulatedMeters meters;
    test::RecordingMessages messages;
    DeviceData data;
};

TEST_P(SimulatedUnitTables, EveryBlockDecodesIntoPlausibleReadingsAndSettings)
{
    for (int table : {0, 1, 2, 3, 7, 9, 10})
        data.openTable(table);
    poll(kStepSystemInfo);
    for (int table : {0, 1, 2, 3, 7, 9, 10})
        data.openTable(table); // rows for the map the unit reported
    poll(kStepMeterInfo1);
    poll(kStepMeterInfo2);
    poll(kStepMeterStatus1);
    for (int k = 0; k < 3; ++k) {
        poll(kStepBranchSettings, k, MeterHalf::BCM1, 6 + k);
        poll(kStepBranchReadings, k, MeterHalf::BCM1, 6 + k);
    }
    poll(kStepThreePhaseSettings, 0);
    poll(kStepThreePhaseReadings, 0, MeterHalf::BCM1);
    poll(kStepThreePhaseReadings, 0, MeterHalf::BCM2);
    poll(kStepInputBoard);
    poll(kStepThermalSettings, 0, MeterHalf::BCM1);
    poll(kStepThermalReadings, 0);
    EXPECT_EQ(data.model().RegisterMapVersion, GetParam());

    EXPECT_EQ(value(0, QStringLiteral("Breaker Rating (A)")), 20);
    EXPECT_EQ(value(0, QStringLiteral("Current Channel (CT Input 1-289)"), 2), 3);
    EXPECT_EQ(value(0, QStringLiteral("Parent ID (Panel)")), 1);
    EXPECT_EQ(text(0, QStringLiteral("Over Current Alarm Setpoint (A)")), QStringLiteral("16.00"));
    EXPECT_EQ(text(0, QStringLiteral("Nominal Voltage (V)")), QStringLiteral("120.0"));

    EXPECT_NEAR(value(1, QStringLiteral("Voltage (V)")), 120, 5);
    EXPECT_NEAR(value(1, QStringLiteral("Voltage (V, whole)")), 120, 5);
    EXPECT_NEAR(value(1, QStringLiteral("Frequency (Hz)")), 60, 0.1);
    EXPECT_NEAR(value(1, QStringLiteral("Current (A)")), 6, 2);
    EXPECT_NEAR(value(1, QStringLiteral("Power Factor")), 0.93, 0.05);
    EXPECT_NEAR(value(1, QStringLiteral("Power (kW)")), 0.7, 0.3);
    EXPECT_EQ(text(1, QStringLiteral("Alarm: Over Current"), 2), QStringLiteral("Active")); // meter 9
    EXPECT_EQ(text(1, QStringLiteral("Alarm: Over Current"), 1), QStringLiteral("OK"));

    EXPECT_EQ(value(2, QStringLiteral("Breaker Rating (A)")), 400);
    EXPECT_EQ(value(2, QStringLiteral("Voltage Channel Phase A (V Input 1-289)")), 253);
    EXPECT_EQ(value(2, QStringLiteral("Pole Configuration (1-6)")), 1);
    EXPECT_NEAR(value(3, QStringLiteral("Voltage L-N Phase A (V)")), 120, 5);
    EXPECT_NEAR(value(3, QStringLiteral("Voltage L-L A-B (V)")), 208, 8);
    EXPECT_NEAR(value(3, QStringLiteral("Frequency (Hz)")), 60, 0.1);
    EXPECT_NEAR(value(3, QStringLiteral("Current Phase A (A)")), 180, 50);
    EXPECT_NEAR(value(3, QStringLiteral("Load Total (%)")), 45, 15);
    EXPECT_NEAR(value(3, QStringLiteral("Power Factor Total")), 0.93, 0.05);
    EXPECT_NEAR(value(3, QStringLiteral("Power Total (kW)")), 60, 25);
    EXPECT_EQ(value(3, QStringLiteral("Current Neutral (A)")), 0); // a PDU input has no neutral

    EXPECT_EQ(value(7, QStringLiteral("Input Board Present (1 = Yes)")), 1);
    EXPECT_EQ(value(9, QStringLiteral("Sensor 1 High Temperature Alarm (deg C)")), 40);
    EXPECT_NEAR(value(10, QStringLiteral("Sensor 1 Temperature (deg C)")), 25, 5);
}

TEST_P(SimulatedUnitTables, ReadingsMoveAndEnergyRunsUp)
{
    const RegisterBlock readings = RegisterMap::branchReadings(GetParam());
    const int current = readings.first + (GetParam() == 1 ? 21 : 18);
    const int energy = readings.first + (GetParam() == 1 ? 39 : 40);
    const quint16 before = image.value(current);
    meters.updateReadings(image, 150);
    meters.updateReadings(image, 7200);
    EXPECT_NE(image.value(current), before);
    EXPECT_GT(image.value(energy), 0);
}

INSTANTIATE_TEST_SUITE_P(BothMaps, SimulatedUnitTables, ::testing::Values(1, 2));

} // namespace
