#include "core/capture/settings_capture.h"
#include "core/device/meter_tables.h"
#include "core/files/text_codec.h"
#include "core/grid/grid_model.h"
#include "support/file_bytes.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <vector>

using namespace halvana;

namespace {

void fill(GridModel& grid, const std::vector<QStringList>& rows)
{
    grid.reset(0, int(rows.front().size()));
    for (const QStringList& row : rows)
        grid.appendRow(row);
}

} // namespace

// Each grid as the tables build it, against its capture written out by hand.
TEST(SettingsCapture, FilesAndClipboardByteForByte)
{
    const struct {
        int table;
        std::vector<QStringList> rows;
        const char* file;
    } cases[] = {
        {kBranchSettingsTable,
         {{"Reg", "Description", "B1", "B2"},
          {"2001", "Breaker Rating", "20", "16"},
          {"2002", "Not Used", "0", "0"},
          {"2003", "CT Ratio", "", "1"},
          {"", "", "", ""}},
         "branch_settings.txt"},
        {kThreePhaseSettingsTable,
         {{"Reg", "Description", "M1\r\nPDU In 1", "Value"}, {"40001", QString::fromUtf8("3ø Voltage Scale"), "1", "2"}, {"", "", "", ""}},
         "three_phase_settings.txt"},
        {kAllSettingsTable,
         {{"Reg", "Description", "Value"}, {"40001", "Voltage Scale - M1", "1"}, {"64001", "High Limit - T6", "45.0"}},
         "all_settings.txt"},
        {kSystemSettingsTable,
         {{"Reg", "Description", "Value"}, {"2", "Spare - Not Used", "0"}, {"3", "Not Used", "0"}, {"", "", ""}},
         "not_used_only.txt"},
        {MeterTables::kSystemSettingsGrid,
         {{"Meter No.", "Type", "Mtr #", "Group", "Warning", "Alarm"},
          {"Meter 1", "2) PDU Input", "1", "0", "OK", "OK"},
          {"Meter 2", "1) Branch", "1", "9", "Active", "OK"}},
         "system_settings.txt"},
    };
    for (const auto& c : cases) {
        GridModel grid;
        fill(grid, c.rows);
        const QByteArray expected =
            test::fileBytes(QStringLiteral(HALVANA_SOURCE_DIR "/tests/core/capture/expected/") + QLatin1String(c.file));
        const QString text = SettingsCapture::fileText(grid, c.table);
        EXPECT_EQ(toWindows1252(text), expected) << c.file;
        // The clipboard has the same lines; only the system block goes without its CR LF.
        const QString clip = SettingsCapture::clipboardText(grid, c.table);
        EXPECT_EQ(c.table == MeterTables::kSystemSettingsGrid ? clip + "\r\n" : clip, text) << c.file;

        QTemporaryDir dir;
        SettingsCaptureFiles files;
        const SettingsCaptureFiles::Result result = files.write(dir.filePath("Downloads"), text);
        ASSERT_TRUE(result.ok()) << result.error.toStdString();
        EXPECT_EQ(test::fileBytes(result.path), expected) << c.file;
    }
}

TEST(SettingsCaptureFiles, NumbersAreChosenInTheFolderInForceNowAndAFailureWritesNothing)
{
    QTemporaryDir dir;
    SettingsCaptureFiles files;
    const QString first = dir.filePath("first"), second = dir.filePath("second");
    EXPECT_EQ(files.write(first, "a").path, first + "/Settings_001.txt");
    EXPECT_EQ(files.write(first, "b").path, first + "/Settings_002.txt");
    QFile::remove(first + "/Settings_002.txt");
    EXPECT_EQ(files.write(first, "c").path, first + "/Settings_002.txt");
    // After a change of folder the capture lands in the new folder, under the last name when it is free there.
    EXPECT_EQ(files.write(second, "d").path, second + "/Settings_002.txt");
    EXPECT_EQ(files.CaptureFileName, "Settings_002.txt");

    // A folder that cannot be made (its parent is a file): a message naming it, nothing kept.
    const QString blocked = first + "/Settings_001.txt/Downloads";
    const SettingsCaptureFiles::Result failed = files.write(blocked, "e");
    EXPECT_FALSE(failed.ok());
    EXPECT_TRUE(failed.error.contains(blocked)) << failed.error.toStdString();
    EXPECT_EQ(files.CaptureFilePath, second + "/Settings_002.txt");
    EXPECT_EQ(QDir(first).entryList(QDir::Files), (QStringList{"Settings_001.txt", "Settings_002.txt"}));
}
