#pragma once

#include "core/app/folder_locations.h"

#include <QDialog>

#include <array>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace halvana {

class AppSettings;
class ShellServices;

// Chooses between the default and a custom folder for downloads or scripts.
class FrmChangeFolder : public QDialog {
    Q_OBJECT
public:
    FrmChangeFolder(int folderIndex, AppSettings& settings, const AppFolders& folders,
                    ShellServices& shell, QWidget* parent = nullptr);

    void cmdSave_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void browseForCustomFolder();

    int m_folderIndex;
    AppSettings& m_settings;
    FolderLocations m_locations;
    ShellServices& m_shell;
    std::array<QRadioButton*, 2> optFolderSelection{};
    std::array<QLineEdit*, 2> txtFolder{};
    QPushButton* cmdBrowse;
    QPushButton* cmdSave;
    QPushButton* cmdCancel;
};

} // namespace halvana
