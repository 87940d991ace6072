#include "core/app/app_settings.h"

#include "support/file_bytes.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

using halvana::AppSettings;
using halvana::test::fileBytes;
using halvana::test::writeFileBytes;

TEST(AppSettings, EmptyStoreGivesTheKeyTableDefaults)
{
    QTemporaryDir dir;
    AppSettings s(dir.filePath("s.ini"));
    const std::pair<const char*, const char*> expected[] = {
        {"LoginLevel", ""},        {"Password_Default", "Kestrel"}, {"Password_Admin", "Otter"},
        {"Password_Super", "Heron"}, {"Mode", "0"},                 {"Baud", "4"},
        {"CommPort", "4"},         {"CommPort2", "3"},              {"BCM_SlaveID", "1"},
        {"IP_Address", "127.0.0.1"}, {"PollingDisabled", "False"},  {"BCM_ColWidthFlag", "False"},
    };
    for (const auto& [key, value] : expected)
        EXPECT_EQ(s.property(key), QString::fromLatin1(value)) << key;
}

TEST(AppSettings, FlagTextsAndNumbers)
{
    const struct {
        const char* text;
        bool defaultValue;
        bool expected;
    } cases[] = {
        {"True", false, true}, {"False", true, false}, {"0", true, false},  {"-1", false, true},
        {"1", false, true},    {"", true, true},       {"junk", false, false}, {" True ", false, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AppSettings::parseFlag(c.text, c.defaultValue), c.expected) << c.text;
}

TEST(AppSettings, ReadOnlyStoreReportsItsPathAndKeepsWhatWasStored)
{
    // A clean file, and one whose malformed line leaves QSettings a format error from reading.
    for (const QByteArray& stored : {QByteArray("[Properties]\nMode=1\n"), QByteArray("[Broken\nMode=1\n")}) {
        QTemporaryDir dir;
        const QString path = dir.filePath("s.ini");
        ASSERT_TRUE(writeFileBytes(path, stored));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadUser);
        if (QFileInfo(path).isWritable())
            GTEST_SKIP() << "running with privileges that ignore file permissions";
        AppSettings s(path);
        s.setProperty("Mode", "0");
        EXPECT_FALSE(s.sync()) << stored.constData();
        EXPECT_TRUE(s.errorText().contains(path));
        // Read from the file itself: QSettings objects in one process share what is pending.
        EXPECT_EQ(fileBytes(path), stored);
    }
}

// What is wrong with the file is named once, at load; a malformed file is written anew at the
// next save, one that cannot be read (a FIFO must not block) is left alone.
TEST(AppSettings, AFileThatCannotBeReadAsItStandsIsNamedAtLoadAndDoesNotFailTheSave)
{
    const struct {
        const char* content; // "folder", "FIFO": made so
        const char* problem;
    } cases[] = {
        {"[Broken\nMode=1\n", "Line 1 of"}, {"Mode=1\n\x01\xff=\x02\n[x", "Line 2 of"},
        {"folder", "could not be read"},     {"FIFO", "could not be read"},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath("s.ini");
        const QByteArray content = c.content;
        const bool usable = content != "folder" && content != "FIFO";
        ASSERT_TRUE(usable ? writeFileBytes(path, content) : content == "folder" ? QDir().mkdir(path) : !::mkfifo(qPrintable(path), 0600));
        AppSettings s(path);
        EXPECT_EQ(s.problems().size(), 1) << c.content;
        EXPECT_TRUE(s.loadProblem().contains(c.problem) && s.loadProblem().contains(path)) << qPrintable(s.loadProblem());
        s.setProperty("Baud", "2");
        EXPECT_EQ(s.sync(), usable) << c.content;
        EXPECT_EQ(AppSettings(path).problems().isEmpty(), usable) << c.content;
    }
}

TEST(AppSettings, NumbersAndFlagsThatDoNotParseAreNamedAndKeepTheirDefaults)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.ini");
    ASSERT_TRUE(writeFileBytes(path, "[Properties]\nBCM_SlaveID=seven\nBaud=fast\nMode=7\nDataSpyEnabled=maybe\n"
                                "[MainFormPosition]\n2=wide\n0=\n"));
    const AppSettings s(path);
    EXPECT_EQ((QList<int>{s.propertyNumber("BCM_SlaveID"), s.propertyNumber("Baud"), s.propertyNumber("Mode"),
                          s.propertyFlag("DataSpyEnabled"), s.number("MainFormPosition", "2", -5),
                          s.number("MainFormPosition", "0", -5)}),
              (QList<int>{1, 4, 0, false, -5, -5}));
    const QStringList named = {"BCM_SlaveID=seven in '" + path + "' is not a number from 1 to 247", "Baud=fast",
                               "Mode=7", "DataSpyEnabled=maybe", "[MainFormPosition] 2=wide"};
    EXPECT_EQ(s.problems().size(), named.size()) << qPrintable(s.problems().join('\n'));
    for (const QString& n : named)
        EXPECT_EQ(s.problems().filter(n).size(), 1) << qPrintable(n);
}

TEST(AppSettings, CommentLinesStayAtTheTopOfTheirSection)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.ini");
    const QByteArray comments = "# TCP to the lab unit\n# Mode=0 is RS-485\n";
    ASSERT_TRUE(writeFileBytes(path, "; by hand\n[Properties]\nMode=1\n" + comments));
    for (const char* baud : {"2", "3"}) {
        AppSettings s(path);
        s.setProperty("Baud", baud);
        s.setValue("MainFormPosition", "0", "10");
        ASSERT_TRUE(s.sync());
    }
    EXPECT_EQ(fileBytes(path), "; by hand\n[MainFormPosition]\n0=10\n\n[Properties]\n" + comments + "Baud=3\nMode=1\n");

    // An unclosed quote in a '#' comment would run over the settings below it once put back.
    ASSERT_TRUE(writeFileBytes(path, "[Properties]\nMode=1\n# Mode=\"1 is TCP\n"));
    for (const char* baud : {"2", "3"}) {
        AppSettings s(path);
        EXPECT_EQ(s.property("Mode"), "1") << baud;
        s.setProperty("Baud", baud);
        ASSERT_TRUE(s.sync());
    }
    EXPECT_EQ(fileBytes(path), "[Properties]\n; Mode=\"1 is TCP\nBaud=3\nMode=1\n");
}
