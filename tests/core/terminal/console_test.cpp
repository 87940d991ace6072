#include "core/terminal/console_text.h"
#include "core/terminal/password_masking.h"
#include "core/terminal/service_commands.h"

#include <gtest/gtest.h>

namespace halvana {
namespace {

// Replays the console's edits on a copy, as a view does; the copy must match the console's text.
struct Replay {
    explicit Replay(ConsoleText& console)
    {
        QObject::connect(&console, &ConsoleText::frontRemoved, [this](int n) { text.remove(0, n); });
        QObject::connect(&console, &ConsoleText::backRemoved, [this](int n) { text.chop(n); });
        QObject::connect(&console, &ConsoleText::appended, [this](const QString& t) { text += t; });
        QObject::connect(&console, &ConsoleText::replaced,
                         [this](int at, const QString& t) { text.replace(at, t.size(), t); });
    }
    QString text;
};

struct DisplayCase {
    const char* name;
    bool masking;
    QStringList blocks;
    QString shown;
};

TEST(ConsoleText, ShowsBlocksByTheDisplayRules)
{
    const QString esc(QChar(27));
    const DisplayCase cases[] = {
        {"erase block: backspace, blank", false, {"abc", "\b "}, "ab"},
        {"erase block: two backspaces, blank", false, {"abc", "\b\b "}, "ab"},
        {"erase block: backspace, blank, backspace", false, {"abc", "\b \b"}, "ab"},
        {"an echoed erase in single characters", false, {"abc", "\b", " ", "\b"}, "ab"},
        {"an erase on an empty console", false, {"\b "}, ""},
        {"escape takes the next character", false, {"a" + esc + "xb"}, "ab"},
        {"escape at a block's end takes the next block's first", false, {"a" + esc, "xb"}, "ab"},
        {"two escapes take each other", false, {esc + esc + "c"}, "c"},
        {"CR LF split over blocks is one line end", false, {"one\r", "\ntwo"}, "one\ntwo"},
        {"lone CR and lone LF end lines", false, {"a\rb\n\nc"}, "a\nb\n\nc"},
        {"password echoed a letter at a time", true, {"Password: ", "p", "l", "o", "v", "e", "r", "\r\n"}, "Password: ******\n"},
        {"every password of a block", true, {"thrush, marten and plover"}, "******, ****** and ******"},
        {"telnetd refusal ends masking", true, {"telnetd: Unable to connect\r\n", "plover"},
         "telnetd: Unable to connect\nplover"},
        {"no masking while the flag is off", false, {"plover"}, "plover"},
    };
    for (const DisplayCase& c : cases) {
        ConsoleText console;
        Replay view(console);
        console.setMasking(c.masking);
        for (const QString& block : c.blocks)
            console.receive(block);
        EXPECT_EQ(console.text(), c.shown) << c.name;
        EXPECT_EQ(view.text, c.shown) << c.name;
    }
}

TEST(ConsoleText, MaskingSwitchedOnCoversWhatIsShownAlready)
{
    ConsoleText console;
    console.receive(QStringLiteral("login plover\r\n"));
    console.setMasking(true);
    console.receive(QStringLiteral("> "));
    EXPECT_EQ(console.text(), QStringLiteral("login ******\n> "));
}

TEST(ConsoleText, PastTheLimitTheOldestTextGoesUpToALineEnd)
{
    ConsoleText console;
    Replay view(console);
    const QString line = QString(99, QLatin1Char('x')) + QLatin1Char('\n');
    for (int i = 0; i < 2500; ++i)
        console.receive(line);
    console.receive(QStringLiteral("y"));
    ASSERT_EQ(console.text().size(), 250001);
    console.receive(QStringLiteral("z"));
    // Character 20000 is in the 200th line; the text then starts with the 201st.
    EXPECT_EQ(console.text().size(), 250001 - 20000 + 1);
    EXPECT_TRUE(console.text().startsWith(line));
    EXPECT_TRUE(console.text().endsWith(QStringLiteral("yz")));
    EXPECT_EQ(view.text, console.text());
}

TEST(StreamMasker, HoldsBackWhatMayStartAPassword)
{
    StreamMasker masker;
    QString out;
    for (const char* block : {"pass: p", "lo", "ver\r\nmar", "ble"})
        out += masker.feed(QString::fromLatin1(block), true);
    EXPECT_EQ(out, QStringLiteral("pass: ******\r\nmarble"));
    EXPECT_EQ(masker.feed(QStringLiteral("thr"), true), QString());
    EXPECT_EQ(masker.flush(), QStringLiteral("thr"));
    EXPECT_EQ(masker.feed(QStringLiteral("plover"), false), QStringLiteral("plover"));
}

TEST(ServiceCommands, CaptionsAndListEntries)
{
    using namespace service_commands;
    EXPECT_EQ(buttonCaption(QStringLiteral("meter save")), QStringLiteral("meter"));
    EXPECT_EQ(buttonCaption(QStringLiteral("meter del")), QStringLiteral("meter del"));
    const QVector<Button> row = buttons(QStringList(12, QStringLiteral("help")));
    EXPECT_EQ(row.size(), kButtonCount);

    EXPECT_EQ(listCommand(QStringLiteral("Help only, no TAB")), QString());
    EXPECT_EQ(listCommand(QStringLiteral("Description\t")), QString());
    EXPECT_EQ(listCommand(QStringLiteral("Status\tstatus\tnote")), QStringLiteral("status"));
    EXPECT_EQ(listToolTip(QStringLiteral("Status\tstatus")), QStringLiteral("Status   status"));
    EXPECT_EQ(commandWithArgument(QStringLiteral(" meter write"), QStringLiteral("20\r\n01 5 ")),
              QStringLiteral("meter write 2001 5"));
    EXPECT_EQ(commandWithArgument(QStringLiteral("upgdin"), QStringLiteral("\r\r\n\nx")), QStringLiteral("upgdin x"));
}

} // namespace
} // namespace halvana
