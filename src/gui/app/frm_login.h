#pragma once

#include "core/app/login_level.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace halvana {

class ShellServices;

// The login dialog: a level and its password. Accepted only with the right password; a wrong
// one is said and the dialog stays open.
class FrmLogin : public QDialog {
    Q_OBJECT
public:
    FrmLogin(const Passwords& passwords, ShellServices& shell, QWidget* parent = nullptr);

    // The level logged in with, once accepted.
    LoginLevel chosenLevel() const { return m_chosenLevel; }

    void cmdOK_Click();

signals:
    // Sent before the password is compared: the main window closes its child windows.
    void passwordAboutToBeChecked();

private:
    const Passwords& m_passwords;
    ShellServices& m_shell;
    LoginLevel m_chosenLevel = LoginLevel::LoggedOut;
    QComboBox* cboUserName;
    QLineEdit* txtPassword;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};

} // namespace halvana
