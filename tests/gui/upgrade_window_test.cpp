#include "core/upgrade/upgrade_sequence.h"
#include "gui/upgrade/frm_upgrade.h"
#include "gui/upgrade/upgrade_wiring.h"
#include "service_terminal_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

using namespace halvana;
using namespace halvana::test;

namespace {

// The upgrade window with the service terminal on the simulator's service port, logged in.
class UpgradeWindowTest : public ServiceTerminalTest {
protected:
    void SetUp() override
    {
        startSimulator({QStringLiteral("--upgrade-dir"), home.path()});
        if (HasFatalFailure())
            return;
        start({{"LoginLevel", "2"}, {"CommPort", "4"}});
        polling->upgrade().mnuUpgrade_Click();
        ASSERT_TRUE(window() && terminal());
        ASSERT_TRUE(consoleShows("Password: "));
        terminal()->console().Send_SP_Command(QStringLiteral("marten"));
        ASSERT_TRUE(consoleShows("HALVANA> "));
    }

    FrmUpgrade* window() const { return polling->upgrade().window(); }
    template <typename T> T* control(const char* name) const { return child<T>(window(), name); }
    QString status() const { return control<QPlainTextEdit>("txtFileTransferStatus")->toPlainText(); }
    QString writeImage(const QByteArray& bytes)
    {
        return writeTempFile(home.path(), QStringLiteral("image.bin"), bytes);
    }
};

} // namespace

TEST_F(UpgradeWindowTest, TheImageGoesThroughTheTerminalsPortAndTheWindowStaysWithTheOutcome)
{
    const QByteArray image(600, 'f');
    control<QComboBox>("cboFile")->setEditText(writeImage(image));
    EXPECT_EQ(control<QLineEdit>("txtEstimatedTime")->text(), QStringLiteral("00:01"));
    window()->cmdUpgrade_Click(0);
    EXPECT_FALSE(control<QPushButton>("cmdExit")->isEnabled());
    ASSERT_TRUE(waitUntil([&] { return control<QProgressBar>("prgBlocks")->value() >= 1; }));
    EXPECT_EQ(control<QProgressBar>("prgBlocks")->maximum(), 5);
    // The terminal closed half-way leaves the port to the transfer.
    polling->terminal().mnuTerminal_Click();
    ASSERT_EQ(terminal(), nullptr);
    ASSERT_TRUE(waitUntil([&] { return !window()->sequence().isBusy(); }, 10000)) << qPrintable(status());

    EXPECT_EQ(status(), QStringLiteral("File transfer succeeded!"));
    EXPECT_EQ(fileBytes(home.path() + QStringLiteral("/MCB.bin")), image + QByteArray(40, 0x1A));
    EXPECT_TRUE(shell.texts.contains(FrmUpgrade::kSucceededMessage)) << qPrintable(shell.texts.join('\n'));
    EXPECT_FALSE(service->isOpen());
    EXPECT_TRUE(control<QPushButton>("cmdUpgrade0")->isEnabled());

    // The menu opens the terminal again, and leaves it open the second time.
    polling->upgrade().mnuUpgrade_Click();
    ASSERT_NE(terminal(), nullptr);
    polling->upgrade().mnuUpgrade_Click();
    ASSERT_NE(terminal(), nullptr);
}

TEST_F(UpgradeWindowTest, ClosingDuringATransferAsksThenCancelsAndHandsThePortBack)
{
    control<QComboBox>("cboFile")->setEditText(writeImage(QByteArray(4000, 'g')));
    window()->cmdUpgrade_Click(2);
    ASSERT_TRUE(waitUntil([&] { return control<QProgressBar>("prgBlocks")->value() >= 2; }));
    shell.answers = {false};
    subWindowOf(window())->close();
    ASSERT_NE(window(), nullptr) << "No keeps the window";
    EXPECT_TRUE(shell.questions.last().endsWith(FrmUpgrade::kCloseQuery));
    shell.answers = {true};
    subWindowOf(window())->close();
    EXPECT_EQ(window(), nullptr);
    EXPECT_TRUE(form->statusPanel(QStringLiteral("CommMsg"))->text().startsWith("The upgrade is being canceled."));
    // CAN CAN reached the unit; its answer shows in the terminal, which has its port again.
    ASSERT_TRUE(consoleShows("Upgrade canceled"));
    EXPECT_EQ(service->baudRate(), TerminalConsole::kBaud);
    EXPECT_FALSE(QFile::exists(home.path() + QStringLiteral("/TIB.bin")));
}

TEST_F(UpgradeWindowTest, FilesAreCheckedBeforeAnythingIsSent)
{
    const QString empty = writeImage(QByteArray());
    shell.texts.clear();
    window()->dropFiles({home.path() + "/a.BIN", empty, home.path() + "/old.bin.old"});
    EXPECT_EQ(shell.texts, QStringList{FrmUpgrade::kWrongType});
    EXPECT_EQ(control<QComboBox>("cboFile")->currentText(), home.path() + "/old.bin.old");
    control<QComboBox>("cboFile")->setEditText(empty);
    window()->cmdUpgrade_Click(0);
    EXPECT_FALSE(window()->sequence().isBusy());
    EXPECT_TRUE(shell.texts.last().contains(QStringLiteral("'") + empty + QStringLiteral("' is empty")));
    EXPECT_TRUE(control<QPushButton>("cmdExit")->isEnabled());

    window()->cmdAddFile_Click();
    subWindowOf(window())->close();
    start({});
    polling->upgrade().mnuUpgrade_Click();
    EXPECT_EQ(control<QComboBox>("cboFile")->currentText(), empty) << "the list and its index are kept";
}
