#include "sim/register_image.h"
#include "sim/service_shell.h"

#include <gtest/gtest.h>

namespace halvana {
namespace {

struct ShellFixture : ::testing::Test {
    ShellFixture()
    {
        image.add(1, 63);
        image.set(5, 2);
        image.add(101, 250);
        image.add(2001, 10);
    }
    // Types a line a character at a time, as the terminal sends it.
    QString type(const QString& line)
    {
        QByteArray out;
        for (const char c : (line + QLatin1Char('\r')).toLatin1())
            out += shell.receive(QByteArray(1, c));
        return QString::fromLatin1(out);
    }

    RegisterImage image;
    ServiceShell shell{image};
};

TEST_F(ShellFixture, LogsInWithADevicePasswordAndEchoesIt)
{
    EXPECT_EQ(type(QString()), QStringLiteral("\r\nPassword: "));
    EXPECT_EQ(type(QStringLiteral("heron")), QStringLiteral("heron\r\nLogin incorrect\r\nPassword: "));
    EXPECT_FALSE(shell.isLoggedIn());
    EXPECT_TRUE(type(QStringLiteral("thrush")).startsWith(QStringLiteral("thrush\r\n")));
    EXPECT_TRUE(shell.isLoggedIn());
    EXPECT_EQ(QString::fromLatin1(shell.receive("ab\bc")), QStringLiteral("ab\b \bc"));
}

TEST_F(ShellFixture, AnswersItsCommandsAtThePrompt)
{
    type(QStringLiteral("marten"));
    const struct {
        const char* line;
        const char* answer;
    } cases[] = {
        {"help", "meter write REG VALUE"},
        {"meter write 2003 77", "Register 2003 = 77\r\nHALVANA> "},
        {"meter write 1999 1", "Error: there is no register 1999"},
        {"meter write 2003", "Error: usage: meter write REG VALUE"},
        {"meter add 9 1", "Meter 3 added: type 9, number 1"},
        {"meter add 7 1", "Error: usage: meter add"},
        {"status", "3 meters, register map 0, changes not saved"},
        {"meter save", "Configuration saved"},
        {"config", "RS-485 port in Modbus mode\r\nHALVANA> "},
        {"reboot now", "Error: unknown command \"reboot now\""},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(type(QLatin1String(c.line)).contains(QLatin1String(c.answer))) << c.line;
    EXPECT_EQ(image.value(2003), 77);
    EXPECT_EQ(image.value(103), 9 << 12 | 1);

    type(QStringLiteral("meter del"));
    EXPECT_EQ(image.value(5), 0);
    EXPECT_EQ(image.value(101), 0);
}

} // namespace
} // namespace halvana
