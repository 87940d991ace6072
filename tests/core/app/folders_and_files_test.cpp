#include "core/app/app_folders.h"
#include "core/app/channel_names.h"
#include "core/app/definition_file.h"
#include "support/file_bytes.h"
#include "support/recording_messages.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

#include <sys/stat.h>

using namespace halvana;
using halvana::test::RecordingMessages;
using halvana::test::writeFileBytes;

// Both make every missing level, say true only when they made it, and report nothing.
TEST(Folders, FolderNotFoundAndCreatePathCreateOnceAndReportNothing)
{
    QTemporaryDir dir;
    for (auto create : {&FolderNotFound, &CreatePath}) {
        RecordingMessages messages;
        const QString path = dir.filePath(create == &CreatePath ? "a/b/c" : "Maldorn/HalvanaConfigTool");
        EXPECT_TRUE(create(path, messages));
        EXPECT_TRUE(QFileInfo(path).isDir());
        EXPECT_FALSE(create(path, messages));
        EXPECT_TRUE(messages.texts.isEmpty());
    }
}

TEST(Folders, AFolderThatCannotBeMadeIsNamedInAMessage)
{
    QTemporaryDir dir;
    ASSERT_TRUE(writeFileBytes(dir.filePath("file"), "x"));
    for (auto create : {&FolderNotFound, &CreatePath}) {
        RecordingMessages messages;
        EXPECT_FALSE(create(dir.filePath("file/Downloads"), messages));
        ASSERT_EQ(messages.texts.size(), 1);
        EXPECT_TRUE(messages.texts[0].contains(dir.filePath("file/Downloads")));
    }
}

TEST(Folders, StandardFoldersHangUnderTheCompanyName)
{
    const AppFolders f = AppFolders::fromSystem("/opt/halvana");
    EXPECT_TRUE(f.documentsAppFolder.endsWith("/Maldorn/HalvanaConfigTool"));
    EXPECT_TRUE(f.appDataFolder.endsWith("/Maldorn/HalvanaConfigTool"));
    EXPECT_EQ(f.defaultDownloadsFolder(), f.documentsAppFolder + "/Downloads");
    EXPECT_EQ(f.scriptFileListsFolder(), f.appDataFolder + "/Script_File_Lists");
    EXPECT_EQ(f.programFolder, "/opt/halvana");
}

TEST(ChannelNames, SplitsAtLineEndsAndKeepsAtMost289)
{
    const struct {
        QString text;
        int count;
        int channel;
        QString name;
    } cases[] = {
        {"CB 1\r\nCB 2\r\nCB 3\r\n", 3, 2, "CB 2"},
        {"CB 1\nCB 2", 2, 2, "CB 2"},            // a file saved with bare LF still splits
        {"CB 1\rCB 2\r\r\n", 3, 2, "CB 2"},     // a lone CR ends a line too
        {"first\r\n\r\nthird", 3, 2, ""},          // empty lines keep their numbers
        {"only", 1, 0, ""},                        // channel 0 has no name
        {"only", 1, 2, ""},                        // past the end
        {"", 0, 1, ""},
    };
    for (const auto& c : cases) {
        const ChannelNames names = ChannelNames::fromText(c.text);
        EXPECT_EQ(names.count(), c.count) << c.text.toStdString();
        EXPECT_EQ(names.nameOfChannel(c.channel), c.name) << c.text.toStdString();
    }

    QString many;
    for (int i = 1; i <= 300; ++i)
        many += QStringLiteral("Channel %1\r\n").arg(i);
    const ChannelNames names = ChannelNames::fromText(many);
    EXPECT_EQ(names.count(), 289);
    EXPECT_EQ(names.nameOfChannel(289), "Channel 289");
    EXPECT_EQ(names.nameOfChannel(290), "");
}

// Each wrong file is refused or cut at once, with one message naming it; none may block.
TEST(DefinitionFile, WrongFilesAreRefusedOrCutWithAMessage)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Header.txt");
    const struct {
        const char* what;
        std::function<bool()> make;
        const char* message;
        QStringList lines;
    } cases[] = {
        {"2 MiB file", [&] { return writeFileBytes(path, QByteArray(2 << 20, '\n')); }, "could not be read", {}},
        {"FIFO", [&] { return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0; }, "could not be read", {}},
        {"link to /dev/zero", [&] { return QFile::link("/dev/zero", path); }, "could not be read", {}},
        {"folder", [&] { return QDir().mkdir(path); }, "could not be read", {}},
        {"1 MB line", [&] { return writeFileBytes(path, "1\r\n" + QByteArray(1000000, 'y') + "\r\n3"); }, "Line 2 of",
         {"1", QString(kMaxDefinitionLineLength, 'y'), "3"}},
    };
    for (const auto& c : cases) {
        QFile::remove(path);
        QDir().rmdir(path);
        ASSERT_TRUE(c.make()) << c.what;
        RecordingMessages messages;
        EXPECT_EQ(readDefinitionFileLines(path, messages), c.lines) << c.what;
        ASSERT_EQ(messages.texts.size(), 1) << c.what;
        EXPECT_TRUE(messages.texts[0].contains(c.message) && messages.texts[0].contains(path)) << qPrintable(messages.texts[0]);
    }
}
