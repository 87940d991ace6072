#include "cli/cli_arguments.h"
#include "cli/cli_command.h"
#include "cli/cli_context.h"
#include "core/app/app_settings.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace halvana;
using namespace halvana::cli;

namespace {

QStringList line(const QString& text)
{
    return QStringList{QStringLiteral("halvana-cli")} + text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

TEST(CliArguments, RefusesBadUsageWithAReason)
{
    struct Case {
        const char* line;
        const char* reason;
    } cases[] = {
        {"", "no command"},
        {"--tcp 127.0.0.1", "no command"},
        {"frobnicate 1", "unknown command \"frobnicate\""},
        {"read", "read REG [COUNT]"},
        {"read 1 2 3", "read REG [COUNT]"},
        {"write 801", "write REG VALUE..."},
        {"--tcp 127.0.0.1 --rtu /dev/pts/1 read 1", "either --tcp or --rtu"},
        {"--tcp 127.0.0.1 --baud 9600 read 1", "--baud goes with --rtu"},
        {"read 1 --colour", "colour"},
    };
    for (const Case& c : cases) {
        CliArguments arguments;
        EXPECT_FALSE(arguments.parse(line(QString::fromLatin1(c.line)))) << c.line;
        EXPECT_TRUE(arguments.errorText().contains(QString::fromLatin1(c.reason))) << c.line << ": "
                                                                                   << qPrintable(arguments.errorText());
    }
}

TEST(CliArguments, OptionsMayFollowTheCommand)
{
    CliArguments arguments;
    ASSERT_TRUE(arguments.parse(line(QStringLiteral("read 801 3 --tcp 127.0.0.1:5020 --slave 4"))));
    ASSERT_NE(arguments.command(), nullptr);
    EXPECT_EQ(arguments.command()->name, QStringLiteral("read"));
    EXPECT_EQ(arguments.commandArgs(), (QStringList{"801", "3"}));

    QTemporaryDir dir;
    AppSettings settings(dir.filePath(QStringLiteral("s.ini")));
    QString error;
    const auto target = arguments.linkTarget(settings, &error);
    ASSERT_TRUE(target) << qPrintable(error);
    EXPECT_TRUE(target->tcp);
    EXPECT_EQ(target->endpoint, QStringLiteral("127.0.0.1:5020"));
    EXPECT_EQ(target->slaveId, 4);
}

TEST(CliArguments, TheStoredConnectionFillsWhatTheOptionsLeaveOpen)
{
    struct Case {
        const char* options;
        std::map<const char*, const char*> stored;
        bool ok;
        bool tcp;
        const char* endpoint;
        int baud;
        int slave;
        const char* errorNames;
    } cases[] = {
        {"", {}, true, false, "3", 115200, 1, ""},
        {"", {{"Mode", "1"}, {"IP_Address", "127.0.0.1:5020"}, {"BCM_SlaveID", "7"}}, true, true, "127.0.0.1:5020", 115200, 7, ""},
        {"", {{"CommPort2", "/dev/pts/4"}, {"Baud", "2"}}, true, false, "/dev/pts/4", 38400, 1, ""},
        {"--baud 9600", {{"Baud", "2"}}, true, false, "3", 9600, 1, ""},
        {"--rtu /dev/pts/9", {{"Mode", "1"}, {"Baud", "7"}}, true, false, "/dev/pts/9", 115200, 1, ""},
        {"", {{"Baud", "7"}}, false, false, "", 0, 0, "\"Baud\" 7"},
        {"", {{"Mode", "1"}, {"IP_Address", "127.0.0.1:0"}}, false, false, "", 0, 0, "127.0.0.1:0"},
        {"--slave 0", {}, false, false, "", 0, 0, "\"0\""},
        {"--rtu /dev/pts/9 --baud fast", {}, false, false, "", 0, 0, "fast"},
        {"", {{"BCM_SlaveID", "300"}}, false, false, "", 0, 0, "\"300\""},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        AppSettings settings(dir.filePath(QStringLiteral("s.ini")));
        for (const auto& [key, value] : c.stored)
            settings.setProperty(QString::fromLatin1(key), QString::fromLatin1(value));
        CliArguments arguments;
        ASSERT_TRUE(arguments.parse(line(QString::fromLatin1(c.options) + QStringLiteral(" read 1"))));
        QString error;
        const auto target = arguments.linkTarget(settings, &error);
        ASSERT_EQ(target.has_value(), c.ok) << c.options << " " << qPrintable(error);
        if (!c.ok) {
            EXPECT_TRUE(error.contains(QString::fromLatin1(c.errorNames))) << qPrintable(error);
            continue;
        }
        EXPECT_EQ(target->tcp, c.tcp);
        EXPECT_EQ(target->endpoint, QString::fromLatin1(c.endpoint));
        if (!c.tcp) {
            EXPECT_EQ(target->baud, c.baud);
        }
        EXPECT_EQ(target->slaveId, c.slave);
    }
}

TEST(CliContext, NumbersAreDecimalOrHexWithinTheirRange)
{
    CliArguments arguments;
    ASSERT_TRUE(arguments.parse(line(QStringLiteral("write 0x359 65535 65536 12ab"))));
    QString outText;
    QString errText;
    QTextStream out(&outText);
    QTextStream err(&errText);
    CliContext context(arguments, out, err);
    EXPECT_EQ(context.number(0, 1, 65536, QStringLiteral("register")), 857);
    EXPECT_EQ(context.number(1, 0, 65535, QStringLiteral("value")), 65535);
    EXPECT_FALSE(context.number(2, 0, 65535, QStringLiteral("value")));
    EXPECT_FALSE(context.number(3, 0, 65535, QStringLiteral("value")));
    err.flush();
    EXPECT_TRUE(errText.contains(QStringLiteral("value \"65536\" is not a number from 0 to 65535")));
    EXPECT_TRUE(errText.contains(QStringLiteral("\"12ab\"")));
}
