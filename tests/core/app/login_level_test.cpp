#include "core/app/app_settings.h"
#include "core/app/login_level.h"

#include <gtest/gtest.h>

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
