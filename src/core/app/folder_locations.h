#pragma once

#include "core/app/app_folders.h"

#include <QString>

namespace halvana {

class AppSettings;

// The folders the user sees in "Folder Locations", by index: 0 downloads, 1 scripts,
// 2 the settings folder (shown, not movable). The folder in use is read from the store each
// time, so a change takes effect at once everywhere.
class FolderLocations {
public:
    enum Index { Downloads = 0, Scripts = 1, Settings = 2 };
    enum Option { DefaultFolder = 0, CustomFolder = 1 };

    FolderLocations(AppSettings& settings, AppFolders folders);

    QString folderInUse(int index) const;
    QString defaultFolder(int index) const;
    QString customFolder(int index) const;
    // The option the dialog starts on ("frmChangeFolderIdx", default "Default").
    Option storedOption(int index) const;
    bool canChange(int index) const { return index == Downloads || index == Scripts; }
    // "Change Downloads Folder", "Change Scripts Folder", or "Change Folder".
    static QString changeCaption(int index);

    // Saves the choice: the custom text is remembered under its own key even while the default
    // is chosen, so the user can switch back. Nothing is stored for the settings folder.
    void save(int index, Option option, const QString& customText);

    const AppFolders& folders() const { return m_folders; }

private:
    AppSettings& m_settings;
    AppFolders m_folders;
};

} // namespace halvana
