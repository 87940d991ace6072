#include "core/grid/grid_model.h"
#include "core/grid/grid_text_export.h"

#include <gtest/gtest.h>

namespace halvana {
namespace {

using namespace GridTextExport;

GridText sample(const std::vector<QStringList>& rows)
{
    GridText text;
    text.table = 3;
    text.caption = QStringLiteral("3\u00f8 Meter Readings");
    text.headings = {QStringLiteral("Reg"), QStringLiteral("Description"), QStringLiteral("M1 (SF1)")};
    text.rows = rows;
    text.rowKeys = {QStringLiteral("register"), QStringLiteral("description")};
    return text;
}

// Every break opens a bracket, as the capture files write it; one line stays as it is.
TEST(GridTextExport, HeadingsWithALineBreakAreWrittenOnOneLine)
{
    const struct {
        const char* cell;
        const char* written;
    } cases[] = {
        {"M1\r\nSF2", "M1 (SF2)"}, {"M3\nPDU In 1", "M3 (PDU In 1)"}, {"M4\rPanel 2", "M4 (Panel 2)"},
        {"a\r\nb\r\nc", "a (b (c)"}, {"Value", "Value"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(headingText(QString::fromUtf8(c.cell)), QString::fromUtf8(c.written)) << c.cell;
}

TEST(GridTextExport, FromGridTakesTheHeadingsAndTheRequestedRowsHiddenOnesIncluded)
{
    GridModel grid;
    grid.reset(5, 3);
    grid.setText(0, 0, QStringLiteral("Reg"));
    grid.setText(0, 2, QStringLiteral("M1\r\nSF1"));
    for (int r = 1; r < 5; ++r)
        grid.setText(r, 0, QString::number(40000 + r));
    grid.setText(2, 2, QStringLiteral("12.34"));
    grid.setRowHidden(2, true);

    const GridText text = GridText::fromGrid(grid, 3);
    EXPECT_EQ(text.headings, (QStringList{QStringLiteral("Reg"), QString(), QStringLiteral("M1 (SF1)")}));
    ASSERT_EQ(text.rows.size(), 3u);
    EXPECT_EQ(text.rows[0], (QStringList{QStringLiteral("40001"), QString(), QString()}));
    EXPECT_EQ(text.rows[1], (QStringList{QStringLiteral("40002"), QString(), QStringLiteral("12.34")}));

    // Asking for more rows than the grid has gives what there is, and never the heading twice.
    EXPECT_EQ(GridText::fromGrid(grid, 99).rows.size(), 4u);
    EXPECT_TRUE(GridText::fromGrid(grid, -1).rows.empty());
}

TEST(GridTextExport, TsvIsOneLinePerRowWithTabsBetweenCells)
{
    const GridText text = sample({{QStringLiteral("40153"), QStringLiteral("Voltage A"), QStringLiteral("120")},
                                  {QStringLiteral("40154"), QStringLiteral("Not Used"), QString()},
                                  {QStringLiteral("x"), QStringLiteral("a\tb"), QStringLiteral("two\r\nlines")}});
    EXPECT_EQ(toTsv(text), QStringLiteral("Reg\tDescription\tM1 (SF1)\n"
                                          "40153\tVoltage A\t120\n"
                                          "40154\tNot Used\t\n"
                                          "x\ta b\ttwo lines\n"));
}

TEST(GridTextExport, CsvQuotesExactlyTheCellsThatNeedIt)
{
    const struct {
        const char* cell;
        const char* field;
    } cases[] = {
        {"Power Factor A", "Power Factor A"}, {"1,5", "\"1,5\""},         {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""}, {"cr\ronly", "\"cr\ronly\""}, {"lf\nonly", "\"lf\nonly\""}, {"", ""},
    };
    for (const auto& c : cases) {
        GridText text = sample({{QStringLiteral("1"), QString::fromUtf8(c.cell), QStringLiteral("v")}});
        const QString expected =
            QStringLiteral("Reg,Description,M1 (SF1)\r\n1,") + QString::fromUtf8(c.field) + QStringLiteral(",v\r\n");
        EXPECT_EQ(toCsv(text), expected) << c.cell;
    }
}

// One row to a line, for tools that read line by line; "ø" leaves as UTF-8, not as an escape.
TEST(GridTextExport, JsonHoldsTheTableCaptionHeadingsAndRowsByName)
{
    const GridText text = sample({{QStringLiteral("40153"), QStringLiteral("Voltage \"A\""), QStringLiteral("120.5")},
                                  {QStringLiteral("40339.0"), QStringLiteral("Alarm: Over Voltage"), QStringLiteral("OK")}});
    EXPECT_EQ(toJson(text), QString::fromUtf8("{\n"
                                              "    \"table\": 3,\n"
                                              "    \"caption\": \"3\u00f8 Meter Readings\",\n"
                                              "    \"headings\": [\"Reg\",\"Description\",\"M1 (SF1)\"],\n"
                                              "    \"rows\": [\n"
                                              "        {\"register\": \"40153\", \"description\": \"Voltage \\\"A\\\"\", \"values\": [\"120.5\"]},\n"
                                              "        {\"register\": \"40339.0\", \"description\": \"Alarm: Over Voltage\", \"values\": [\"OK\"]}\n"
                                              "    ]\n"
                                              "}\n"));
    EXPECT_TRUE(toJson(sample({})).endsWith(QStringLiteral("\"rows\": []\n}\n")));

    GridText system;
    system.table = QStringLiteral("system");
    system.rows = {{QStringLiteral("Meter 1"), QStringLiteral("2) PDU Input"), QStringLiteral("Active")}};
    system.rowKeys = {QStringLiteral("meter")};
    EXPECT_TRUE(toJson(system).startsWith(QStringLiteral("{\n    \"table\": \"system\",\n")));
    EXPECT_TRUE(toJson(system).contains(
        QStringLiteral("\n        {\"meter\": \"Meter 1\", \"values\": [\"2) PDU Input\",\"Active\"]}\n")));
}

} // namespace
} // namespace halvana
