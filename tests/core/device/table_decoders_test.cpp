#include "decoder_fixture.h"
#include "signal_recorder.h"

namespace halvana::test {
namespace {

struct FormatCase {
    int table;
    int step;
    int map;
    MeterHalf half;
    int index; // into the reply
    quint16 value;
    int row;
    const char* text;
};

class FormatTest : public DecoderTest, public ::testing::WithParamInterface<FormatCase> {};

// Each value lands in its register's row, in the format of that register for that map. Every
// register's format is checked against the simulator's registers in the end-to-end table tests.
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
        FormatCase{0, 5, 2, B1, 8, 1234, 9, "1.234"}, FormatCase{0, 5, 2, B1, 47, 7, 48, "0.7"},
        FormatCase{0, 5, 2, B1, 83, 65535, 84, "655.35"}, FormatCase{0, 5, 1, B1, 19, 7, 20, "0.007"},
        FormatCase{1, 6, 2, B1, 18, 5, 19, "0.05"}, FormatCase{1, 6, 1, B1, 0, 1234, 1, "1234"},
        FormatCase{2, 7, 1, B1, 11, 1234, 12, "123.4"},
        // Three-phase readings: the second part follows the first part's rows.
        FormatCase{3, 8, 1, B2, 0, 1234, 99, "12.34"}, FormatCase{3, 8, 2, B2, 84, 1234, 177, "123.4"},
        // Thermal settings: register 64121 + 150 k lands in row 121.
        FormatCase{9, 10, 2, B2, 0, 77, 121, "77"}, FormatCase{10, 11, 2, B1, 74, 23, 75, "23"},
        // System settings and the input board: one value column.
        FormatCase{4, 0, 2, B1, 53, 1234, 54, "12.34"}, FormatCase{7, 9, 2, B1, 20, 12, 21, "12"}));

TEST_F(DecoderTest, BranchReadingsStatusBitsSitAfterTheBlockOfEachMapInTheirColours)
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
}

TEST_F(DecoderTest, StatusCellsAreRewrittenOnlyWhenTheirStateChanges)
{
    data.openTable(kBranchReadingsTable);
    decode(context(kStepBranchReadings, 2), {{52, 1}});
    SignalRecorder<int, int, int, int> changes(&grid(kBranchReadingsTable), &GridModel::cellsChanged);
    decode(context(kStepBranchReadings, 2), {{52, 1}});
    EXPECT_EQ(changes.count(), 0);
    decode(context(kStepBranchReadings, 2), {{52, 3}});
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(std::get<0>(changes.calls[0]), 53); // the alarm word itself down to bit 1's row
    EXPECT_EQ(std::get<2>(changes.calls[0]), 56);
}

TEST_F(DecoderTest, AClosedTableOrOneBuiltForTheOtherMapIsNotWritten)
{
    ASSERT_TRUE(decode(context(kStepBranchReadings, 2), {{0, 5}}));
    EXPECT_EQ(grid(kBranchReadingsTable).columnCount(), 0);

    data.openTable(kBranchReadingsTable); // built from Map 2's file
    ASSERT_TRUE(decode(context(kStepBranchReadings, 1), {{0, 5}}));
    EXPECT_EQ(grid(kBranchReadingsTable).columnCount(), 2);
}

TEST_F(DecoderTest, UndecodableRepliesChangeNothing)
{
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

TEST_F(DecoderTest, ThermalModulesFillOneColumnPerSlotWithTheirRowsHidden)
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
}

} // namespace
} // namespace halvana::test
