#include "core/files/file_list.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace halvana;

TEST(FileList, ListFileAndCheckMarksRoundTrip)
{
    QTemporaryDir dir;
    QFile(dir.filePath("Settings_001.txt")).open(QIODevice::WriteOnly);
    const QString text = dir.path() + "/Settings_001.txt\t2026-01-02 10:00:00\r\n"
                         "C:\\Old\\Settings_007.txt\r\n" + dir.path() + "/a.txt\tNever\r\n"
                         + dir.path() + "/b.txt\tNever\r\n" + dir.path() + "/c.txt\tNever\r\n";
    FileList list;
    EXPECT_TRUE(list.load(text, "0 1 0 0 1"));
    ASSERT_EQ(list.count(), 5);
    EXPECT_EQ(list.entries()[0].folder, dir.path());
    EXPECT_EQ(list.entries()[0].lastUsed, "2026-01-02 10:00:00");
    EXPECT_NE(list.entries()[0].fileDate, FileList::kFileNotFound);
    EXPECT_EQ(list.entries()[1].folder, "C:\\Old");
    EXPECT_EQ(list.entries()[1].fileName, "Settings_007.txt");
    EXPECT_EQ(list.entries()[1].lastUsed, FileList::kNever);
    EXPECT_EQ(list.entries()[1].fileDate, FileList::kFileNotFound);
    EXPECT_EQ(list.checkMarkString(), "0 1 0 0 1 ");
    EXPECT_EQ(list.checkedPositions(), (QList<int>{1, 4}));
    EXPECT_EQ(list.toText(), QString(text).replace("C:\\Old\\Settings_007.txt\r\n", "C:\\Old/Settings_007.txt\tNever\r\n"));

    // Reading stops at an empty line and the check marks are then not restored.
    EXPECT_FALSE(list.load(text.left(text.indexOf("\r\n") + 2) + "\r\n" + dir.path() + "/a.txt\r\n", "1 1"));
    EXPECT_EQ(list.count(), 1);
    EXPECT_FALSE(list.anyChecked());
}

TEST(FileList, TheSelectionAfterRemovals)
{
    const struct {
        int count;
        QList<int> removed;
        int selected;
        int remaining;
    } cases[] = {
        {5, {1}, 1, 4},       // the entry that followed takes the place
        {5, {4}, 3, 4},       // none followed: the last
        {6, {3, 1}, 3, 4},    // the position of the highest removed entry
        {5, {3, 1}, 2, 3},    // ... or the last
        {5, {2, 3, 4}, 1, 2}, // past the end: the last
        {2, {0, 1}, -1, 0},
    };
    for (const auto& c : cases) {
        FileList list;
        for (int i = 0; i < c.count; ++i)
            list.append(QStringLiteral("/f/%1.txt").arg(i));
        EXPECT_EQ(list.remove(c.removed), c.selected);
        EXPECT_EQ(list.count(), c.remaining);
    }
}
