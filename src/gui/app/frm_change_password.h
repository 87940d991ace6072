#pragma once

#include "core/app/login_level.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace halvana {

class AppSettings;
class ShellServices;

// Changes the password of the Default level or of the user's own level.
class FrmChangePassword : public QDialog {
    Q_OBJECT
public:
    FrmChangePassword(LoginLevel currentLevel, Passwords& passwords, AppSettings& settings,
                      ShellServices& shell, QWidget* parent = nullptr);

    void cmdOK_Click();

private:
    QList<LoginLevel> m_choices;
    Passwords& m_passwords;
    AppSettings& m_settings;
    ShellServices& m_shell;
    QComboBox* cboUserName;
    QLineEdit* txtCurrentPassword;
    QLineEdit* txtNewPassword;
    QLineEdit* txtConfirmNewPassword;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};

} // namespace halvana
