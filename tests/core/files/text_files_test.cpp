#include "core/files/numbered_file.h"
#include "core/files/text_codec.h"
#include "core/files/text_file.h"
#include "support/file_bytes.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

using namespace halvana;

TEST(NumberedFileName, LowestFreeNumberOrThePreviousNameWhenItWasDeleted)
{
    const struct {
        std::vector<int> present;
        QString previous;
        QString expected;
    } cases[] = {
        {{}, {}, "Settings_001.txt"},
        {{1}, "Settings_001.txt", "Settings_002.txt"},
        {{2}, "Settings_002.txt", "Settings_001.txt"},     // a gap is found from 001
        {{1}, "Settings_002.txt", "Settings_002.txt"},     // the deleted last capture is reused
        {{1, 2}, "/old/folder/Settings_003.txt", "Settings_003.txt"}, // its folder does not count
        {{1, 2, 3}, "Settings_003.txt", "Settings_004.txt"},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        for (int n : c.present)
            QFile(dir.filePath(NumberedFileName::settingsCapture().name(n))).open(QIODevice::WriteOnly);
        EXPECT_EQ(NumberedFileName::settingsCapture().nextFreePath(dir.path(), c.previous), dir.filePath(c.expected))
            << c.expected.toStdString();
    }
    QTemporaryDir dir;
    for (int n = 1; n <= 999; ++n)
        QFile(dir.filePath(NumberedFileName::terminalCapture().name(n))).open(QIODevice::WriteOnly);
    EXPECT_EQ(NumberedFileName::terminalCapture().nextFreeName(dir.path()), "Download_1000.txt");
}

TEST(TextCodec, Windows1252BothWaysAndUtf8OnlyWhenTheBytesAreUtf8)
{
    EXPECT_EQ(toWindows1252(QString::fromUtf8("3ø Meter €–")), QByteArray("3\xf8 Meter \x80\x96"));
    EXPECT_EQ(toWindows1252(QString::fromUtf8("Ω")), QByteArray("?"));
    EXPECT_EQ(fromWindows1252("\xf8\x80\x81"), QString::fromUtf8("ø€\u0081"));

    const struct {
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"3\xf8 Meter", QString::fromUtf8("3ø Meter")},
        {"3\xc3\xb8 Meter", QString::fromUtf8("3ø Meter")},
        {"\xc3", QString::fromUtf8("Ã")}, // a cut UTF-8 sequence is 1252 text
        {"plain", "plain"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decodeFileText(c.bytes), c.text) << c.bytes.toStdString();
}

TEST(TextFile, AFailedWriteNamesThePathAndLeavesTheOldFileAndNoTemporaryFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Settings_001.txt");
    EXPECT_FALSE(writeTextFile1252(path, QString::fromUtf8("3ø\r\n")).has_value());
    EXPECT_EQ(test::fileBytes(path), QByteArray("3\xf8\r\n"));

    // A folder that is a file cannot take a file even for root; a read-only folder can for root.
    const QString underAFile = path + "/Settings_002.txt";
    const std::optional<QString> error = writeTextFile1252(underAFile, "x");
    ASSERT_TRUE(error.has_value());
    EXPECT_TRUE(error->contains(underAFile)) << error->toStdString();
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0500), 0);
        EXPECT_TRUE(writeTextFile1252(path, "new").has_value());
        ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"Settings_001.txt"});
    EXPECT_EQ(readWholeTextFile(path).value(), QString::fromUtf8("3ø\r\n"));
}
