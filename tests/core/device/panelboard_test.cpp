#include "decoder_fixture.h"

namespace halvana::test {
namespace {

TEST(PanelboardLayout, BranchesMapToGridCellsAndBack)
{
    const struct {
        int branch;
        bool columnWidth;
        int grid, row;
    } cases[] = {
        {1, false, 1, 0},   {41, false, 1, 20}, {42, false, 2, 0},  {167, false, 7, 20}, {21, true, 1, 0},
        {20, true, 0, 20},  {167, true, 7, 20}, {168, false, -1, -1}, {168, true, -1, -1}, {-1, false, -1, -1},
    };
    for (const auto& c : cases) {
        const BranchCell cell = PanelboardViews::cellOfBranch(c.branch, c.columnWidth);
        EXPECT_EQ(std::make_pair(cell.grid, cell.row), std::make_pair(c.grid, c.row)) << c.branch << c.columnWidth;
    }
    for (bool columnWidth : {false, true}) {
        for (int b = 0; b < PanelboardViews::kMaxPanelBranches; ++b) {
            const BranchCell cell = PanelboardViews::cellOfBranch(b, columnWidth);
            ASSERT_EQ(PanelboardViews::branchAt(cell.grid, cell.row, columnWidth), b);
        }
    }
}

class PanelboardDecodeTest : public DecoderTest {
protected:
    PanelboardDecodeTest()
    {
        QStringList names;
        for (int n = 1; n <= 289; ++n)
            names << QStringLiteral("Ch %1").arg(n);
        data.setChannelNames(ChannelNames::fromText(names.join(QStringLiteral("\r\n"))));
    }
};

// The label is the part of "current (ch)  voltage (ch)  parent" the label mode shows.
TEST_F(PanelboardDecodeTest, BranchCellTakesValueColourAndLabelFromTheWordsOfItsMap)
{
    const QString composite = QStringLiteral("Ch 88 (88)       Ch 201 (201)       Parent ID 2");
    const auto current = PanelboardViews::kCurrentLabels;
    const auto voltage = PanelboardViews::kVoltageLabels;
    const struct {
        int map;
        std::map<int, quint16> readings;
        int mode;
        bool parentId;
        const char* value;
        Rgb colour;
        QString label;
    } cases[] = {
        // Map 2 keeps the alarm and warning words at 52 and 53 (its block has 54 registers).
        {2, {{16, 12}, {11, 120}, {52, 0}, {53, 4}}, current, false, "12", kStatusYellow, composite},
        {2, {{16, 12}, {52, 1}}, current, false, "12", kStatusRed, composite},
        {2, {{16, 12}}, voltage, false, "0", kStatusGreen, QStringLiteral("Ch 201 (201)")},
        {1, {{16, 9}, {11, 121}, {53, 0}, {54, 2}}, voltage, true, "121", kStatusYellow, QStringLiteral("Parent ID 2")},
        {1, {{16, 9}, {53, 8}}, current, false, "9", kStatusRed, composite},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.map);
        data.model().RegisterMapVersion = c.map;
        data.openTable(kBranchSettingsTable);
        data.openTable(kBranchReadingsTable);
        PanelboardViews& views = data.panelboards();
        views.open(kBranchPanelView);
        views.setColumnWidthLayout(false);
        views.setLabelMode(c.mode);
        views.setShowParentId(c.parentId);
        // Branch 43: circuit 2 of the second panel. The voltage channel is block register 11
        // (Map 1) or 5 (Map 2), the current channel the next one.
        const int channel = c.map == 1 ? 10 : 4;
        decode(context(kStepBranchSettings, c.map, 43), {{channel, 201}, {channel + 1, 88}, {c.map == 1 ? 15 : 19, 2}});
        decode(context(kStepBranchReadings, c.map, 43), c.readings);
        GridModel& g = views.view(kBranchPanelView).branchGrid(3);
        EXPECT_EQ(g.text(0, PanelboardView::kValueColumn), QString::fromLatin1(c.value));
        EXPECT_EQ(g.background(0, PanelboardView::kValueColumn), c.colour);
        EXPECT_EQ(g.text(0, PanelboardView::kLabelColumn), c.label);
    }
}

class ThreePhasePanelTest : public PanelboardDecodeTest, public ::testing::WithParamInterface<int> {};

// A subfeed's frame in the subfeed view fills from its readings and settings on either map.
TEST_P(ThreePhasePanelTest, SubfeedFrameFillsFromTheReadingsTable)
{
    const int map = GetParam();
    data.model().RegisterMapVersion = map;
    systemInfo(3, map);
    meterTypes({kTypeBranch, kTypeSubfeed, kTypeSubfeed}, map);
    data.openTable(kThreePhaseSettingsTable);
    data.openTable(kThreePhaseReadingsTable);
    data.panelboards().open(kSubfeedPanelView);

    const int mapping = map == 1 ? 15 : 10;
    const int parent = map == 1 ? 24 : 19;
    decode(context(kStepThreePhaseSettings, map, 1, MeterHalf::BCM1, kTypeSubfeed, 2),
           {{mapping, 5}, {mapping + 6, 0}, {mapping + 7, 9}, {parent, 3}, {3, 1}});
    std::map<int, quint16> first;
    for (int i = 0; i < RegisterMap::threePhaseReadings(map, false).count; ++i)
        first[i] = quint16(1000 + i);
    std::map<int, quint16> second;
    const int secondCount = RegisterMap::threePhaseReadings(map, true).count;
    for (int i = 0; i < secondCount - 7; ++i)
        second[i] = quint16(2000 + i);
    second[secondCount - 7] = 0x0004; // alarm: over current
    second[secondCount - 4] = 0x0001; // warning: over voltage
    second[secondCount - 1] = 0x0800; // warning: voltage unbalance
    decode(context(kStepThreePhaseReadings, map, 1, MeterHalf::BCM1, kTypeSubfeed, 2), first);
    decode(context(kStepThreePhaseReadings, map, 1, MeterHalf::BCM2, kTypeSubfeed, 2), second);

    PanelboardView& view = data.panelboards().view(kSubfeedPanelView);
    EXPECT_EQ(view.meterFrameCaption(1), QStringLiteral("Subfeed 2 (Parent ID 3)"));
    const GridModel& g = view.meterGrid(1);
    // Every quantity row has its phase values.
    for (int row : {1, 2, 5, 11, 12, 13, 14, 15, 16, 17, 18}) {
        for (int c = 1; c <= 3; ++c)
            EXPECT_FALSE(g.text(row, c).isEmpty()) << "row " << row << " column " << c;
    }
    EXPECT_FALSE(g.text(4, 4).isEmpty());
    // Map 2 says in registers 4 and 5 whether neutral and ground CTs are fitted; on Map 1 a CT
    // is there when its channel is mapped (here the ground's, not the neutral's; 8: no neutral
    // channel mapped).
    const std::pair<std::pair<int, int>, QString> cells[] = {
        {{3, 1}, "5 (Ch 5)"}, {{8, 4}, "N/A"},     {{10, 4}, "9 (Ch 9)"}, {{7, 4}, map == 1 ? "N/A" : "20.03"},
        {{19, 4}, "Warning"}, {{21, 4}, "Alarm"}, {{36, 4}, "Warning"},  {{35, 4}, "OK"}};
    for (const auto& [at, text] : cells)
        EXPECT_EQ(g.text(at.first, at.second), text) << at.first;
    EXPECT_EQ(g.text(9, 4) == QLatin1String("N/A"), map == 2) << qPrintable(g.text(9, 4));
    EXPECT_EQ(g.background(19, 4), kStatusYellow);
    EXPECT_EQ(g.background(21, 4), kStatusRed);
    // The first subfeed's frame is untouched.
    EXPECT_EQ(view.meterFrameCaption(0), QStringLiteral("Subfeed 1"));
    EXPECT_TRUE(view.meterGrid(0).text(1, 1).isEmpty());

    // The readings table shows the status bits after the block, by colour of their kind.
    const GridModel& readings = grid(kThreePhaseReadingsTable);
    const int firstBitRow = map == 1 ? 167 : 186;
    EXPECT_EQ(readings.text(firstBitRow + 2, 3), QStringLiteral("Active"));
    EXPECT_EQ(readings.background(firstBitRow + 2, 3), kStatusRed);
    EXPECT_EQ(readings.background(firstBitRow + 16, 3), kStatusYellow);
    EXPECT_EQ(readings.background(firstBitRow + 32 + 11, 3), kStatusYellow);
    EXPECT_EQ(readings.text(0, 3), QStringLiteral("M2\r\nSF2"));
}

INSTANTIATE_TEST_SUITE_P(BothMaps, ThreePhasePanelTest, ::testing::Values(1, 2));

} // namespace
} // namespace halvana::test
