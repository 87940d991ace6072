#include "core/app/app_folders.h"
#include "core/app/app_settings.h"
#include "core/app/serial_port_choice.h"
#include "core/app/shell_settings.h"
#include "support/recording_messages.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace halvana;
using halvana::test::RecordingMessages;

TEST(ShellSettings, FlagsRoundTripUnderTheirKeys)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.ini");
    ShellFlags f;
    f.columnWidthLayout = true;
    f.meterTableOpen[3] = true;
    f.meterTableOpen[10] = true;
    f.panelViewOpen[1] = true;
    f.systemSettingsOpen = true;
    f.dataSpyEnabled = true;
    f.pollingDisabled = true;
    f.scriptFilename = "/tmp/a script.txt";
    {
        AppSettings s(path);
        f.write(s);
        setMainFormTerminalOpen(s, true);
        ASSERT_TRUE(s.sync());
    }
    AppSettings s(path);
    const ShellFlags r = ShellFlags::read(s);
    EXPECT_EQ(r.meterTableOpen, f.meterTableOpen);
    EXPECT_EQ(r.panelViewOpen, f.panelViewOpen);
    EXPECT_TRUE(r.columnWidthLayout && r.systemSettingsOpen && r.dataSpyEnabled && r.pollingDisabled);
    EXPECT_FALSE(r.terminalEnabled);
    EXPECT_EQ(r.scriptFilename, f.scriptFilename);
    EXPECT_TRUE(mainFormTerminalOpen(s));
    EXPECT_EQ(s.value("MeterTableWindowOpenFlag", "3"), "True");
    EXPECT_EQ(s.value("BCM_PnlBraRdgsOpenFlag", "0"), "False");
    EXPECT_EQ(s.value("MainFormPosition", "5"), "True");
}

TEST(ShellSettings, AFolderThatCannotBeMadeIsNamed)
{
    test::TempHome home;
    RecordingMessages messages;
    const AppFolders folders = AppFolders::fromSystem(home.path());
    // A file where the downloads folder's parent should be.
    QFile blocker(home.path() + "/blocker");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    createProgramFolders(folders, home.path() + "/blocker/Downloads", folders.defaultScriptsFolder(), messages);
    EXPECT_TRUE(messages.all().contains(home.path() + "/blocker/Downloads")) << messages.all().toStdString();
    EXPECT_TRUE(QFileInfo(folders.defaultScriptsFolder()).isDir());
}

TEST(ShellSettings, AStoreThatCannotBeWrittenIsReportedByPath)
{
    QTemporaryDir dir;
    RecordingMessages messages;
    // The store's folder is a file, so nothing can be written beneath it.
    ASSERT_TRUE(test::makeBlockingFile(dir.filePath("notadir")));
    AppSettings s(dir.filePath("notadir/s.ini"));
    s.setProperty("Mode", "1");
    s.setProperty("Password_Admin", "new");
    s.setProperty("Password_Admin", "newer");
    EXPECT_FALSE(saveSettings(s, messages));
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(dir.filePath("notadir/s.ini")));
    // What the program goes on with is what the next start reads: the defaults.
    EXPECT_EQ(s.property("Mode"), "0");
    EXPECT_EQ(s.property("Password_Admin"), "Otter");
    EXPECT_FALSE(s.contains(AppSettings::kProperties, "Mode"));
}

TEST(SerialPortChoice, NumbersStayStableAndNeverStealAnotherDevicesNumber)
{
    const QStringList available = {"ttyS0", "ttyUSB0", "ttyUSB1"};
    const struct {
        const char* name;
        QString device;
        QMap<int, QString> remembered;
        int expected;
        QSet<int> reserved = {};
    } cases[] = {
        {"listed device takes its place in the list", "ttyUSB0", {}, 2},
        {"a remembered device keeps its number", "ttyUSB0", {{7, "ttyUSB0"}}, 7},
        {"a listed place held by another device is not taken", "ttyUSB1", {{3, "/dev/pts/4"}}, 4},
        {"a typed path goes past the list", "/dev/pts/5", {}, 4},
        {"past the list, taken numbers are skipped", "/dev/pts/5", {{4, "/dev/pts/4"}, {5, "ttyACM0"}}, 6},
        {"the other port's number is skipped", "/dev/pts/5", {}, 5, {4}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(portNumberForDevice(c.device, c.remembered, available, c.reserved), c.expected) << c.name;
}

