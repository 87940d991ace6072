#pragma once

#include <QString>

namespace halvana {

class MessageSink;

// The program's folders. Paths use '/' whatever the platform.
struct AppFolders {
    QString documentsAppFolder;   // documents + /Maldorn/HalvanaConfigTool
    QString appDataFolder;        // generic data location + /Maldorn/HalvanaConfigTool
    QString programFolder;        // where the definition files are
    QString defaultDownloadsFolder() const { return documentsAppFolder + QStringLiteral("/Downloads"); }
    QString defaultScriptsFolder() const { return documentsAppFolder + QStringLiteral("/Scripts"); }
    QString downloadFileListsFolder() const { return appDataFolder + QStringLiteral("/Download_File_Lists"); }
    QString scriptFileListsFolder() const { return appDataFolder + QStringLiteral("/Script_File_Lists"); }

    // From the desktop's standard locations; programFolder is dataDir, or the executable's folder.
    static AppFolders fromSystem(const QString& dataDir = {});
};

// Creates the folder (with any missing parents) when it does not exist. True when it was created;
// a folder that cannot be made is reported through the sink, naming it, and gives false.
bool FolderNotFound(const QString& path, MessageSink& messages);

// Creates each missing folder along the path; true if any was created. Failures are reported.
bool CreatePath(const QString& path, MessageSink& messages);

} // namespace halvana
