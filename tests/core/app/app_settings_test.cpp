#include "core/app/app_settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>

#include <sys/stat.h>

using halvana::AppSettings;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

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

TEST(AppSettings, ValuesSurviveAReopenAndFlagsAreWrittenAsWords)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.ini");
    {
        AppSettings s(path);
        s.setFlag("Properties", "DataSpyEnabled", true);
        s.setNumber("MainFormPosition", "2", 12000);
        s.setValue("Properties", "IP_Address", "127.0.0.1:1502");
        ASSERT_TRUE(s.sync());
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("DataSpyEnabled=True"));

    AppSettings s(path);
    EXPECT_TRUE(s.propertyFlag("DataSpyEnabled"));
    EXPECT_EQ(s.number("MainFormPosition", "2", 0), 12000);
    EXPECT_EQ(s.property("IP_Address"), "127.0.0.1:1502");
    EXPECT_EQ(s.number("MainFormPosition", "0", -7), -7);
}

TEST(AppSettings, ReadOnlyStoreReportsItsPathAndKeepsWhatWasStored)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.ini");
    {
        AppSettings s(path);
        s.setProperty("Mode", "1");
        ASSERT_TRUE(s.sync());
    }
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadUser);
    if (QFileInfo(path).isWritable())
        GTEST_SKIP() << "running with privileges that ignore file permissions";
    {
        AppSettings s(path);
        s.setProperty("Mode", "0");
        EXPECT_FALSE(s.sync());
        EXPECT_TRUE(s.errorText().contains(path));
    }
    // Read from the file itself: QSettings objects in one process share what is pending.
    EXPECT_TRUE(fileBytes(path).contains("Mode=1"));
}

TEST(AppSettings, ClearAllForgetsEverything)
{
    QTemporaryDir dir;
    AppSettings s(dir.filePath("s.ini"));
    s.setProperty("Password_Super", "x");
    s.setFlag("MeterTableWindowOpenFlag", "3", true);
    s.clearAll();
    ASSERT_TRUE(s.sync());
    AppSettings reopened(dir.filePath("s.ini"));
    EXPECT_EQ(reopened.property("Password_Super"), "Heron");
    EXPECT_FALSE(reopened.contains("MeterTableWindowOpenFlag", "3"));
}

TEST(AppSettings, StoreInAFolderThatCannotExistIsReported)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath("not-a-folder"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    AppSettings s(dir.filePath("not-a-folder/s.ini"));
    s.setProperty("Mode", "1");
    EXPECT_FALSE(s.sync());
    EXPECT_TRUE(s.errorText().contains("not-a-folder/s.ini"));
}

// Each file is looked at once when the store opens; a FIFO must not block it.
TEST(AppSettings, AFileThatCannotBeReadAsItStandsIsNamedOnceAtLoad)
{
    QByteArray binary(300, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char(i * 37 + 11);
    const struct {
        const char* what;
        std::function<bool(const QString&)> make;
        const char* problem; // empty: none
    } cases[] = {
        {"missing", [](const QString&) { return true; }, ""},
        {"comments", [](const QString& p) { return writeFile(p, "# mine\r\n[Properties]\r\n; too\r\nMode=1\r\n"); }, ""},
        {"open section", [](const QString& p) { return writeFile(p, "[Broken\nMode=1\n"); }, "Line 1 of"},
        {"stray line", [](const QString& p) { return writeFile(p, "[Properties]\nMode=1\nBaud\n"); }, "Line 3 of"},
        {"binary", [&](const QString& p) { return writeFile(p, binary); }, "is neither"},
        {"folder", [](const QString& p) { return QDir().mkdir(p); }, "could not be read"},
        {"FIFO", [](const QString& p) { return ::mkfifo(QFile::encodeName(p).constData(), 0600) == 0; }, "could not be read"},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath("s.ini");
        ASSERT_TRUE(c.make(path)) << c.what;
        const AppSettings s(path);
        if (*c.problem == 0) {
            EXPECT_TRUE(s.problems().isEmpty()) << c.what << ": " << qPrintable(s.problems().join('\n'));
            continue;
        }
        EXPECT_TRUE(s.loadProblem().contains(c.problem)) << c.what << ": " << qPrintable(s.loadProblem());
        EXPECT_TRUE(s.loadProblem().contains(path)) << c.what;
        EXPECT_EQ(s.problems(), QStringList{s.loadProblem()}) << c.what;
    }
}

TEST(AppSettings, AMalformedFileIsRewrittenAndTheSaveCountsAsDone)
{
    for (const QByteArray& bytes : {QByteArray("[Broken\nMode=1\n"), QByteArray("\x01\x02\x03\n\xff\xfe=\n[x")}) {
        QTemporaryDir dir;
        const QString path = dir.filePath("s.ini");
        ASSERT_TRUE(writeFile(path, bytes));
        {
            AppSettings s(path);
            s.setProperty("Mode", "1");
            EXPECT_TRUE(s.sync()) << bytes.toHex().constData();
        }
        const AppSettings reopened(path);
        EXPECT_EQ(reopened.property("Mode"), "1");
        EXPECT_TRUE(reopened.problems().isEmpty()) << qPrintable(reopened.problems().join('\n'));
    }
}

TEST(AppSettings, AMalformedStoreThatCannotBeWrittenIsStillReported)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.ini");
    ASSERT_TRUE(writeFile(path, "[Broken\nMode=1\n"));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadUser);
    if (QFileInfo(path).isWritable())
        GTEST_SKIP() << "running with privileges that ignore file permissions";
    AppSettings s(path);
    s.setProperty("Mode", "0");
    EXPECT_FALSE(s.sync());
    EXPECT_EQ(fileBytes(path), "[Broken\nMode=1\n");
}

TEST(AppSettings, NumbersAndFlagsThatDoNotParseAreNamedAndKeepTheirDefaults)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.ini");
    ASSERT_TRUE(writeFile(path, "[Properties]\nBCM_SlaveID=seven\nBaud=fast\nMode=7\nDataSpyEnabled=maybe\n"
                                "CommPort=2\nPollingDisabled=-1\n[MainFormPosition]\n2=wide\n0=\n"));
    const AppSettings s(path);
    EXPECT_EQ(s.propertyNumber("BCM_SlaveID"), 1);
    EXPECT_EQ(s.propertyNumber("Baud"), 4);
    EXPECT_EQ(s.propertyNumber("Mode"), 0);
    EXPECT_FALSE(s.propertyFlag("DataSpyEnabled"));
    EXPECT_EQ(s.number("MainFormPosition", "2", -5), -5);
    EXPECT_FALSE(s.storedNumber("MainFormPosition", "0").has_value());
    EXPECT_EQ(s.propertyNumber("CommPort"), 2);
    EXPECT_TRUE(s.propertyFlag("PollingDisabled"));

    const QStringList expected = {"BCM_SlaveID=seven", "Baud=fast", "Mode=7", "DataSpyEnabled=maybe",
                                  "[MainFormPosition] 2=wide"};
    ASSERT_EQ(s.problems().size(), expected.size()) << qPrintable(s.problems().join('\n'));
    for (const QString& named : expected) {
        const QString problem = s.problems().filter(named).value(0);
        EXPECT_TRUE(problem.contains(path)) << qPrintable(named);
    }
    EXPECT_TRUE(s.valueProblem("Properties", "Baud").contains("not a number from 0 to 4"));
}

TEST(AppSettings, CommentLinesStayAtTheTopOfTheirSection)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.ini");
    ASSERT_TRUE(writeFile(path, "; written by hand\n[Properties]\nMode=1\n# TCP to the lab unit\n# Mode=0 is RS-485\n"));
    {
        AppSettings s(path);
        s.setProperty("Baud", "2");
        s.setValue("MainFormPosition", "0", "10");
        ASSERT_TRUE(s.sync());
        s.setProperty("Baud", "3");
        ASSERT_TRUE(s.sync());
        EXPECT_EQ(fileBytes(path).toStdString(), "; written by hand\n[MainFormPosition]\n0=10\n\n[Properties]\n"
                                                 "# TCP to the lab unit\n# Mode=0 is RS-485\nBaud=3\nMode=1\n");
    }
    {
        AppSettings reopened(path);
        EXPECT_EQ(reopened.property("Baud"), "3");
        EXPECT_TRUE(reopened.problems().isEmpty());
        // Once the store is cleared, the comments head the empty file.
        reopened.clearAll();
        ASSERT_TRUE(reopened.sync());
    }
    EXPECT_EQ(fileBytes(path).toStdString(), "; written by hand\n# TCP to the lab unit\n# Mode=0 is RS-485\n");
}
