#pragma once

#include "core/app/folder_locations.h"

#include <QWidget>

#include <array>

class QLineEdit;
class QPushButton;

namespace halvana {

class AppSettings;
class ShellServices;

// "Folder Locations": where captures, scripts and settings are kept, with a button to open each
// folder and, for downloads and scripts, to change it.
class FrmUsersFolder : public QWidget {
    Q_OBJECT
public:
    FrmUsersFolder(AppSettings& settings, const AppFolders& folders, ShellServices& shell,
                   QWidget* parent = nullptr);

    void cmdOpen_Click(int index);
    void cmdChange_Click(int index);

private:
    void showFolders();

    AppSettings& m_settings;
    FolderLocations m_locations;
    ShellServices& m_shell;
    std::array<QLineEdit*, 3> txtFolder{};
    std::array<QPushButton*, 3> cmdOpen{};
    std::array<QPushButton*, 3> cmdChange{};
    QPushButton* cmdCancel;
};

} // namespace halvana
