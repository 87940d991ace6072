#include "decoder_fixture.h"
#include "signal_recorder.h"

namespace halvana::test {
namespace {

struct FormatCase {
    int table, step, map;
    MeterHalf half;
    int index; // into the reply
    quint16 value;
    int row;
    const char* text;
};

class FormatTest : public DecoderTest, public ::testing::WithParamInterface<FormatCase> {};

// Each value lands in its register's row, in the format of that register for that map.
TEST_P(FormatTest, ValueLandsInItsRowWithItsRegistersFormat)
{
    const FormatCase c = GetParam();
    data.model().RegisterMapVersion = c.map;
    data.openTable(c.table);
    ASSERT_TRUE(decode(context(c.step, c.map, 1, c.half), {{c.index, c.value}}));
    const bool valueColumn = c.table == kSystemSettingsTable || c.table == kInputBoardTable;
    EXPECT_EQ(grid(c.table).text(c.row, valueColumn ? 2 : 3), QString::fromLatin1(c.text));
}

constexpr auto B1 = MeterHalf::BCM1;
constexpr auto B2 = MeterHalf::BCM2;

INSTANTIATE_TEST_SUITE_P(
    BothMaps, FormatTest,
    ::testing::Values(
        // Branch settings, Map 2: thousandths, tenths, hundredths, raw.
        FormatCase{0, 5, 2, B1, 8, 1234, 9, "1.234"}, FormatCase{0, 5, 2, B1, 6, 1234, 7, "123.4"},
        FormatCase{0, 5, 2, B1, 29, 1234, 30, "12.34"}, FormatCase{0, 5, 2, B1, 9, 1234, 10, "1234"},
        FormatCase{0, 5, 2, B1, 47, 7, 48, "0.7"}, FormatCase{0, 5, 2, B1, 83, 65535, 84, "655.35"},
        // Branch settings, Map 1.
        FormatCase{0, 5, 1, B1, 97, 55, 98, "5.5"}, FormatCase{0, 5, 1, B1, 19, 7, 20, "0.007"},
        FormatCase{0, 5, 1, B1, 42, 1234, 43, "12.34"}, FormatCase{0, 5, 1, B1, 44, 1234, 45, "1234"},
        // Branch readings.
        FormatCase{1, 6, 1, B1, 22, 1234, 23, "123.4"}, FormatCase{1, 6, 1, B1, 21, 1234, 22, "12.34"},
        FormatCase{1, 6, 1, B1, 0, 1234, 1, "1234"}, FormatCase{1, 6, 2, B1, 18, 5, 19, "0.05"},
        FormatCase{1, 6, 2, B1, 19, 5, 20, "0.5"}, FormatCase{1, 6, 2, B1, 34, 5, 35, "5"},
        // Three-phase settings.
        FormatCase{2, 7, 2, B1, 9, 1234, 10, "1.234"}, FormatCase{2, 7, 2, B1, 40, 1234, 41, "12.34"},
        FormatCase{2, 7, 2, B1, 58, 1234, 59, "123.4"}, FormatCase{2, 7, 1, B1, 11, 1234, 12, "123.4"},
        FormatCase{2, 7, 1, B1, 43, 1234, 44, "12.34"}, FormatCase{2, 7, 1, B1, 19, 1234, 20, "1234"},
        // Three-phase readings: the second part follows the first part's rows.
        FormatCase{3, 8, 1, B1, 74, 1234, 75, "123.4"}, FormatCase{3, 8, 1, B1, 71, 1234, 72, "12.34"},
        FormatCase{3, 8, 1, B2, 0, 1234, 99, "12.34"}, FormatCase{3, 8, 2, B1, 65, 1234, 66, "12.34"},
        FormatCase{3, 8, 2, B2, 0, 1234, 93, "12.34"},
        // Thermal settings: register 64121 + 150 k lands in row 121.
        FormatCase{9, 10, 2, B2, 0, 77, 121, "77"}, FormatCase{9, 10, 1, B1, 119, 78, 120, "78"},
        FormatCase{10, 11, 2, B1, 74, 23, 75, "23"},
        // System settings and the input board: one value column.
        FormatCase{4, 0, 2, B1, 53, 1234, 54, "12.34"}, FormatCase{4, 0, 2, B1, 52, 1234, 53, "1234"},
        FormatCase{7, 9, 2, B1, 20, 12, 21, "12"}));

TEST_F(DecoderTest, AllSettingsNamesEachMetersOwnRegisterByTheBlockStrideOfItsMap)
{
    struct Case {
        int table, step, map;
        MeterHalf half;
        int cursor, index, reg;
        const char* description;
    };
    const Case cases[] = {
        {0, 5, 2, MeterHalf::BCM1, 2, 19, 2020 + 300, "Parent ID (Panel) - B3"}, // Map 2 stride is 150
        {0, 5, 1, MeterHalf::BCM1, 2, 15, 2016 + 400, "Parent ID (Panel) - B3"},
        {2, 7, 2, MeterHalf::BCM1, 1, 19, 40020 + 350, "Parent ID (Panel) - M2"},
        {9, 10, 2, MeterHalf::BCM2, 4, 0, 64121 + 600, "Sensor 13 Enable (1 = On) - Slot 5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        data.model().RegisterMapVersion = c.map;
        data.openTable(c.table);
        data.openTable(kAllSettingsTable);
        data.AllSettingsPassActive = true;
        decode(context(c.step, c.map, c.cursor, c.half, kTypeSubfeed), {{c.index, 9}});
        const GridModel& all = grid(kAllSettingsTable);
        int found = 0;
        for (int r = 1; r < all.rowCount(); ++r) {
            if (all.text(r, 0) == QString::number(c.reg)) {
                EXPECT_EQ(all.text(r, 1), QString::fromLatin1(c.description));
                EXPECT_EQ(all.text(r, 2), QStringLiteral("9"));
                ++found;
            }
            EXPECT_FALSE(all.text(r, 1).contains(QLatin1String("Not Used")));
        }
        EXPECT_EQ(found, 1);
    }
}

TEST_F(DecoderTest, BranchReadingsStatusBitsSitAfterTheBlockOfEachMapInTheirColoursAndChangeOnlyWithTheirState)
{
    for (int map : {1, 2}) {
        SCOPED_TRACE(map);
        data.model().RegisterMapVersion = map;
        data.openTable(kBranchReadingsTable);
        const int alarmIndex = map == 1 ? 53 : 52;
        const int firstAlarmRow = map == 1 ? 56 : 55;
        decode(context(kStepBranchReadings, map), {{alarmIndex, 0x0004}, {alarmIndex + 1, 0x0400}});
        const GridModel& g = grid(kBranchReadingsTable);
        const struct {
            int row;
            const char* text;
            Rgb colour;
        } cells[] = {{firstAlarmRow + 1, "OK", kStatusGreen},
                     {firstAlarmRow + 2, "Active", kStatusRed},
                     {firstAlarmRow + 11 + 9, "OK", kStatusGreen},
                     {firstAlarmRow + 11 + 10, "Active", kStatusYellow}};
        for (const auto& c : cells) {
            EXPECT_EQ(g.text(c.row, 2), QLatin1String(c.text)) << c.row;
            EXPECT_EQ(g.background(c.row, 2), c.colour) << c.row;
        }
    }
    // Status cells are rewritten only when their state changes.
    decode(context(kStepBranchReadings, 2), {{52, 1}});
    SignalRecorder<int, int, int, int> changes(&grid(kBranchReadingsTable), &GridModel::cellsChanged);
    decode(context(kStepBranchReadings, 2), {{52, 1}});
    EXPECT_EQ(changes.count(), 0);
    decode(context(kStepBranchReadings, 2), {{52, 3}});
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(std::get<0>(changes.calls[0]), 53); // the alarm word itself down to bit 1's row
    EXPECT_EQ(std::get<2>(changes.calls[0]), 56);
}

TEST_F(DecoderTest, AClosedTableOneBuiltForTheOtherMapOrAnUndecodableReplyChangesNothing)
{
    ASSERT_TRUE(decode(context(kStepBranchReadings, 2), {{0, 5}}));
    EXPECT_EQ(grid(kBranchReadingsTable).columnCount(), 0);
    data.openTable(kBranchReadingsTable); // built from Map 2's file
    ASSERT_TRUE(decode(context(kStepBranchReadings, 1), {{0, 5}}));
    EXPECT_EQ(grid(kBranchReadingsTable).columnCount(), 2);

    data.openTable(kBranchSettingsTable);
    const ReadContext good = context(kStepBranchSettings, 2);
    EXPECT_FALSE(data.ProcessDataReceived(good, RegData(size_t(good.ReadCount - 1), 1)));

    ReadContext wrongBlock = good;
    wrongBlock.firstRegister += 150; // says cursor 0 but reads meter 1's block
    EXPECT_FALSE(data.ProcessDataReceived(wrongBlock, RegData(size_t(good.ReadCount), 1)));

    ReadContext noStep = good;
    noStep.step = 12;
    EXPECT_FALSE(data.ProcessDataReceived(noStep, RegData(size_t(good.ReadCount), 1)));
    EXPECT_EQ(grid(kBranchSettingsTable).columnCount(), 2);
}

TEST_F(DecoderTest, ThermalModulesFillOneColumnPerSlotAndTheInputBoardOneValueColumn)
{
    data.openTable(kThermalSettingsTable);
    decode(context(kStepThermalSettings, 2, 5, MeterHalf::BCM1), {{0, 1}});
    decode(context(kStepThermalSettings, 2, 5, MeterHalf::BCM2), {{29, 3}});
    const GridModel& g = grid(kThermalSettingsTable);
    EXPECT_EQ(g.columnCount(), 8);
    EXPECT_EQ(g.text(0, 7), QStringLiteral("Slot 6"));
    EXPECT_EQ(g.text(1, 7), QStringLiteral("1"));
    EXPECT_EQ(g.text(150, 7), QStringLiteral("3"));
    EXPECT_TRUE(g.isRowHidden(148));
    EXPECT_FALSE(g.isRowHidden(147));

    data.openTable(kInputBoardTable);
    decode(context(kStepInputBoard, 2));
    EXPECT_EQ(grid(kInputBoardTable).text(0, 2), QStringLiteral("Value"));
    EXPECT_TRUE(grid(kInputBoardTable).isRowHidden(13));
}

} // namespace
} // namespace halvana::test
