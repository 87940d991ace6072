#include "core/app/app_settings.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using halvana::AppSettings;

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
    EXPECT_EQ(AppSettings(path).property("Mode"), "1");
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
