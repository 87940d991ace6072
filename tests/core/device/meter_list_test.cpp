#include "decoder_fixture.h"
#include "signal_recorder.h"

namespace halvana::test {
namespace {

class MeterListTest : public DecoderTest {
protected:
    MeterListTest()
    {
        data.systemSettings().SystemSettingsWindowOpen = true;
        data.systemSettings().frmSystemSettingsFlag = true;
    }
    SystemSettingsView& view() { return data.systemSettings(); }
    QString cell(int row, int column) { return view().grid().text(row, column); }
};

// The fields themselves are checked against the simulator by halvana-cli info.
TEST_F(MeterListTest, SystemInformationChoosesTheMapAndSizesTheGrid)
{
    for (const auto& [selector, map] : std::vector<std::pair<quint16, int>>{{1, 1}, {0, 2}, {2, 2}, {3, 2}}) {
        systemInfo(7, 0, {{1, 3}, {15, selector}});
        EXPECT_EQ(data.model().RegisterMapVersion, map) << selector;
    }
    EXPECT_EQ(view().field(SystemSettingsView::kModuleBaud), QStringLiteral("38400"));
    EXPECT_EQ(view().grid().rowCount(), 8);
    systemInfo(7, 2, {{1, 0}});
    EXPECT_EQ(view().field(SystemSettingsView::kModuleBaud), QStringLiteral("Unknown (0)"));
}

TEST_F(MeterListTest, MoreThan250MetersAreReadAs250AndTheUserIsTold)
{
    SignalRecorder<const QString&> notices(&data, &DeviceData::notice);
    systemInfo(300, 2);
    systemInfo(300, 2);
    EXPECT_EQ(data.model().NumMeters, 250);
    EXPECT_EQ(notices.firsts(),
              std::vector<QString>{QStringLiteral("The unit reports 300 meters; only the first 250 are read.")});
    EXPECT_EQ(view().grid().rowCount(), 251);

    // The second blocks fill meters up to 249 and no further.
    std::map<int, quint16> all;
    for (int i = 0; i < 125; ++i)
        all[i] = 0x1001;
    decode(context(kStepMeterInfo2, 2), all);
    decode(context(kStepMeterStatus2, 2), all);
    EXPECT_EQ(cell(250, SystemSettingsView::kTypeColumn), QStringLiteral("1) Branch"));
    EXPECT_EQ(cell(250, SystemSettingsView::kAlarmColumn), QStringLiteral("Active"));
}

TEST_F(MeterListTest, MeterInformationGivesTypesLabelsNumbersCountsAndOrdinals)
{
    systemInfo(8, 2);
    meterTypes({kTypeBranch, kTypeSubfeed, 12, kTypeSubfeed, 6, kTypePanel, kTypeMultipole, kTypePduInput});
    decode(context(kStepMeterInfo2, 2), {{0, 0x4003}}); // meter 125, beyond the meter count

    EXPECT_EQ(cell(2, SystemSettingsView::kTypeColumn), QStringLiteral("4) Subfeed"));
    EXPECT_EQ(cell(2, SystemSettingsView::kNumberColumn), QStringLiteral("2"));
    EXPECT_EQ(cell(3, SystemSettingsView::kTypeColumn), QStringLiteral("12) Unknown"));
    EXPECT_EQ(cell(7, SystemSettingsView::kTypeColumn), QStringLiteral("5) Br. Multipole"));

    const DeviceModel& m = data.model();
    EXPECT_EQ(m.MeterType[3], kTypeSubfeed);
    EXPECT_EQ(m.meterOrdinal(1), 0);
    EXPECT_EQ(m.meterOrdinal(3), 1);
    EXPECT_EQ(m.meterOrdinal(125), 2); // the running ordinal goes on into the second block
    EXPECT_EQ(m.LastSubfeedMeter, 4);
    // Branch 1, PDU in 1, subfeeds 3 (with meter 125), panel 1, unknown 2, multipole 1.
    const std::pair<int, const char*> counts[] = {
        {kCountBranch, "1"}, {kCountSubfeed, "3"}, {kCountUnknown, "2"}, {kCountMultipole, "1"}};
    for (const auto& [kind, count] : counts)
        EXPECT_EQ(view().meterTypeCount(kind), QLatin1String(count)) << kind;
    EXPECT_EQ(view().threePhaseMeterTotal(), QStringLiteral("6"));

    // The counts start again with every pass; no meters mean zero counts and no rows.
    meterTypes({kTypeBranch});
    decode(context(kStepMeterInfo2, 2));
    EXPECT_EQ(view().meterTypeCount(kCountSubfeed), QStringLiteral("0"));
    systemInfo(0, 2);
    meterTypes({});
    EXPECT_EQ(view().meterTypeCount(kCountBranch), QStringLiteral("0"));
    EXPECT_EQ(view().grid().rowCount(), 1);
}

TEST_F(MeterListTest, MeterStatusShowsWarningAlarmAndGroupForCountedMetersOnly)
{
    systemInfo(2, 2);
    decode(context(kStepMeterStatus1, 2), {{0, 0x0023}, {1, 0x0000}, {2, 0x0003}});
    const GridModel& g = view().grid();
    EXPECT_EQ(g.text(1, SystemSettingsView::kWarningColumn), QStringLiteral("Active"));
    EXPECT_EQ(g.background(1, SystemSettingsView::kWarningColumn), kStatusYellow);
    EXPECT_EQ(g.background(1, SystemSettingsView::kAlarmColumn), kStatusRed);
    EXPECT_EQ(g.text(1, SystemSettingsView::kGroupColumn), QStringLiteral("2"));
    EXPECT_EQ(g.text(2, SystemSettingsView::kAlarmColumn), QStringLiteral("OK"));
    EXPECT_EQ(g.background(2, SystemSettingsView::kAlarmColumn), kStatusGreen);
    EXPECT_EQ(g.rowCount(), 3);
    EXPECT_EQ(data.model().meterStatusWord[2], 0);

    // A changed meter count rebuilds the grid.
    meterTypes({kTypeBranch, kTypeBranch});
    systemInfo(3, 2);
    EXPECT_EQ(g.rowCount(), 4);
    EXPECT_EQ(g.text(1, SystemSettingsView::kTypeColumn), QString());
    EXPECT_EQ(g.text(3, SystemSettingsView::kMeterColumn), QStringLiteral("Meter 3"));
}

TEST_F(MeterListTest, ANewMapVersionRebuildsOpenTablesFromThatMapsFiles)
{
    data.openTable(kBranchSettingsTable); // before any reply: Map 2's rows
    data.openTable(kSystemSettingsTable);
    EXPECT_EQ(grid(kBranchSettingsTable).rowCount(), 92 + 2);
    SignalRecorder<int> versions(&data, &DeviceData::registerMapVersionChanged);
    SignalRecorder<int> opened(&data.tables(), &MeterTables::tableOpened);

    systemInfo(1, 1);
    systemInfo(1, 1); // the same version again changes nothing
    EXPECT_EQ(grid(kBranchSettingsTable).rowCount(), 99 + 2);
    EXPECT_EQ(grid(kSystemSettingsTable).text(5, 2), QStringLiteral("1"));
    EXPECT_EQ(versions.count(), 1);
    EXPECT_EQ(opened.count(), 0); // rebuilt in place, not opened again
}

TEST_F(MeterListTest, TablesOpenAtExitButAllSettingsReopenAtTheFirstSystemInformation)
{
    data.setTablesToRestore({kBranchSettingsTable, kThreePhaseReadingsTable, kAllSettingsTable});
    SignalRecorder<int> opened(&data.tables(), &MeterTables::tableOpened);
    systemInfo(1, 1);
    EXPECT_EQ(opened.firsts(), (std::vector<int>{kBranchSettingsTable, kThreePhaseReadingsTable}));
    EXPECT_EQ(data.tables().table(kThreePhaseReadingsTable).builtMapVersion(), 1);
    EXPECT_FALSE(data.tables().isOpen(kAllSettingsTable));
}

} // namespace
} // namespace halvana::test
