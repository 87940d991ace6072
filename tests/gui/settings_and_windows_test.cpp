#include "main_window_fixture.h"

#include "core/app/app_title.h"
#include "core/app/login_level.h"
#include "core/app/password_hash.h"
#include "core/app/serial_port_choice.h"
#include "core/scan/unit_scan.h"
#include "gui/ancillary/frm_users_folder.h"
#include "gui/app/child_window_slot.h"
#include "gui/app/frm_change_password.h"
#include "gui/app/frm_settings.h"

#include <QAction>
#include <QComboBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolTip>

using namespace halvana;
using namespace halvana::test;

namespace {

// PC Setup over a store in TCP mode whose service port has a remembered device and whose
// Modbus line is a device path, as a user who typed one leaves it.
class PcSetupTest : public ::testing::Test {
protected:
    PcSetupTest() : settings(dir.filePath("s.ini"))
    {
        settings.setProperty("Mode", "1");
        settings.setProperty("CommPort", "5");
        settings.setProperty("CommPort2", "/dev/pts/77");
        settings.setValue("SerialPortNames", "5", "/dev/ttyS77");
        EXPECT_TRUE(settings.sync());
    }

    // Opens the dialog, lets `change` edit it, presses Save; true when it was accepted.
    bool save(const std::function<void(FrmSettings&)>& change)
    {
        FrmSettings dialog(settings, storedSlaveID, nullptr, shell);
        change(dialog);
        dialog.cmdSave_Click();
        return dialog.result() == QDialog::Accepted;
    }
    static void type(FrmSettings& d, const char* box, const QString& text)
    {
        d.findChild<QComboBox*>(box)->setCurrentText(text);
    }

    QTemporaryDir dir;
    AppSettings settings;
    FakeShell shell;
    int storedSlaveID = 1;
};

} // namespace

TEST_F(PcSetupTest, UntouchedBoxesKeepTheirValuesAndTheTwoPortsStayApart)
{
    ASSERT_TRUE(save([](FrmSettings&) {}));
    AppSettings disk(dir.filePath("s.ini"));
    EXPECT_EQ(disk.property("CommPort"), "5");
    EXPECT_EQ(disk.property("CommPort2"), "/dev/pts/77");
    EXPECT_EQ(rememberedPortNames(disk), (QMap<int, QString>{{5, "/dev/ttyS77"}}));

    ASSERT_TRUE(save([](FrmSettings& d) { type(d, "cboCommPort2", "/dev/pts/88"); }));
    AppSettings after(dir.filePath("s.ini"));
    const int modbus = after.property("CommPort2").toInt();
    EXPECT_NE(modbus, 5);
    EXPECT_EQ(after.value("SerialPortNames", QString::number(modbus)), "/dev/pts/88");
    EXPECT_EQ(after.property("CommPort"), "5") << "the service port keeps its own device";
    EXPECT_TRUE(shell.texts.isEmpty()) << shell.texts.join('\n').toStdString();
}

TEST_F(PcSetupTest, OneDeviceForBothPortsABadAddressOrASlaveIdOutOfRangeIsRefused)
{
    EXPECT_FALSE(save([](FrmSettings& d) { type(d, "cboCommPort2", "/dev/ttyS77"); }));
    EXPECT_FALSE(save([](FrmSettings& d) { d.findChild<QLineEdit*>("txtIP_Addr")->setText("127.0.0.1:1s"); }));
    EXPECT_FALSE(save([](FrmSettings& d) { d.findChild<QComboBox*>("cboBCM_SlaveID")->setEditText("0"); }));
    ASSERT_EQ(shell.texts.size(), 3);
    EXPECT_TRUE(shell.texts[0].contains(QLatin1String("cannot both be '/dev/ttyS77'")));
    EXPECT_TRUE(shell.texts[1].contains(QLatin1String("'127.0.0.1:1s' is not an address")));
    EXPECT_TRUE(shell.texts[2].contains(QLatin1String("1 to 247")));
    EXPECT_EQ(AppSettings(dir.filePath("s.ini")).property("CommPort2"), "/dev/pts/77");
}

// A unit the scan found is what Save stores: its mode, line or address, speed and ID.
TEST_F(PcSetupTest, AFoundUnitIsSavedWithItsModeLineSpeedAndId)
{
    ASSERT_TRUE(save([](FrmSettings& d) { d.takeFoundUnit({{"/dev/pts/88", 19200, 17}, "02.05.013", 2, {}}); }));
    AppSettings rtu(dir.filePath("s.ini"));
    EXPECT_EQ(rtu.property("Mode"), "0");
    EXPECT_EQ(rtu.value("SerialPortNames", rtu.property("CommPort2")), "/dev/pts/88");
    EXPECT_EQ(rtu.property("Baud"), "1");
    EXPECT_EQ(rtu.property("BCM_SlaveID"), "17");

    ASSERT_TRUE(save([](FrmSettings& d) { d.takeFoundUnit({{"10.0.0.7:5020", 0, 9}, "02.05.013", 2, {}}); }));
    AppSettings tcp(dir.filePath("s.ini"));
    EXPECT_EQ(tcp.property("Mode"), "1");
    EXPECT_EQ(tcp.property("IP_Address"), "10.0.0.7:5020");
    EXPECT_EQ(tcp.property("BCM_SlaveID"), "9");
}

TEST(StoreFailures, APasswordThatCannotBeStoredIsNotChanged)
{
    QTemporaryDir dir;
    ASSERT_TRUE(makeBlockingFile(dir.filePath("notadir")));
    AppSettings settings(dir.filePath("notadir/s.ini"));
    Passwords passwords = Passwords::load(settings);
    FakeShell shell;
    FrmChangePassword dialog(LoginLevel::Administrator, passwords, settings, shell);
    dialog.findChild<QComboBox*>("cboUserName")->setCurrentIndex(1);
    dialog.findChild<QLineEdit*>("txtCurrentPassword")->setText("Otter");
    dialog.findChild<QLineEdit*>("txtNewPassword")->setText("Badger");
    dialog.findChild<QLineEdit*>("txtConfirmNewPassword")->setText("Badger");
    dialog.findChild<QPushButton*>("cmdOK")->click();
    ASSERT_EQ(shell.texts.size(), 1);
    EXPECT_FALSE(shell.texts[0].contains(QLatin1String("successfully")));
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(passwords.matches(LoginLevel::Administrator, "Otter"));
    EXPECT_EQ(settings.property("Password_Admin"), "Otter");
}

TEST_F(MainWindowTest, ANewWindowBesideAMaximisedOneOpensMaximisedAndLaidOut)
{
    MDIForm1& f = start({{"LoginLevel", "2"}});
    QMdiSubWindow* first = openChild("First", {300, 200});
    first->showMaximized();
    EXPECT_EQ(f.windowTitle(), kAppTitle) << "the caption names the program once, as given";

    ChildWindowSlot slot(f, GeometryKeys::numbered("TestPos", 0, 1, 2, 3, 4));
    auto* widget = new QWidget;
    widget->resize(300, 200);
    QMdiSubWindow* second = slot.open(widget);
    EXPECT_TRUE(second->isMaximized());
    EXPECT_GT(widget->width(), f.mdiArea()->viewport()->width() - 20);
    EXPECT_EQ(f.windowTitle(), kAppTitle);
}

TEST_F(MainWindowTest, AGreyedItemSaysWhyInItsTooltip)
{
    MDIForm1& f = start({{"LoginLevel", "0"}});
    QAction* setup = f.menuAction("mnuChangePassword");
    ASSERT_FALSE(setup->isEnabled());
    EXPECT_EQ(setup->statusTip(), "Log in as Administrator or Supervisor to use this.");

    QMenu* file = f.menuAction("mnuFile")->menu();
    file->popup(QPoint(0, 0));
    const QRect item = file->actionGeometry(setup);
    QHelpEvent hover(QEvent::ToolTip, item.center(), file->mapToGlobal(item.center()));
    QApplication::sendEvent(file, &hover);
    EXPECT_EQ(QToolTip::text(), setup->statusTip());
    file->hide();
}

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

// The chosen folder is shown and stored; one that is gone is named instead of opened.
TEST_F(MainWindowTest, FolderLocationsChangeTheDownloadsFolderAndNameAMissingOne)
{
    MDIForm1& f = start({{"LoginLevel", "1"}});
    f.menuAction("mnuUsersFolders")->trigger();
    f.menuAction("mnuUsersFolders")->trigger(); // a second click shows the same window
    ASSERT_EQ(f.mdiArea()->subWindowList().size(), 1);
    auto* window = f.findChildWindow("frmUsersFolder")->findChild<FrmUsersFolder*>();
    ASSERT_NE(window, nullptr);
    auto* shown = window->findChild<QLineEdit*>("txtFolder0");
    EXPECT_EQ(shown->text(), QDir::toNativeSeparators(f.folders().defaultDownloadsFolder()));

    QString caption;
    const QString custom = home.path() + "/captures";
    shell.onDialog = [&caption, custom](QDialog& dialog) {
        caption = dialog.windowTitle();
        dialog.findChild<QLineEdit*>("txtFolder1")->setText(custom);
        dialog.findChild<QRadioButton*>("optFolderSelection1")->setChecked(true);
        dialog.findChild<QPushButton*>("cmdSave")->click();
        return dialog.result();
    };
    window->cmdChange_Click(0);
    EXPECT_EQ(caption, "Change Downloads Folder");
    EXPECT_EQ(shown->text(), QDir::toNativeSeparators(custom));
    EXPECT_EQ(storeOnDisk()->property("Downloads_Folder"), custom);
    EXPECT_EQ(storeOnDisk()->property("Scripts_Folder"), "");

    QDir(custom).removeRecursively();
    shell.texts.clear();
    window->cmdOpen_Click(0);
    EXPECT_TRUE(shell.opened.isEmpty());
    ASSERT_EQ(shell.texts.size(), 1);
    EXPECT_TRUE(shell.texts[0].contains(custom));
    window->cmdOpen_Click(1);
    ASSERT_EQ(shell.opened.size(), 1);
    EXPECT_EQ(shell.opened[0].toLocalFile(), f.folders().defaultScriptsFolder());
}
