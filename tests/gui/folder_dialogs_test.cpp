#include "gui/ancillary/frm_users_folder.h"
#include "main_window_fixture.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace halvana;
using halvana::test::MainWindowTest;

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
