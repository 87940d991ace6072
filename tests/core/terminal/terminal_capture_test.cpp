#include "core/terminal/terminal_capture.h"
#include "support/file_bytes.h"
#include "support/recording_messages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace halvana {
namespace {

TEST(TerminalCapture, WritesWhatCameWithPasswordsMaskedWhileMasking)
{
    QTemporaryDir dir;
    test::RecordingMessages messages;
    TerminalCapture capture(messages);
    const QString folder = dir.filePath(QStringLiteral("Downloads/unit 7"));
    ASSERT_TRUE(capture.start(folder)) << "a missing folder is made";
    for (const char* block : {"Password: p", "lov", "er\r\n\x1b[0m", "\xf8 thr"})
        capture.write(QString::fromLatin1(block), true);
    capture.write(QStringLiteral("ush marten"), false);
    EXPECT_FALSE(QFile::exists(capture.filePath())) << "the file appears whole when the capture stops";
    ASSERT_TRUE(capture.stop());
    EXPECT_EQ(test::fileBytes(capture.filePath()), QByteArray("Password: ******\r\n\x1b[0m\xf8 thrush marten"));
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST(TerminalCapture, RenamesInPlaceOrSaysWhyNot)
{
    QTemporaryDir dir;
    ASSERT_TRUE(test::writeFileBytes(dir.filePath(QStringLiteral("taken.txt")), {}));
    test::RecordingMessages messages;
    TerminalCapture capture(messages);
    ASSERT_TRUE(capture.start(dir.path()));
    capture.write(QStringLiteral("data"), false);
    capture.stop();

    const struct {
        const char* name;
        const char* message;
    } refused[] = {
        {"", nullptr},
        {".txt", "Filename must end with '.txt'."},
        {"unit7.csv", "Filename must end with '.txt'."},
        {"taken.txt", "A file named \"taken.txt\" exists already."},
        {"../up.txt", "Please enter a file name without a folder."},
    };
    for (const auto& c : refused) {
        messages.texts.clear();
        EXPECT_FALSE(capture.rename(QLatin1String(c.name))) << c.name;
        EXPECT_EQ(messages.texts, c.message ? QStringList{QLatin1String(c.message)} : QStringList()) << c.name;
    }
    EXPECT_TRUE(capture.rename(QStringLiteral("unit7.txt")));
    EXPECT_EQ(capture.filePath(), dir.filePath(QStringLiteral("unit7.txt")));
    EXPECT_EQ(test::fileBytes(capture.filePath()), QByteArray("data"));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("Download_001.txt"))));
}

} // namespace
} // namespace halvana
