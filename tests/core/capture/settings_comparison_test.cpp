#include "core/capture/compare_script.h"
#include "core/capture/settings_comparison.h"
#include "core/capture/spreadsheet_export.h"
#include "core/files/text_file.h"
#include "core/grid/grid_model.h"
#include "support/file_bytes.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace halvana;
namespace SC = halvana::SettingsComparison;

namespace {

class Captures : public ::testing::Test {
protected:
    QString file(const QString& name, const QByteArray& bytes)
    {
        EXPECT_TRUE(test::writeFileBytes(m_dir.filePath(name), bytes)) << qPrintable(name);
        return m_dir.filePath(name);
    }
    QString column(const GridModel& grid, int c)
    {
        QStringList cells;
        for (int r = 0; r < grid.rowCount(); ++r)
            cells << grid.text(r, c);
        return cells.join(QLatin1Char('|'));
    }
    QTemporaryDir m_dir;
    GridModel m_grid, m_diffs;
};

const QByteArray kFirst = "Reg\tDescription\tValue\r\n2001\tCT Ratio\t100.0\r\n2002\tFirmware Version\t1.20\r\n"
                          "2003\tRating\t20\r\n";

} // namespace

TEST_F(Captures, LaterFilesByPositionShorterAndLongerAndTheirNote)
{
    const QString a = file("Settings_001.txt", kFirst);
    // Lone LF and lone CR line ends; a two-field line carries no value.
    const QString b = file("Settings_002.txt", "Reg\tDescription\tValue\n2001\tCT Ratio\t150.5\n2002\tFirmware Version\n");
    const QString c = file("Settings_003.v2.txt", "Reg\tD\tV\r2001\tx\t100.0\r2009\ty\t1.20\r2003\tz\t20\r2004\tw\t9\r");
    const SC::Outcome out = SC::Compare({a, b, c}, m_grid);
    ASSERT_TRUE(out.ok());
    EXPECT_EQ(out.LastComparedFilePath, c);
    EXPECT_EQ(column(m_grid, 0), "Reg.|2001|2002|2003");
    EXPECT_EQ(column(m_grid, 2), "Settings_001|100.0|1.20|20");
    EXPECT_EQ(column(m_grid, 3), "Settings_002|150.5||");
    EXPECT_EQ(column(m_grid, 4), "Settings_003|100.0|1.20|20");
    EXPECT_TRUE(m_grid.isBold(0, 4));
    // Yellow on 0, 1, 2 and the differing column; the third file agrees everywhere.
    for (int r = 1; r <= 3; ++r) {
        for (int col : {0, 1, 2, 3})
            EXPECT_EQ(m_grid.background(r, col), SC::kDifferenceYellow) << r << col;
        EXPECT_FALSE(m_grid.background(r, 4)) << r;
    }
    EXPECT_EQ(out.alignment.toStdString(),
              "2 row(s) do not line up by register; the first is row 2: 'Settings_003' has register '2009' where "
              "'Settings_001' has register '2002'. 'Settings_003' has 1 more row(s) than 'Settings_001'; they are left out.");
}

TEST_F(Captures, OneFileAndASystemSettingsCaptureRowByRow)
{
    const QByteArray system = "Meter No.\tType\tMtr #\r" "Meter 1\t2) PDU Input\t1\r" "Meter 2\t1) Branch\t2\r\n";
    SC::Compare({file("one.txt", system)}, m_grid);
    EXPECT_EQ(m_grid.columnCount(), 3);
    EXPECT_EQ(column(m_grid, 2), "one|1|2");
    EXPECT_FALSE(m_grid.background(1, 0));
    EXPECT_TRUE(SC::markedLines(m_grid).startsWith("\tReg.\tSETPOINT NAME\tone\n\tMeter 1\t"));

    SC::Compare({file("one.txt", system), file("two.txt", QByteArray(system).replace("\t2\r\n", "\t7\r\n"))}, m_grid);
    EXPECT_EQ(column(m_grid, 3), "two|1|7");
    EXPECT_TRUE(SC::markedLines(m_grid).endsWith("*\tMeter 2\t1) Branch\t2\t7\n"));
}

TEST_F(Captures, FilesThatAreNoCaptureAreNamedAndLeftOut)
{
    const QString good = file("good.txt", kFirst);
    const struct {
        const char* name;
        QByteArray bytes;
        const char* why;
    } cases[] = {
        {"empty.txt", "", "it is empty"},
        {"binary.bin", "Reg\tD\tV\r\n2001\t\x01\x02\0x\t5\r\n", "line 2 holds binary data"},
        {"notes.txt", "Reg\tD\tV\r\nsome words\r\n", "line 2 has no TAB"},
        {"long.txt", "Reg\tD\tV\r\n" + QByteArray(SC::kMaxLineChars + 1, 'x') + "\t1", "line 2 is longer than 65536 characters"},
    };
    for (const auto& c : cases) {
        const QString bad = file(c.name, c.bytes);
        const SC::Outcome out = SC::Compare({good, bad, good}, m_grid);
        EXPECT_EQ(out.problems, QStringList{QStringLiteral("'%1' is not a settings capture: %2; it is left out.").arg(bad, c.why)});
        EXPECT_EQ(out.compared, (QStringList{good, good})) << c.name;
    }
    const QString missing = m_dir.filePath("gone.txt");
    m_grid.reset(1, 1);
    m_grid.setText(0, 0, "kept");
    EXPECT_EQ(SC::Compare({good, missing}, m_grid).missingFile, QStringLiteral("File '%1' not found.").arg(missing));
    EXPECT_EQ(m_grid.text(0, 0), "kept");
}

TEST_F(Captures, DifferencesAndCreateScriptWriteRawValues)
{
    const QString a = file("a.txt", kFirst + "2004\tDelay (s)\t1.005\r\n2005\tName\tMain\r\nMeter 1\tType\t3\r\n"
                                             "2006\tLimit\t65.535\r\n2007\tBig\t65536\r\n2008\tScale\t0.5\r\n");
    const QString b = file("b.txt", "R\tD\tV\r\n2001\tCT Ratio\t150.5\r\n2002\tFirmware Version\t1.30\r\n2003\tRating\t20\r\n"
                                    "2004\tDelay (s)\t2.000\r\n2005\tName\tAux\r\nMeter 1\tType\t4\r\n2006\tLimit\t1\r\n"
                                    "2007\tBig\t1\r\n2008\tScale\t0.5\r\n");
    SC::Compare({a, b}, m_grid);
    SC::ListDiffs(m_grid, m_diffs);
    EXPECT_EQ(column(m_diffs, 0), "Reg.|2001|2002|2004|2005|Meter 1|2006|2007");
    EXPECT_TRUE(m_diffs.isBold(0, 3));
    EXPECT_EQ(m_diffs.background(2, 0), SC::kVersionCyan);
    EXPECT_FALSE(m_diffs.background(1, 0));

    const CompareScript script = CompareScript::CreateScriptText(m_diffs);
    EXPECT_EQ(script.text.toStdString(), "\r\nmeter write 2001 1000\r\nmeter write 2004 1005\r\nmeter write 2006 65535"
                                         "\r\n\r\nmeter save\r\n");
    EXPECT_EQ(script.leftOutCount, 3);
    EXPECT_EQ(script.leftOutNote().toStdString(), "3 row(s) left out, with no register or no whole register value: "
                                                  "2005 Name = Main; Meter 1 Type = 3; 2007 Big = 65536");
}

TEST_F(Captures, SpreadsheetReadBackNeverOverACapture)
{
    EXPECT_EQ(SpreadsheetExport::targetPath("/d/Settings_001.TXT"), "/d/Settings_001.xlsx");
    EXPECT_EQ(SpreadsheetExport::targetPath("/d.txt/capture"), "/d.txt/capture.xlsx");

    const QString a = file("a.txt", kFirst);
    const QString b = file("b.txt", QByteArray(kFirst).replace("1.20", "1.30"));
    SC::Compare({a, b}, m_grid);
    SC::ListDiffs(m_grid, m_diffs);
    EXPECT_TRUE(SpreadsheetExport::write(m_diffs, a, {a, b}).has_value());
    EXPECT_EQ(test::fileBytes(a), kFirst);
    // The same capture spelt another way, or reached through a link, is still that capture.
    const QString link = m_dir.filePath("link.txt");
    ASSERT_TRUE(QFile::link(a, link));
    EXPECT_TRUE(isOneOfTheFiles(m_dir.filePath("./a.txt"), {b, a}) && isOneOfTheFiles(link, {a}));

    const QString xlsx = m_dir.filePath("out.xlsx");
    ASSERT_FALSE(SpreadsheetExport::write(m_grid, xlsx, {a, b}));
    ASSERT_FALSE(SpreadsheetExport::write(m_diffs, xlsx, {a, b})); // replaces
    QProcess py;
    py.start("/usr/bin/python3", {"-c", "import openpyxl,sys\n"
                                        "ws=openpyxl.load_workbook(sys.argv[1]).active\n"
                                        "for row in ws.iter_rows():\n"
                                        " print('|'.join('%s:%s:%s:%d'%(c.value,type(c.value).__name__,"
                                        "c.fill.fgColor.rgb if c.fill.fill_type else '-',c.font.b) for c in row))\n",
                                  xlsx});
    ASSERT_TRUE(py.waitForFinished(20000));
    EXPECT_EQ(py.readAllStandardOutput().toStdString(),
              "Reg.:str:-:1|SETPOINT NAME:str:-:1|a:str:-:1|b:str:-:1\n"
              "2002:str:FF00FFFF:0|Firmware Version:str:FF00FFFF:0|1.20:str:FF00FFFF:0|1.30:str:FF00FFFF:0\n")
        << py.readAllStandardError().toStdString();
}
