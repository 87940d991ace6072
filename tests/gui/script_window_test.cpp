#include "core/scripts/modbus_script_runner.h"
#include "core/scripts/script_file_list.h"
#include "gui/capture/capture_commands.h"
#include "gui/scripts/frm_script.h"
#include "gui/scripts/frm_script_grid.h"
#include "gui/scripts/script_wiring.h"
#include "service_terminal_fixture.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

using namespace halvana;
using namespace halvana::test;

namespace {

// The terminal runner window, sending through the service terminal to the simulator's console.
class ScriptWindowTest : public ServiceTerminalTest {
protected:
    void SetUp() override { startSimulator(); }

    QString listFile() const
    {
        return AppFolders::fromSystem().scriptFileListsFolder() + QLatin1Char('/') + ScriptFileList::kListFileName;
    }
    FrmScript* window() const { return polling->scripts().window(); }
    template <typename T> T* control(const char* name) const { return child<T>(window(), name); }
    QStringList commandRows() const
    {
        QStringList rows;
        auto* list = control<QListWidget>("lstSP_Cmds");
        for (int i = 0; i < list->count(); ++i)
            rows << list->item(i)->text();
        return rows;
    }
};

} // namespace

// The stored list and selection come back, the script runs through the terminal into the unit,
// and what the window keeps is written when it closes.
TEST_F(ScriptWindowTest, RunsTheSelectedScriptThroughTheTerminalAndKeepsTheList)
{
    const QString other = writeTempFile(home.path(), "other.txt", "help\r\n");
    const QString script = writeTempFile(home.path(), "restore.txt",
                                         "\r\nmarten\r\nmeter  write 2007 1234\r\nmeter write 2613 4321\r\n"
                                         "meter save\r\n");
    QDir().mkpath(QFileInfo(listFile()).path());
    ASSERT_TRUE(writeFileBytes(listFile(), (other + "\tNever\r\n" + script + "\tNever\r\n").toUtf8()));
    start({{"LoginLevel", "2"}, {"CommPort", "4"}, {"Script_Index_PDU", "1"}, {"Script_Index", "0"},
           {"ScriptDelay1", "30"}});

    menu("mnuRunScript");
    ASSERT_TRUE(window() && terminal()) << "the menu opens the terminal first";
    EXPECT_EQ(window()->ScriptFilePath(), script);
    EXPECT_EQ(commandRows(), (QStringList{"", "marten", "meter  write 2007 1234", "meter write 2613 4321", "meter save"}));
    EXPECT_EQ(control<QLineEdit>("txtDelay0")->text(), QStringLiteral("30"));

    // A file already listed (here by the builder's Run via Terminal) is selected, not listed twice.
    polling->scripts().runScript(other);
    EXPECT_EQ(window()->files().list().count(), 2);
    EXPECT_EQ(commandRows(), QStringList{"help"});
    window()->AddFile(script);
    ASSERT_EQ(window()->files().selected(), 1);

    control<QPushButton>("cmdRun")->click();
    EXPECT_FALSE(control<QPushButton>("cmdRun")->isEnabled());
    ASSERT_TRUE(waitUntil([&] { return !window()->runner().running(); }, 10000));
    ASSERT_TRUE(consoleShows("Register 2613 = 4321"));
    EXPECT_EQ(control<QPlainTextEdit>("rtbTerm")->toPlainText(), terminal()->console().console().text());
    EXPECT_EQ(runCli(sim.connection(), QStringLiteral("read 2007")).out, QStringLiteral("2007\t1234\n"));
    EXPECT_EQ(control<QListWidget>("lstSP_Cmds")->currentRow(), 4);
    const QString lastUsed = control<QTreeWidget>("lvwScriptFiles")->topLevelItem(1)->text(FrmScript::LastUsedColumn);
    EXPECT_NE(lastUsed, QStringLiteral("Never"));

    // Without a terminal nothing can be sent; one opened again is taken up.
    polling->terminal().mnuTerminal_Click();
    ASSERT_EQ(terminal(), nullptr);
    EXPECT_FALSE(control<QPushButton>("cmdSingleStep")->isEnabled());
    polling->terminal().mnuTerminal_Click();
    ASSERT_TRUE(terminal());
    EXPECT_TRUE(control<QPushButton>("cmdRun")->isEnabled());

    // A delay that is not above 0 puts the last good one back at once.
    auto* delay2 = control<QLineEdit>("txtDelay1");
    delay2->selectAll();
    QTest::keyClicks(delay2, QStringLiteral("0"));
    EXPECT_EQ(delay2->text(), QStringLiteral("5000"));
    delay2->selectAll();
    QTest::keyClicks(delay2, QStringLiteral("900"));
    control<QPushButton>("cmdSave")->click();
    control<QPushButton>("cmdExit")->click();
    ASSERT_EQ(window(), nullptr);
    expectStored({"Properties/Script_Index_PDU=1", "Properties/Script_Index=1", "Properties/ScriptDelay2=900"});
    EXPECT_FALSE(storeOnDisk()->value("Script_LV_ColWidth", "5").isEmpty());
    EXPECT_FALSE(storeOnDisk()->value("frmScript", "3").isEmpty());
    EXPECT_EQ(fileBytes(listFile()), (other + "\tNever\r\n" + script + "\t" + lastUsed + "\r\n").toUtf8());
}

namespace {

class ScriptGridWindowTest : public SessionTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(writeFileBytes(programFolder() + "/BCM_Mapping.txt",
                                   "J1-01\t1\t1\r\nJ1-02\t2\t2\r\npage break\r\nJ2-01\t25\t1\r\n"));
        start({{"LoginLevel", "2"}});
        menu("mnuScriptGrid");
        ASSERT_NE(window(), nullptr);
    }

    FrmScriptGrid* window() const { return form->findChild<FrmScriptGrid*>("frmScriptGrid"); }
    template <typename T> T* control(const char* name) const { return child<T>(window(), name); }
    bool enabled(const char* button) const { return control<QPushButton>(button)->isEnabled(); }
};

} // namespace

// The mapping grids fill from the file, a missing settings file is named, the buttons follow
// the text, and a mapping of the selected row lands in the text with one "meter save".
TEST_F(ScriptGridWindowTest, MappingFromTheGridsAndButtonsThatFollowTheText)
{
    EXPECT_TRUE(shell.texts.join('\n').contains("SinglePhaseSettings2.txt")) << qPrintable(shell.texts.join('\n'));
    for (const char* button : {"cmdWriteScript", "cmdMakeReadFile", "cmdRunModbus", "cmdRunScript"})
        EXPECT_FALSE(enabled(button)) << button;

    auto* grid0 = control<QTableWidget>("grdMapping0");
    ASSERT_EQ(grid0->rowCount(), 2);
    EXPECT_EQ(control<QTableWidget>("grdMapping1")->item(0, 1)->text(), "25");
    grid0->selectRow(1);
    control<QPushButton>("cmdAddMapping")->click();
    control<QPushButton>("cmdAddMapping")->click();
    // Map 2 until the unit says otherwise: J1-02 maps the third branch meter.
    EXPECT_EQ(window()->scriptText(), "meter write 2305 2\r\nmeter write 2306 2\r\nmeter write 2320 1\r\n\r\n"
                                      "meter write 2305 2\r\nmeter write 2306 2\r\nmeter write 2320 1\r\n\r\nmeter save\r\n");
    for (const char* button : {"cmdWriteScript", "cmdMakeReadFile", "cmdRunModbus"})
        EXPECT_TRUE(enabled(button)) << button;
    EXPECT_FALSE(enabled("cmdRunScript")) << "nothing saved yet";

    const QString path = home.path() + "/built.txt";
    shell.fileAnswers.push_back(path);
    control<QPushButton>("cmdWriteScript")->click();
    EXPECT_EQ(fileBytes(path), (window()->scriptText() + "\r\n").toLatin1());
    EXPECT_EQ(form->flags().scriptFilename, path);
    EXPECT_TRUE(enabled("cmdRunScript"));
}

// "Create Script" of the differences window writes its text into this window.
TEST_F(ScriptGridWindowTest, CreateScriptWritesIntoTheWindow)
{
    emit session->captures().scriptCreated("\r\nmeter write 2007 5\r\n\r\nmeter save\r\n");
    EXPECT_EQ(window()->scriptText(), "\r\nmeter write 2007 5\r\n\r\nmeter save\r\n");
    control<QPushButton>("cmdMakeReadFile")->click();
    EXPECT_EQ(window()->scriptText(), "\r\nmeter write 2007 5\r\n\r\nmeter save");
    control<QPushButton>("Command1")->click();
    EXPECT_EQ(window()->scriptText(), "meter del\r\n");
}

// "Run Now" lays the script's lines over the text and shows the line in progress; Stop takes
// them away and offers Run Now again.
TEST_F(ScriptGridWindowTest, RunNowShowsTheLinesUntilStopped)
{
    window()->setScriptText("meter write 2007 5\r\nmeter save\r\n");
    auto* lstScript = control<QListWidget>("lstScript");
    for (bool running : {true, false}) {
        control<QPushButton>(running ? "cmdRunModbus" : "cmdStopModbusRun")->click();
        EXPECT_EQ(session->session().scriptRunner().ScriptRunning(), running);
        EXPECT_EQ(lstScript->isHidden(), !running);
        EXPECT_EQ(lstScript->count(), running ? 3 : 0);
        EXPECT_EQ(lstScript->currentRow(), running ? 0 : -1);
        EXPECT_EQ(enabled("cmdRunModbus"), !running);
        EXPECT_EQ(enabled("cmdStopModbusRun"), running);
    }
}
