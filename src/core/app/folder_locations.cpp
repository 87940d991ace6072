#include "core/app/folder_locations.h"

#include "core/app/app_settings.h"

#include <QDir>

namespace halvana {

namespace {

QString inUseKey(int index)
{
    return index == FolderLocations::Downloads ? QStringLiteral("Downloads_Folder")
                                               : QStringLiteral("Scripts_Folder");
}

QString customKey(int index)
{
    return index == FolderLocations::Downloads ? QStringLiteral("Custom_Downloads_Folder")
                                               : QStringLiteral("Custom_Scripts_Folder");
}

const QString kOptionSection = QStringLiteral("frmChangeFolderIdx");

} // namespace

FolderLocations::FolderLocations(AppSettings& settings, AppFolders folders)
    : m_settings(settings), m_folders(std::move(folders))
{
}

QString FolderLocations::defaultFolder(int index) const
{
    switch (index) {
    case Downloads:
        return m_folders.defaultDownloadsFolder();
    case Scripts:
        return m_folders.defaultScriptsFolder();
    default:
        return m_folders.appDataFolder;
    }
}

QString FolderLocations::folderInUse(int index) const
{
    if (!canChange(index))
        return m_folders.appDataFolder;
    const QString stored = m_settings.property(inUseKey(index)).trimmed();
    return stored.isEmpty() ? defaultFolder(index) : QDir::fromNativeSeparators(stored);
}

QString FolderLocations::customFolder(int index) const
{
    return canChange(index) ? m_settings.property(customKey(index)) : QString();
}

FolderLocations::Option FolderLocations::storedOption(int index) const
{
    return m_settings.number(kOptionSection, QString::number(index), 0) == 1 ? CustomFolder
                                                                             : DefaultFolder;
}

QString FolderLocations::changeCaption(int index)
{
    switch (index) {
    case Downloads:
        return QStringLiteral("Change Downloads Folder");
    case Scripts:
        return QStringLiteral("Change Scripts Folder");
    default:
        return QStringLiteral("Change Folder");
    }
}

void FolderLocations::save(int index, Option option, const QString& customText)
{
    if (!canChange(index))
        return;
    QString inUse = defaultFolder(index);
    if (option == CustomFolder) {
        m_settings.setProperty(customKey(index), customText);
        inUse = customText;
    }
    m_settings.setProperty(inUseKey(index), inUse);
    // The dialog opens on the option last saved, so it shows what is in use.
    m_settings.setNumber(kOptionSection, QString::number(index), option);
}

} // namespace halvana
