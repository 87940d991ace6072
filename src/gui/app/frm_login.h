#pragma once

#include "core/app/login_level.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace halvana {

class AppSettings;
class ShellServices;

// The login dialog: a level and its password. Accepted only with the right password; a wrong
// one is said and the dialog stays open. A plain password left by an older store is hashed in
// the store at its first login.
class FrmLogin : public QDialog {
    Q_OBJECT
public:
    FrmLogin(Passwords& passwords, AppSettings& settings, ShellServices& shell, QWidget* parent = nullptr);

    // The level logged in with, once accepted.
    LoginLevel chosenLevel() const { return m_chosenLevel; }

    void cmdOK_Click();

signals:
    // Sent before the password is compared: the main window closes its child windows.
    void passwordAboutToBeChecked();

private:
    Passwords& m_passwords;
    AppSettings& m_settings;
    ShellServices& m_shell;
    LoginLevel m_chosenLevel = LoginLevel::LoggedOut;
    QComboBox* cboUserName;
    QLineEdit* txtPassword;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};

} // namespace halvana
