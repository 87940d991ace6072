#include "core/app/app_folders.h"

#include "core/app/app_title.h"
#include "core/app/message_sink.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace halvana {

namespace {

const QString kCompanyAndProduct = QStringLiteral("/Maldorn/HalvanaConfigTool");

void reportFolderFailure(const QString& path, MessageSink& messages)
{
    messages.showMessage(MessageSink::Severity::Warning, kAppTitle,
                         QStringLiteral("The folder '%1' could not be created.\n"
                                        "Files that belong there cannot be saved until it exists.")
                             .arg(QDir::cleanPath(path)));
}

} // namespace

AppFolders AppFolders::fromSystem(const QString& dataDir)
{
    AppFolders folders;
    folders.documentsAppFolder =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + kCompanyAndProduct;
    folders.appDataFolder =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + kCompanyAndProduct;
    folders.programFolder = dataDir.isEmpty() ? QCoreApplication::applicationDirPath()
                                              : QFileInfo(dataDir).absoluteFilePath();
    return folders;
}

bool FolderNotFound(const QString& path, MessageSink& messages)
{
    if (QFileInfo(path).isDir())
        return false;
    if (QDir().mkpath(path))
        return true;
    reportFolderFailure(path, messages);
    return false;
}

bool CreatePath(const QString& path, MessageSink& messages)
{
    const QString clean = QDir::cleanPath(QDir::fromNativeSeparators(path));
    const QStringList parts = clean.split(QLatin1Char('/'));
    QString current;
    bool created = false;
    for (int i = 0; i < parts.size(); ++i) {
        current = i == 0 ? parts[i] : current + QLatin1Char('/') + parts[i];
        if (current.isEmpty() || QFileInfo(current).isDir())
            continue;
        if (!QDir().mkdir(current)) {
            reportFolderFailure(clean, messages);
            return created;
        }
        created = true;
    }
    return created;
}

} // namespace halvana
