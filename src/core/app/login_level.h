#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace halvana {

class AppSettings;

// Who is logged in. The store keeps the number as text ("0", "1", "2"), or empty text when nobody is.
enum class LoginLevel { LoggedOut = -1, Default = 0, Administrator = 1, Supervisor = 2 };

// Anything but "0", "1" or "2" counts as logged out, so a damaged store never grants a level.
LoginLevel parseLoginLevel(const QString& stored);
QString loginLevelText(LoginLevel level);
// "Default", "Administrator", "Supervisor", or "Logged Out".
QString loginLevelName(LoginLevel level);
// The "Status" panel: "User: " + name + two blanks.
QString loginStatusText(LoginLevel level);

// The level names offered by the login dialog, index = level.
QStringList loginLevelNames();
// The levels whose password a user of this level may change: Default, then the user's own.
QList<LoginLevel> changePasswordChoices(LoginLevel level);

// The three passwords, index = level, compared exactly (letter case counts). The store holds
// them hashed; a plain one from an older store still counts until its first login rewrites it.
class Passwords {
public:
    static Passwords load(const AppSettings& settings);

    bool matches(LoginLevel level, const QString& text) const;
    // matches(), and on success a plain stored password is written back hashed.
    bool logIn(LoginLevel level, const QString& text, AppSettings& settings);
    // Sets the password and writes its hash to its key in the store.
    void change(LoginLevel level, const QString& text, AppSettings& settings);

    static QString storeKey(LoginLevel level);

private:
    std::array<QString, 3> m_stored; // as the store holds them
};

// The outcome of the change-password dialog's OK.
enum class PasswordChangeResult { Changed, WrongCurrentPassword, ConfirmationMismatch };

PasswordChangeResult changePassword(Passwords& passwords, LoginLevel level, const QString& current,
                                    const QString& newPassword, const QString& confirmation, AppSettings& settings);
// The message shown for each outcome (title "Password Change").
QString passwordChangeMessage(PasswordChangeResult result);

} // namespace halvana
