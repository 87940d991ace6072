#include "e2e/e2e_support.h"
#include "e2e/table_output.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

using namespace halvana::test;

namespace {

// A cell of the printed grid: the row whose description (or first cell) is `row`, value column
// `column` (0 = the first after the description; -2 the register). `near` > 0 compares as
// numbers within it.
struct Sample {
    const char* row;
    int column;
    const char* text;
    double near = 0;
};

struct TableCase {
    Wire wire;
    int map;
    const char* table;
    // The header file the rows come from; none for the meter grid and All Settings.
    const char* headerFile;
    int valueColumns;
    // Requests of the whole pass (with so few meters the second meter status block is not read).
    int reads;
    std::vector<Sample> samples;
};

// The row whose second cell (the description, or the type for the meter grid's first column)
// names it.
const QStringList* findRow(const std::vector<QStringList>& rows, const QString& name)
{
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [&](const QStringList& r) { return r.value(1) == name || r.value(0) == name; });
    return row == rows.end() ? nullptr : &*row;
}

// Each request the unit was sent, without the TCP transaction identifier.
QStringList requestsOf(const QString& trace, Wire wire)
{
    static const QRegularExpression request(QStringLiteral(" <- ((?:[0-9A-F]{2} ?)+)$"), QRegularExpression::MultilineOption);
    QStringList found;
    for (auto it = request.globalMatch(trace); it.hasNext();)
        found << it.next().captured(1).mid(wire == Wire::Tcp ? 6 : 0);
    return found;
}

class TableAgainstSim : public ::testing::TestWithParam<TableCase> {};

} // namespace

// The grid has the header file's rows, a column per meter or slot, a value in every cell and
// the profile's values where it fixes them; the unit was asked for each block of steps 0 to 4
// and of the table once, and for nothing else.
TEST_P(TableAgainstSim, PrintsEveryRowOfOnePassOfOnlyThatTable)
{
    const TableCase& c = GetParam();
    SimProcess sim;
    ASSERT_TRUE(startTableUnit(sim, c.wire, c.map)) << qPrintable(sim.output());
    const RunResult run = runCli(sim.connection(), QStringLiteral("table ") + QLatin1String(c.table));
    sim.stop();
    const QString trace = sim.output();
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(run.err, QString()) << "progress only goes to a terminal";

    const QStringList requests = requestsOf(trace, c.wire);
    EXPECT_EQ(requests.size(), c.reads) << qPrintable(requests.join(QLatin1Char('\n')));
    EXPECT_EQ(int(std::set<QString>(requests.begin(), requests.end()).size()), requests.size()) << "a block read twice";

    const std::vector<QStringList> rows = tsvRows(run.out);
    ASSERT_GT(rows.size(), 1u);
    EXPECT_EQ(rows[0].size(), 2 + c.valueColumns) << qPrintable(rows[0].join(QLatin1Char('|')));
    if (c.headerFile) {
        const std::vector<QStringList> header = headerFileRows(QLatin1String(c.headerFile));
        ASSERT_EQ(rows.size(), header.size() + 1) << "one line per register row after the heading line";
        for (size_t r = 0; r < header.size(); ++r)
            EXPECT_EQ(rows[r + 1].mid(0, 2), header[r]) << "row " << r + 1;
    }
    for (size_t r = 1; r < rows.size(); ++r) {
        ASSERT_EQ(rows[r].size(), rows[0].size()) << "row " << r;
        for (int k = 0; k < rows[r].size(); ++k)
            ASSERT_FALSE(rows[r][k].isEmpty()) << "hole at row " << r << " column " << k;
    }
    for (const Sample& s : c.samples) {
        const QStringList* row = findRow(rows, QString::fromUtf8(s.row));
        ASSERT_NE(row, nullptr) << s.row;
        const QString cell = row->value(2 + s.column);
        if (s.near > 0)
            EXPECT_NEAR(cell.toDouble(), QString::fromLatin1(s.text).toDouble(), s.near) << s.row;
        else
            EXPECT_EQ(cell, QString::fromUtf8(s.text)) << s.row << ", column " << s.column;
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryTable, TableAgainstSim,
    ::testing::ValuesIn(std::vector<TableCase>{
        {Wire::Tcp, 1, "system", nullptr, 4, 4,
         {{"Meter 1", 2, "Active"}, {"Meter 2", 3, "Active"}, {"Meter 6", 1, "2"}, {"Meter 9", -1, "7) Unknown"}}},
        {Wire::Tcp, 2, "0", "SinglePhaseSettings2.txt", 4, 8,
         {{"Parent ID (Panel)", 3, "1"}, {"Current Channel (CT Input 1-289)", 3, "4"}, {"Nominal Voltage (V)", 2, "120.0"}}},
        {Wire::Tcp, 2, "2", "ThreePhaseSettings2.txt", 7, 11,
         {{"Reg", 4, "M5 (MP1)"}, {"Breaker Rating (A)", 6, "20"}, {"Voltage Channel Phase A (V Input 1-289)", 1, "256"}}},
        {Wire::Tcp, 1, "3", "ThreePhaseReadings.txt", 7, 18,
         {{"Reg", 1, "M2 (PDU Out 1)"}, {"Voltage L-L A-B (V)", 3, "208", 8}, {"Current Phase A (A)", 0, "180", 50},
          {"Power Factor Total", 2, "0.93", 0.05}, {"Current Neutral (A)", 0, "0.00"}}},
        {Wire::Tcp, 1, "9", "ThermalSettings.txt", 6, 16,
         {{"Sensor 1 High Temperature Alarm (deg C)", 1, "40"}, {"Reg", 5, "Slot 6"}}},
        {Wire::Tcp, 2, "11", nullptr, 1, 28,
         {{"Meter Position (Meter Number) - B4", -2, "2451"}, {"Breaker Rating (A) - M5", 0, "30"},
          {"Sensor 1 High Temperature Alarm (deg C) - Slot 2", 0, "40"}, {"Number of Meters", 0, "11"}}},
        {Wire::Rtu, 1, "3", "ThreePhaseReadings.txt", 7, 18,
         {{"Meter Position (Meter Number)", 6, "9"}, {"Frequency (Hz)", 6, "60", 0.1}}},
    }),
    [](const ::testing::TestParamInfo<TableCase>& info) {
        return std::string(info.param.wire == Wire::Tcp ? "Tcp" : "Rtu") + "Map" + std::to_string(info.param.map)
            + "Table" + info.param.table;
    });

// The formats themselves: grid_text_export_test. CSV and JSON carry the TSV grid's cells.
TEST(TableFormats, CsvAndJsonHoldTheTsvCells)
{
    SimProcess sim;
    ASSERT_TRUE(startTableUnit(sim, Wire::Tcp, 2)) << qPrintable(sim.output());
    for (const QString& table : {QStringLiteral("2"), QStringLiteral("system")}) {
        const std::vector<QStringList> tsv = tsvRows(runCli(sim.connection(), QStringLiteral("table ") + table).out);
        ASSERT_GT(tsv.size(), 1u);
        const QString csv = runCli(sim.connection(), QStringLiteral("table %1 --format csv").arg(table)).out;
        EXPECT_EQ(int(csv.count(QStringLiteral("\r\n"))), int(tsv.size()));
        EXPECT_TRUE(csv.startsWith(tsv[0].join(QLatin1Char(',')) + QStringLiteral("\r\n"))) << qPrintable(csv.left(200));
        const QJsonObject json = QJsonDocument::fromJson(
                                     runCli(sim.connection(), QStringLiteral("table %1 --format json").arg(table))
                                         .out.toUtf8())
                                     .object();
        EXPECT_EQ(json.value(QStringLiteral("table")).toVariant().toString(), table);
        EXPECT_EQ(json.value(QStringLiteral("headings")).toVariant().toStringList(), tsv[0]);
        const QJsonArray rows = json.value(QStringLiteral("rows")).toArray();
        ASSERT_EQ(size_t(rows.size()) + 1, tsv.size());
        const QStringList last = rows.last().toObject().value(QStringLiteral("values")).toVariant().toStringList();
        ASSERT_FALSE(last.isEmpty());
        EXPECT_EQ(last, tsv.back().mid(tsv.back().size() - last.size()));
    }
}

TEST(TableCommand, AConnectionThatClosesInTheMiddleOfAPassEndsIt)
{
    SimProcess sim;
    ASSERT_TRUE(startTableUnit(sim, Wire::Tcp, 1)) << qPrintable(sim.output());
    bool crashed = false;
    // Eleven of the pass's sixteen requests are still to come when the unit goes.
    const RunResult run = runCli(sim.connection() + QStringList{QStringLiteral("table"), QStringLiteral("9")}, [&] {
        if (!crashed && sim.requestsSeen() >= 5) {
            sim.crash();
            crashed = true;
        }
    });
    EXPECT_TRUE(crashed);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, QString());
    EXPECT_TRUE(run.err.contains(QStringLiteral("closed the connection"))) << qPrintable(run.err);
}

TEST(TableCommand, ProgressShowsOnATerminalOnlyAndIsClearedAtTheEnd)
{
    SimProcess sim;
    ASSERT_TRUE(startTableUnit(sim, Wire::Tcp, 2)) << qPrintable(sim.output());
    // stderr on a terminal made by script(1), stdout discarded; out holds what the terminal showed.
    const QString command = QStringLiteral("'%1' %2 table 1 >/dev/null")
                                .arg(binaryPath(QStringLiteral("halvana-cli")), sim.connection().join(' '));
    const RunResult run = runProgram(QStringLiteral("script"),
                                     {QStringLiteral("-qec"), command, QStringLiteral("/dev/null")});
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.out);
    for (const char* step : {"Getting System Info", "Getting Meter Status 1", "Getting B1 Readings", "Getting B4 Readings"})
        EXPECT_TRUE(run.out.contains(QLatin1Char('\r') + QLatin1String(step) + QStringLiteral("\x1b[K"))) << step;
    EXPECT_TRUE(run.out.endsWith(QStringLiteral("\r\x1b[K"))) << "the progress line is wiped before the tool ends";
}

TEST(TableCommand, AMissingHeaderFileIsRefusedWithStatusTwo)
{
    SimProcess sim;
    ASSERT_TRUE(startTableUnit(sim, Wire::Tcp, 2)) << qPrintable(sim.output());
    QTemporaryDir empty;
    const RunResult r = runCli(sim.connection(), QStringLiteral("table 0 --data-dir ") + empty.path());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, QString());
    EXPECT_TRUE(r.err.contains(QStringLiteral("table 0 has no rows: the definition file \"SinglePhaseSettings2.txt\"")))
        << qPrintable(r.err);
}
