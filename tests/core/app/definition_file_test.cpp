#include "core/app/definition_file.h"
#include "support/recording_messages.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

#include <sys/stat.h>

using namespace halvana;
using halvana::test::RecordingMessages;

TEST(DefinitionFile, LinesEndAtCrLfALoneCrOrALoneLf)
{
    EXPECT_EQ(splitLines("a\r\nb\rc\nd"), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines("a\r\r\nb\n\n"), (QStringList{"a", "", "b", ""}));
    EXPECT_EQ(splitLines("a\r"), (QStringList{"a"}));
    EXPECT_EQ(splitLines(""), QStringList());
}

// Each wrong file is refused or cut at once, with a message naming it; nothing here may block.
TEST(DefinitionFile, WrongFilesAreRefusedOrCutWithAMessage)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Header.txt");
    const auto writeFile = [&path](const QByteArray& bytes) {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    };
    const struct {
        const char* what;
        std::function<bool()> make;
        const char* message;
        QStringList lines;
    } cases[] = {
        {"2 MiB file", [&] { return writeFile(QByteArray(2 * 1024 * 1024, 'x')); }, "could not be read", {}},
        {"file one byte over the bound", [&] { return writeFile(QByteArray(kMaxDefinitionFileBytes + 1, '\n')); },
         "could not be read", {}},
        {"FIFO", [&] { return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0; }, "could not be read", {}},
        {"link to /dev/zero", [&] { return QFile::link("/dev/zero", path); }, "could not be read", {}},
        {"folder", [&] { return QDir().mkdir(path); }, "could not be read", {}},
        {"dangling link", [&] { return QFile::link(dir.filePath("gone"), path); }, "was not found", {}},
        {"1 MB line", [&] { return writeFile("2001\tfirst\r\n" + QByteArray(1000000, 'y') + "\r\n2003\tthird"); },
         "Line 2 of the definition file", {"2001\tfirst", QString(kMaxDefinitionLineLength, 'y'), "2003\tthird"}},
        {"two long lines", [&] { return writeFile(QByteArray(5000, 'a') + "\n" + QByteArray(4097, 'b')); },
         "Lines 1, 2 of", {QString(4096, 'a'), QString(4096, 'b')}},
    };
    for (const auto& c : cases) {
        QFile::remove(path);
        QDir().rmdir(path);
        ASSERT_TRUE(c.make()) << c.what;
        RecordingMessages messages;
        EXPECT_EQ(readDefinitionFileLines(path, messages), c.lines) << c.what;
        ASSERT_EQ(messages.texts.size(), 1) << c.what;
        EXPECT_TRUE(messages.texts[0].contains(c.message)) << c.what << ": " << qPrintable(messages.texts[0]);
        EXPECT_TRUE(messages.texts[0].contains(QFileInfo(path).absoluteFilePath())) << c.what;
    }
}

TEST(DefinitionFile, AFileAtTheBoundIsReadWhole)
{
    QTemporaryDir dir;
    QFile f(dir.filePath("BCM_Channels.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QByteArray bytes(kMaxDefinitionFileBytes, 'n');
    for (qint64 i = 99; i < bytes.size(); i += 100)
        bytes[i] = '\n';
    f.write(bytes);
    f.close();
    RecordingMessages messages;
    EXPECT_EQ(readDefinitionFileLines(f.fileName(), messages).size(), kMaxDefinitionFileBytes / 100 + 1);
    EXPECT_TRUE(messages.texts.isEmpty());
}
