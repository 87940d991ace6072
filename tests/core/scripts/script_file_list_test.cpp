#include "core/app/app_settings.h"
#include "core/scripts/script_file_list.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace halvana;

// AddFile finds a listed script however its path is written; the selection is kept under both
// keys and read back from "Script_Index_PDU".
TEST(ScriptFileList, AddFileSelectsAListedScriptAndTheSelectionIsKept)
{
    QTemporaryDir dir;
    AppSettings settings(dir.filePath("store.ini"));
    ScriptFileList files(dir.filePath("lists"));
    files.load(settings);
    EXPECT_EQ(files.selected(), -1);
    EXPECT_EQ(files.selectedPath(), QString());

    const QString a = dir.filePath("a.txt");
    const QString b = dir.filePath("b.txt");
    const struct {
        QString path;
        int selected;
        int count;
    } adds[] = {{a, 0, 1}, {b, 1, 2}, {dir.path() + "/./a.txt", 0, 2}, {QDir::toNativeSeparators(b), 1, 2}};
    for (const auto& add : adds) {
        EXPECT_EQ(files.addFile(add.path), add.selected) << qPrintable(add.path);
        EXPECT_EQ(files.list().count(), add.count);
    }
    files.markUsed(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
    ASSERT_EQ(files.save(settings), QString());
    EXPECT_EQ(settings.value("Properties", "Script_Index"), "1");

    settings.setValue("Properties", "Script_Index", "0");
    ScriptFileList again(dir.filePath("lists"));
    again.load(settings);
    EXPECT_EQ(again.selectedPath(), b);
    EXPECT_EQ(again.list().entries()[0].lastUsed, FileList::kNever);
    EXPECT_NE(again.list().entries()[1].lastUsed, FileList::kNever);
    again.remove({1});
    EXPECT_EQ(again.selectedPath(), a);
}
