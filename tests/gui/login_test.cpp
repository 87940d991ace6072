#include "main_window_fixture.h"

#include "core/app/password_hash.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

using namespace halvana;
using halvana::test::MainWindowTest;

namespace {

// Fills the login dialog and presses OK, as many times as there are passwords.
std::function<int(QDialog&)> loginWith(int levelIndex, QStringList passwords)
{
    return [levelIndex, passwords](QDialog& dialog) {
        dialog.findChild<QComboBox*>("cboUserName")->setCurrentIndex(levelIndex);
        for (const QString& password : passwords) {
            dialog.findChild<QLineEdit*>("txtPassword")->setText(password);
            dialog.findChild<QPushButton*>("cmdOK")->click();
        }
        return dialog.result();
    };
}

} // namespace

// A cancelled login leaves polling off and the level as it was. A wrong password keeps the dialog
// open (the next OK is the right one) and closes the child windows first.
TEST_F(MainWindowTest, LoginStoresTheLevelAndStartsCommunication)
{
    MDIForm1& f = start({{"LoginLevel", "1"}});
    f.show();
    startCommRequests = 0;
    f.menuAction("mnuLogin")->trigger();
    EXPECT_EQ(shell.dialogs, QStringList{"frmLogin"});
    EXPECT_EQ(f.loginLevel(), LoginLevel::Administrator);
    EXPECT_TRUE(f.pollingDisabled());
    EXPECT_TRUE(f.StatusBar2()->isVisibleTo(&f));
    EXPECT_EQ(f.statusPanel("PollingStatus")->text(), "Polling is Disabled  ");
    EXPECT_EQ(startCommRequests, 0);

    openChild("Meter Info", {300, 200});
    int afterWrongPassword = -1;
    shell.onDialog = [&afterWrongPassword](QDialog& dialog) {
        afterWrongPassword = loginWith(2, {"Otter"})(dialog);
        return loginWith(2, {"Heron"})(dialog);
    };
    f.menuAction("mnuLogin")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(afterWrongPassword, QDialog::Rejected);
    EXPECT_TRUE(f.mdiArea()->subWindowList().isEmpty());
    EXPECT_EQ(shell.titles, QStringList{"Login"});
    EXPECT_EQ(shell.texts, QStringList{"Invalid password!\nPlease try again."});
    EXPECT_EQ(f.loginLevel(), LoginLevel::Supervisor);
    EXPECT_EQ(f.statusPanel("Status")->text(), "User: Supervisor  ");
    EXPECT_EQ(storeOnDisk()->property("LoginLevel"), "2");
    EXPECT_TRUE(isHashedPassword(storeOnDisk()->property("Password_Super")));
    EXPECT_EQ(startCommRequests, 1);
    EXPECT_FALSE(f.pollingDisabled());
    EXPECT_FALSE(f.StatusBar2()->isVisibleTo(&f));
    EXPECT_TRUE(f.menuAction("mnuService")->isEnabled());
}

TEST_F(MainWindowTest, LogoutAsksFirstThenClearsTheLevelDisconnectsAndCloses)
{
    MDIForm1& f = start({{"LoginLevel", "2"}});
    f.show();
    int disconnects = 0;
    QObject::connect(&f, &MDIForm1::DisconnectRequested, [&disconnects] { ++disconnects; });
    shell.answers = {false, true};
    f.menuAction("mnuLogout")->trigger();
    ASSERT_EQ(shell.questions.size(), 1);
    EXPECT_EQ(shell.questions[0], "BCM Config Logout|Do you really want to logout?\nThe program will also close.");
    EXPECT_FALSE(shell.questionDefaults[0]);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.loginLevel(), LoginLevel::Supervisor);
    EXPECT_EQ(disconnects, 0);

    f.menuAction("mnuLogout")->trigger();
    EXPECT_EQ(disconnects, 1);
    EXPECT_EQ(shell.texts, QStringList{"You have logged out.\nThe program will now close."});
    EXPECT_FALSE(f.isVisible());
    auto s = storeOnDisk();
    EXPECT_TRUE(s->contains("Properties", "LoginLevel"));
    EXPECT_EQ(s->property("LoginLevel"), "");
}

TEST_F(MainWindowTest, ChangedPasswordIsStoredAndUsedByTheNextLogin)
{
    MDIForm1& f = start({{"LoginLevel", "1"}});
    shell.onDialog = [](QDialog& dialog) {
        dialog.findChild<QComboBox*>("cboUserName")->setCurrentIndex(1);
        dialog.findChild<QLineEdit*>("txtCurrentPassword")->setText("Otter");
        dialog.findChild<QLineEdit*>("txtNewPassword")->setText("Badger");
        dialog.findChild<QLineEdit*>("txtConfirmNewPassword")->setText("Badgr");
        dialog.findChild<QPushButton*>("cmdOK")->click();
        EXPECT_TRUE(dialog.findChild<QLineEdit*>("txtNewPassword")->text().isEmpty());
        dialog.findChild<QLineEdit*>("txtNewPassword")->setText("Badger");
        dialog.findChild<QLineEdit*>("txtConfirmNewPassword")->setText("Badger");
        dialog.findChild<QPushButton*>("cmdOK")->click();
        return dialog.result();
    };
    f.menuAction("mnuChangePassword")->trigger();
    EXPECT_EQ(shell.titles, (QStringList{"Password Change", "Password Change"}));
    EXPECT_EQ(shell.texts.last(), "The password was successfully changed.");
    EXPECT_TRUE(passwordMatches(storeOnDisk()->property("Password_Admin"), "Badger"));

    shell.onDialog = loginWith(1, {"Otter", "Badger"});
    f.menuAction("mnuLogin")->trigger();
    EXPECT_EQ(f.loginLevel(), LoginLevel::Administrator);
    EXPECT_EQ(shell.texts.last(), "Invalid password!\nPlease try again.");
}
