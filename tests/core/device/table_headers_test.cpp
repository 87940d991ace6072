#include "core/device/table_headers.h"
#include "decoder_fixture.h"

#include <QTemporaryDir>

namespace halvana::test {
namespace {

TEST(HeaderLines, RowsComeFromLinesWithAtLeastTwoTabSeparatedFields)
{
    const auto rows = TableHeaders::parseHeaderLines(
        {QStringLiteral("2005\tBreaker Rating\tA"), QStringLiteral("2006"), QString(),
         QStringLiteral("\tNo register"), QStringLiteral("2007\tPole Count")});
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].reg, QStringLiteral("2005"));
    EXPECT_EQ(rows[0].description, QStringLiteral("Breaker Rating"));
    EXPECT_EQ(rows[1].reg, QString());
    EXPECT_EQ(rows[2].description, QStringLiteral("Pole Count"));
}

// The shipped header files must describe exactly the registers the decoders put in each row:
// (first register, count) blocks in row order, then the status bit rows ("reg.bit").
struct ShippedFile {
    int table, map;
    std::vector<std::pair<int, int>> blocks;
    int bitRows;
};

class ShippedHeaderFiles : public DecoderTest, public ::testing::WithParamInterface<ShippedFile> {};

TEST_P(ShippedHeaderFiles, RowsMatchTheBlocksOfTheRegisterMap)
{
    const ShippedFile f = GetParam();
    data.model().RegisterMapVersion = f.map;
    data.openTable(f.table);
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.all().toStdString();
    const GridModel& g = grid(f.table);
    int row = 1;
    for (const auto& [first, count] : f.blocks) {
        for (int i = 0; i < count; ++i, ++row) {
            ASSERT_EQ(g.text(row, 0), QString::number(first + i)) << "row " << row;
            EXPECT_FALSE(g.text(row, 1).isEmpty()) << "row " << row;
        }
    }
    for (int i = 0; i < f.bitRows; ++i, ++row)
        EXPECT_TRUE(g.text(row, 0).contains(QLatin1Char('.'))) << "row " << row;
    EXPECT_EQ(g.rowCount(), row + 1) << "one empty row ends the table";
}

INSTANTIATE_TEST_SUITE_P(
    EveryTableAndMap, ShippedHeaderFiles,
    ::testing::Values(ShippedFile{0, 1, {{2001, 99}}, 0}, ShippedFile{0, 2, {{2001, 92}}, 0},
                      ShippedFile{1, 1, {{2139, 55}}, 22}, ShippedFile{1, 2, {{2093, 54}}, 22},
                      ShippedFile{2, 1, {{43001, 116}}, 0}, ShippedFile{2, 2, {{40001, 111}}, 0},
                      ShippedFile{3, 1, {{43167, 98}, {43275, 68}}, 48},
                      ShippedFile{3, 2, {{40153, 92}, {40253, 93}}, 48}, ShippedFile{4, 2, {{1, 63}}, 0},
                      ShippedFile{5, 2, {{101, 250}}, 0}, ShippedFile{7, 2, {{63451, 21}}, 0},
                      ShippedFile{9, 2, {{64001, 150}}, 0}, ShippedFile{10, 2, {{63501, 75}}, 0}));

TEST(MeterTableBuild, AMissingHeaderFileIsReportedAndTheTableStillOpensEmpty)
{
    QTemporaryDir empty;
    RecordingMessages messages;
    DeviceData data(empty.path(), messages);
    data.openTable(kThreePhaseReadingsTable);

    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts.first().contains(empty.path() + QStringLiteral("/ThreePhaseReadings2.txt")));
    EXPECT_TRUE(messages.texts.first().contains(QStringLiteral("was not found")));
    const GridModel& g = data.tables().table(kThreePhaseReadingsTable).grid();
    EXPECT_TRUE(data.tables().isOpen(kThreePhaseReadingsTable));
    EXPECT_EQ(g.rowCount(), 2);

    // Replies for it land nowhere and harm nothing.
    const ReadContext ctx = context(kStepThreePhaseReadings, 2, 0, MeterHalf::BCM2);
    EXPECT_TRUE(data.ProcessDataReceived(ctx, RegData(size_t(ctx.ReadCount), 0xFFFF)));
    EXPECT_EQ(g.rowCount(), 2);
}

} // namespace
} // namespace halvana::test
