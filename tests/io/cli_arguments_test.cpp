#include "cli/cli_arguments.h"
#include "cli/cli_command.h"
#include "cli/cli_context.h"
#include "cli/register_arguments.h"
#include "core/app/app_settings.h"

#include <QDir>
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
        {"--tcp 127.0.0.1 read 5001 126", "count \"126\""},
        {"table 12", "\"12\" is not a table"},
        {"table 3 --format xlsx", "--format: \"xlsx\" is not tsv, csv or json"},
        {"table 1 2", "usage: halvana-cli table INDEX"},
        {"make-script a.txt", "two settings captures or a builder option"},
        {"make-script --add-meters 1 1-3 --delete-all", "one of --add-meters, --delete-all at a time"},
        {"make-script --add-meters 6 1", "TYPE is one of 1, 2, 3, 4, 5, 9"},
        {"make-script --add-meters 1 4-2", "METERS \"4-2\""},
        {"make-script --add-meters 1", "--add-meters TYPE METERS"},
        {"make-script --setting 2017 20 --kind 2ph --meters 1", "--kind is system, 1ph or 3ph"},
        {"make-script --setting 2017 20 --kind 1ph", "--setting needs --meters"},
        {"make-script --setting 2017 20 --kind 3ph --meters 1,,2", "--meters \"1,,2\""},
        {"make-script --mapping 9 --first-meter 1 --parent 1", "CONFIG is 0..8"},
        {"make-script --mapping 0 --first-meter 251 --parent 1", "--first-meter is a meter number from 1 to 250"},
        {"make-script --mapping 0 --first-meter 1", "--mapping needs --parent"},
        {"make-script --mapping 0 --first-meter 1 --parent 1 --slot 7", "--slot is a slot from 1 to 6"},
        {"make-script --delete-all --parent 2", "--parent goes with --mapping"},
        {"make-script --delete-all --map 3", "--map is 1 or 2"},
        {"log --table 0 --out x.csv", "\"0\" is not a readings table"},
        {"log --table 1", "--out FILE is needed"},
        {"log --table 1 --reg 5 --out x.csv", "either --table N or --reg REG"},
        {"log --out x.csv", "either --table N or --reg REG"},
        {"log --reg 5 --rows 3 --out x.csv", "--rows and --meters go with --table"},
        {"log --table 1 --interval soon --out x.csv", "\"soon\" is not a number of seconds"},
        {"log --reg 70000 --out x.csv", "--reg \"70000\""},
    };
    for (const Case& c : cases) {
        CliArguments arguments;
        EXPECT_FALSE(arguments.parse(line(QString::fromLatin1(c.line)))) << c.line;
        EXPECT_TRUE(arguments.errorText().contains(QString::fromLatin1(c.reason))) << c.line << ": "
                                                                                   << qPrintable(arguments.errorText());
    }
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
        {"--tcp 127.0.0.1:5020 --slave 4", {{"Mode", "0"}}, true, true, "127.0.0.1:5020", 0, 4, ""},
        {"", {{"Mode", "1"}, {"IP_Address", "127.0.0.1:5020"}, {"BCM_SlaveID", "7"}}, true, true, "127.0.0.1:5020", 115200, 7, ""},
        {"", {{"CommPort2", "/dev/pts/4"}, {"Baud", "2"}}, true, false, "/dev/pts/4", 38400, 1, ""},
        {"--baud 9600", {{"Baud", "2"}}, true, false, "3", 9600, 1, ""},
        {"--rtu /dev/pts/9", {{"Mode", "1"}, {"Baud", "7"}}, true, false, "/dev/pts/9", 115200, 1, ""},
        {"", {{"Baud", "7"}}, false, false, "", 0, 0, "Baud=7 in"},
        {"--slave 2 --tcp 127.0.0.1", {{"BCM_SlaveID", "seven"}, {"Mode", "7"}}, true, true, "127.0.0.1", 0, 2, ""},
        {"", {{"Mode", "1"}, {"IP_Address", "127.0.0.1:0"}}, false, false, "", 0, 0, "127.0.0.1:0"},
        {"--slave 0", {}, false, false, "", 0, 0, "\"0\""},
        {"--rtu /dev/pts/9 --baud fast", {}, false, false, "", 0, 0, "fast"},
        {"", {{"BCM_SlaveID", "300"}}, false, false, "", 0, 0, "BCM_SlaveID=300 in"},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        AppSettings settings(dir.filePath(QStringLiteral("s.ini")));
        for (const auto& [key, value] : c.stored)
            settings.setProperty(QString::fromLatin1(key), QString::fromLatin1(value));
        CliArguments arguments;
        // Options may follow the command.
        ASSERT_TRUE(arguments.parse(line(QStringLiteral("read 801 3 ") + QString::fromLatin1(c.options))));
        EXPECT_EQ(arguments.commandArgs(), (QStringList{"801", "3"}));
        QString error;
        const auto target = arguments.linkTarget(settings, &error);
        ASSERT_EQ(target.has_value(), c.ok) << c.options << " " << qPrintable(error);
        if (!c.ok) {
            EXPECT_TRUE(error.contains(QString::fromLatin1(c.errorNames))) << qPrintable(error);
            continue;
        }
        EXPECT_EQ(target->tcp, c.tcp);
        EXPECT_EQ(target->endpoint, QString::fromLatin1(c.endpoint));
        EXPECT_EQ(target->baud, c.tcp ? target->baud : c.baud);
        EXPECT_EQ(target->slaveId, c.slave);
    }
}

// Without the file the tool would try serial port 3 and fail with 1: 2 shows it stopped first.
TEST(CliContext, ASettingsFileThatCannotBeReadIsBadInputBeforeTheLinkOpens)
{
    QTemporaryDir dir;
    QFile broken(dir.filePath(QStringLiteral("broken.ini")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly) && broken.write("[Broken\nMode=1\n") > 0 && QDir(dir.path()).mkdir("d"));
    broken.close();
    for (const QString& path : {broken.fileName(), dir.filePath(QStringLiteral("d"))}) {
        CliArguments arguments;
        ASSERT_TRUE(arguments.parse(line(QStringLiteral("read 1 --settings ") + path)));
        QString err;
        QTextStream out(stdout), errStream(&err);
        EXPECT_EQ(CliContext(arguments, out, errStream).run(), kExitUsage) << qPrintable(err);
        EXPECT_TRUE(err.contains(path)) << qPrintable(err);
    }
}

TEST(RegisterArguments, NumbersAreDecimalOrHexAndEveryRegisterHasAWireAddress)
{
    struct Case {
        const char* line;
        bool write;
        int first;
        int count;
        QVector<int> values;
        const char* problem;
    } cases[] = {
        {"5001", false, 5001, 1, {}, ""},
        {"0x359 125", false, 857, 125, {}, ""},
        {"65412 125", false, 65412, 125, {}, ""},
        {"65413 125", false, 0, 0, {}, "registers 65413 to 65537 run past register 65536"},
        {"0", false, 0, 0, {}, "register \"0\" is not a number from 1 to 65536"},
        {"1 0", false, 0, 0, {}, "count \"0\""},
        {"858 1", true, 858, 1, {1}, ""},
        {"801 0xFFFF 0", true, 801, 2, {65535, 0}, ""},
        {"801 65536", true, 0, 0, {}, "value \"65536\" is not a number from 0 to 65535"},
        {"801 12ab", true, 0, 0, {}, "\"12ab\""},
        {"65536 1 2", true, 0, 0, {}, "run past register 65536"},
    };
    for (const Case& c : cases) {
        const QStringList args = QString::fromLatin1(c.line).split(QLatin1Char(' '));
        QString problem;
        const auto parsed = c.write ? RegisterArguments::forWrite(args, &problem) : RegisterArguments::forRead(args, &problem);
        EXPECT_TRUE(problem.contains(QString::fromLatin1(c.problem))) << c.line << ": " << qPrintable(problem);
        ASSERT_EQ(parsed.has_value(), *c.problem == 0) << c.line;
        if (parsed) {
            EXPECT_EQ(parsed->first, c.first) << c.line;
            EXPECT_EQ(parsed->count, c.count) << c.line;
            EXPECT_EQ(parsed->values, c.values) << c.line;
        }
    }

    QString problem;
    EXPECT_FALSE(RegisterArguments::forWrite(QStringList{QStringLiteral("1")} + QStringList(124, QStringLiteral("0")),
                                             &problem));
    EXPECT_TRUE(problem.contains(QStringLiteral("at most 123 values")));
}
