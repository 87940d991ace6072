#include "core/app/login_level.h"

#include "core/app/app_settings.h"
#include "core/app/password_hash.h"

namespace halvana {

namespace {

int indexOf(LoginLevel level)
{
    return static_cast<int>(level);
}

bool isLoggedIn(LoginLevel level)
{
    return level != LoginLevel::LoggedOut;
}

} // namespace

LoginLevel parseLoginLevel(const QString& stored)
{
    const QString t = stored.trimmed();
    if (t == QLatin1String("0"))
        return LoginLevel::Default;
    if (t == QLatin1String("1"))
        return LoginLevel::Administrator;
    if (t == QLatin1String("2"))
        return LoginLevel::Supervisor;
    return LoginLevel::LoggedOut;
}

QString loginLevelText(LoginLevel level)
{
    return isLoggedIn(level) ? QString::number(indexOf(level)) : QString();
}

QStringList loginLevelNames()
{
    return {QStringLiteral("Default"), QStringLiteral("Administrator"), QStringLiteral("Supervisor")};
}

QString loginLevelName(LoginLevel level)
{
    return isLoggedIn(level) ? loginLevelNames().at(indexOf(level)) : QStringLiteral("Logged Out");
}

QString loginStatusText(LoginLevel level)
{
    return QStringLiteral("User: ") + loginLevelName(level) + QStringLiteral("  ");
}

QList<LoginLevel> changePasswordChoices(LoginLevel level)
{
    if (level == LoginLevel::Administrator || level == LoginLevel::Supervisor)
        return {LoginLevel::Default, level};
    return {};
}

Passwords Passwords::load(const AppSettings& settings)
{
    Passwords p;
    for (LoginLevel level : {LoginLevel::Default, LoginLevel::Administrator, LoginLevel::Supervisor})
        p.m_stored[indexOf(level)] = settings.property(storeKey(level));
    return p;
}

QString Passwords::storeKey(LoginLevel level)
{
    switch (level) {
    case LoginLevel::Default:
        return QStringLiteral("Password_Default");
    case LoginLevel::Administrator:
        return QStringLiteral("Password_Admin");
    case LoginLevel::Supervisor:
        return QStringLiteral("Password_Super");
    case LoginLevel::LoggedOut:
        break;
    }
    return {};
}

bool Passwords::matches(LoginLevel level, const QString& text) const
{
    return isLoggedIn(level) && passwordMatches(m_stored[indexOf(level)], text);
}

bool Passwords::logIn(LoginLevel level, const QString& text, AppSettings& settings)
{
    if (!matches(level, text))
        return false;
    if (!isHashedPassword(m_stored[indexOf(level)]))
        change(level, text, settings);
    return true;
}

void Passwords::change(LoginLevel level, const QString& text, AppSettings& settings)
{
    if (!isLoggedIn(level))
        return;
    m_stored[indexOf(level)] = hashPassword(text);
    settings.setProperty(storeKey(level), m_stored[indexOf(level)]);
}

PasswordChangeResult changePassword(Passwords& passwords, LoginLevel level, const QString& current,
                                    const QString& newPassword, const QString& confirmation, AppSettings& settings)
{
    if (!passwords.matches(level, current))
        return PasswordChangeResult::WrongCurrentPassword;
    if (newPassword != confirmation)
        return PasswordChangeResult::ConfirmationMismatch;
    passwords.change(level, newPassword, settings);
    return PasswordChangeResult::Changed;
}

QString passwordChangeMessage(PasswordChangeResult result)
{
    switch (result) {
    case PasswordChangeResult::Changed:
        return QStringLiteral("The password was successfully changed.");
    case PasswordChangeResult::WrongCurrentPassword:
        return QStringLiteral("The current password is incorrect.");
    case PasswordChangeResult::ConfirmationMismatch:
        break;
    }
    return QStringLiteral("'New Password' and 'Confirm New Password' do not match.\nPlease try again.");
}

} // namespace halvana
