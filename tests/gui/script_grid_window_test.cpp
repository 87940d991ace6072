#include "gui/capture/capture_commands.h"
#include "core/scripts/modbus_script_runner.h"
#include "core/session/unit_session.h"
#include "gui/scripts/frm_script_grid.h"
#include "main_window_fixture.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

using namespace halvana;
using namespace halvana::test;

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
    template <typename T> T* child(const char* name) const { return SessionTest::child<T>(window(), name); }
    bool enabled(const char* button) const { return child<QPushButton>(button)->isEnabled(); }
};

} // namespace

// The mapping grids fill from the file, a missing settings file is named, the buttons follow
// the text, and a mapping of the selected row lands in the text with one "meter save".
TEST_F(ScriptGridWindowTest, MappingFromTheGridsAndButtonsThatFollowTheText)
{
    EXPECT_EQ(window()->windowTitle(), "Create Scripts");
    EXPECT_TRUE(shell.texts.join('\n').contains("SinglePhaseSettings2.txt")) << qPrintable(shell.texts.join('\n'));
    EXPECT_EQ(child<QPushButton>("cmdAdd")->text(), "Add Setting");
    EXPECT_EQ(child<QPushButton>("cmdRunScript")->text(), "Run via Terminal");
    for (const char* button : {"cmdWriteScript", "cmdMakeReadFile", "cmdRunModbus", "cmdRunScript"})
        EXPECT_FALSE(enabled(button)) << button;

    auto* grid0 = child<QTableWidget>("grdMapping0");
    ASSERT_EQ(grid0->rowCount(), 2);
    EXPECT_EQ(child<QTableWidget>("grdMapping1")->item(0, 1)->text(), "25");
    grid0->selectRow(1);
    child<QPushButton>("cmdAddMapping")->click();
    child<QPushButton>("cmdAddMapping")->click();
    // Map 2 until the unit says otherwise: J1-02 maps the third branch meter.
    EXPECT_EQ(window()->scriptText(), "meter write 2305 2\r\nmeter write 2306 2\r\nmeter write 2320 1\r\n\r\n"
                                      "meter write 2305 2\r\nmeter write 2306 2\r\nmeter write 2320 1\r\n\r\nmeter save\r\n");
    for (const char* button : {"cmdWriteScript", "cmdMakeReadFile", "cmdRunModbus"})
        EXPECT_TRUE(enabled(button)) << button;
    EXPECT_FALSE(enabled("cmdRunScript")) << "nothing saved yet";

    const QString path = home.path() + "/built.txt";
    shell.fileAnswers.push_back(path);
    child<QPushButton>("cmdWriteScript")->click();
    EXPECT_EQ(fileBytes(path), (window()->scriptText() + "\r\n").toLatin1());
    EXPECT_EQ(form->flags().scriptFilename, path);
    EXPECT_TRUE(enabled("cmdRunScript"));
}

// "Create Script" of the differences window writes its text into this window.
TEST_F(ScriptGridWindowTest, CreateScriptWritesIntoTheWindow)
{
    emit session->captures().scriptCreated("\r\nmeter write 2007 5\r\n\r\nmeter save\r\n");
    EXPECT_EQ(window()->scriptText(), "\r\nmeter write 2007 5\r\n\r\nmeter save\r\n");
    child<QPushButton>("cmdMakeReadFile")->click();
    EXPECT_EQ(window()->scriptText(), "\r\nmeter write 2007 5\r\n\r\nmeter save");
    child<QPushButton>("Command1")->click();
    EXPECT_EQ(window()->scriptText(), "meter del\r\n");
}

// "Run Now" lays the script's lines over the text and shows the line in progress; Stop takes
// them away and offers Run Now again.
TEST_F(ScriptGridWindowTest, RunNowShowsTheLinesUntilStopped)
{
    window()->setScriptText("meter write 2007 5\r\nmeter save\r\n");
    child<QPushButton>("cmdRunModbus")->click();
    auto* lstScript = child<QListWidget>("lstScript");
    EXPECT_TRUE(session->session().scriptRunner().ScriptRunning());
    EXPECT_FALSE(lstScript->isHidden());
    ASSERT_EQ(lstScript->count(), 3);
    EXPECT_EQ(lstScript->currentRow(), 0);
    EXPECT_FALSE(enabled("cmdRunModbus"));
    EXPECT_TRUE(enabled("cmdStopModbusRun"));

    child<QPushButton>("cmdStopModbusRun")->click();
    EXPECT_FALSE(session->session().scriptRunner().ScriptRunning());
    EXPECT_TRUE(lstScript->isHidden());
    EXPECT_EQ(lstScript->count(), 0);
    EXPECT_TRUE(enabled("cmdRunModbus"));
    EXPECT_FALSE(enabled("cmdStopModbusRun"));
}
