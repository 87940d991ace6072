#include "core/app/app_settings.h"
#include "core/app/folder_locations.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace halvana;

namespace {

AppFolders testFolders()
{
    AppFolders f;
    f.documentsAppFolder = "/home/u/Documents/Maldorn/HalvanaConfigTool";
    f.appDataFolder = "/home/u/.local/share/Maldorn/HalvanaConfigTool";
    f.programFolder = "/opt/halvana";
    return f;
}

} // namespace

TEST(FolderLocations, SwitchingToDefaultKeepsTheCustomFolderAndTheSettingsFolderStays)
{
    QTemporaryDir dir;
    AppSettings s(dir.filePath("s.ini"));
    FolderLocations f(s, testFolders());
    f.save(0, FolderLocations::CustomFolder, "/data/captures");
    EXPECT_EQ(f.folderInUse(0), "/data/captures");
    EXPECT_EQ(s.property("Downloads_Folder"), "/data/captures");
    EXPECT_EQ(f.storedOption(0), FolderLocations::CustomFolder);

    f.save(0, FolderLocations::DefaultFolder, "/typed/but/not/chosen");
    EXPECT_EQ(f.folderInUse(0), f.defaultFolder(0));
    EXPECT_EQ(f.customFolder(0), "/data/captures");
    EXPECT_EQ(f.storedOption(0), FolderLocations::DefaultFolder);
    // The scripts folder is untouched by a downloads change.
    EXPECT_FALSE(s.contains("Properties", "Scripts_Folder"));
    EXPECT_EQ(f.customFolder(1), "");

    f.save(2, FolderLocations::CustomFolder, "/tmp/x");
    EXPECT_EQ(f.folderInUse(2), testFolders().appDataFolder);
    EXPECT_FALSE(s.contains("frmChangeFolderIdx", "2"));
}
