#include "core/app/app_settings.h"
#include "core/app/login_level.h"
#include "core/app/password_hash.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace halvana;

TEST(LoginLevel, StoredTextAndStatusText)
{
    const struct {
        const char* stored;
        LoginLevel level;
        const char* status;
    } cases[] = {
        {"", LoginLevel::LoggedOut, "User: Logged Out  "},
        {"0", LoginLevel::Default, "User: Default  "},
        {"1", LoginLevel::Administrator, "User: Administrator  "},
        {" 2 ", LoginLevel::Supervisor, "User: Supervisor  "},
        // A damaged store never grants a level.
        {"3", LoginLevel::LoggedOut, "User: Logged Out  "},
        {"-1", LoginLevel::LoggedOut, "User: Logged Out  "},
        {"Supervisor", LoginLevel::LoggedOut, "User: Logged Out  "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseLoginLevel(c.stored), c.level) << c.stored;
        EXPECT_EQ(loginStatusText(c.level), QString::fromUtf8(c.status)) << c.stored;
    }
    EXPECT_EQ(loginLevelText(LoginLevel::LoggedOut), "");
    EXPECT_EQ(loginLevelText(LoginLevel::Supervisor), "2");
}

TEST(LoginLevel, ChangePasswordOffersDefaultAndTheUsersOwnLevel)
{
    EXPECT_TRUE(changePasswordChoices(LoginLevel::LoggedOut).isEmpty());
    EXPECT_TRUE(changePasswordChoices(LoginLevel::Default).isEmpty());
    EXPECT_EQ(changePasswordChoices(LoginLevel::Administrator),
              (QList<LoginLevel>{LoginLevel::Default, LoginLevel::Administrator}));
    EXPECT_EQ(changePasswordChoices(LoginLevel::Supervisor),
              (QList<LoginLevel>{LoginLevel::Default, LoginLevel::Supervisor}));
}

TEST(Passwords, DefaultsMatchExactlyAndLetterCaseCounts)
{
    QTemporaryDir dir;
    AppSettings settings(dir.filePath("s.ini"));
    const Passwords p = Passwords::load(settings);
    EXPECT_TRUE(p.matches(LoginLevel::Default, "Kestrel"));
    EXPECT_TRUE(p.matches(LoginLevel::Administrator, "Otter"));
    EXPECT_TRUE(p.matches(LoginLevel::Supervisor, "Heron"));
    EXPECT_FALSE(p.matches(LoginLevel::Supervisor, "heron"));
    EXPECT_FALSE(p.matches(LoginLevel::Administrator, "Heron"));
    EXPECT_FALSE(p.matches(LoginLevel::Default, "Kestrel "));
    EXPECT_FALSE(p.matches(LoginLevel::LoggedOut, ""));
}

TEST(Passwords, ChangeChecksCurrentThenConfirmationAndStoresOnlyOnSuccess)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.ini");
    AppSettings settings(path);
    Passwords p = Passwords::load(settings);

    EXPECT_EQ(changePassword(p, LoginLevel::Administrator, "otter", "New1", "New1", settings),
              PasswordChangeResult::WrongCurrentPassword);
    EXPECT_EQ(changePassword(p, LoginLevel::Administrator, "Otter", "New1", "New2", settings),
              PasswordChangeResult::ConfirmationMismatch);
    EXPECT_FALSE(settings.contains("Properties", "Password_Admin"));
    EXPECT_TRUE(p.matches(LoginLevel::Administrator, "Otter"));

    EXPECT_EQ(changePassword(p, LoginLevel::Administrator, "Otter", "New1", "New1", settings),
              PasswordChangeResult::Changed);
    ASSERT_TRUE(settings.sync());
    EXPECT_TRUE(p.matches(LoginLevel::Administrator, "New1"));
    const Passwords reloaded = Passwords::load(AppSettings(path));
    EXPECT_TRUE(reloaded.matches(LoginLevel::Administrator, "New1"));
    EXPECT_TRUE(reloaded.matches(LoginLevel::Supervisor, "Heron"));

    EXPECT_EQ(passwordChangeMessage(PasswordChangeResult::ConfirmationMismatch),
              "'New Password' and 'Confirm New Password' do not match.\nPlease try again.");
}

// Read and write for the owner, who is the user running the test; nothing for anyone else.
const QFileDevice::Permissions kOwnerOnly =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser;

TEST(Passwords, PlainStoredPasswordLogsInAndIsRewrittenHashedInAnOwnerOnlyFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.ini");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("[Properties]\nPassword_Admin=Wren\n");
    }
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther));
    {
        AppSettings settings(path);
        Passwords p = Passwords::load(settings);
        EXPECT_FALSE(p.logIn(LoginLevel::Administrator, "Otter", settings));
        EXPECT_EQ(settings.property("Password_Admin"), "Wren"); // a failed login rewrites nothing
        EXPECT_TRUE(p.logIn(LoginLevel::Administrator, "Wren", settings));
        ASSERT_TRUE(settings.sync());
    }
    AppSettings settings(path);
    const QString stored = settings.property("Password_Admin");
    EXPECT_TRUE(stored.startsWith("pbkdf2-sha256$100000$")) << stored.toStdString();
    EXPECT_EQ(QFile::permissions(path), kOwnerOnly);
    Passwords p = Passwords::load(settings);
    EXPECT_TRUE(p.logIn(LoginLevel::Administrator, "Wren", settings));
    EXPECT_EQ(settings.property("Password_Admin"), stored); // hashed once, not on every login
    EXPECT_FALSE(p.matches(LoginLevel::Administrator, stored));
}

TEST(Passwords, ANewStoreIsOwnerOnlyAndADamagedHashNeverMatches)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("sub/s.ini");
    AppSettings settings(path);
    Passwords p = Passwords::load(settings);
    p.change(LoginLevel::Supervisor, "Lark", settings);
    ASSERT_TRUE(settings.sync());
    EXPECT_EQ(QFile::permissions(path), kOwnerOnly);

    const QString good = settings.property("Password_Super");
    ASSERT_TRUE(passwordMatches(good, "Lark"));
    const QStringList parts = good.split('$');
    const QString damaged[] = {
        "pbkdf2-sha256$", good + "$", QString(good).replace("$100000$", "$0$"),
        QString(good).replace("$100000$", "$99999999$"), parts[0] + '$' + parts[1] + "$$" + parts[3],
        parts[0] + '$' + parts[1] + '$' + parts[2] + '$' + parts[3].left(20), good.left(good.size() - 2) + "!=",
    };
    for (const QString& value : damaged)
        EXPECT_FALSE(passwordMatches(value, "Lark")) << value.toStdString();
}
