#include "gui/app/frm_change_password.h"

#include "core/app/shell_settings.h"
#include "gui/app/ok_cancel_buttons.h"
#include "gui/app/shell_services.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace halvana {

namespace {

QLineEdit* passwordBox(const char* name, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEchoMode(QLineEdit::Password);
    return box;
}

} // namespace

FrmChangePassword::FrmChangePassword(LoginLevel currentLevel, Passwords& passwords,
                                     AppSettings& settings, ShellServices& shell, QWidget* parent)
    : QDialog(parent),
      m_choices(changePasswordChoices(currentLevel)),
      m_passwords(passwords),
      m_settings(settings),
      m_shell(shell)
{
    setObjectName(QStringLiteral("frmChangePassword"));
    setWindowTitle(QStringLiteral("Change Password"));

    cboUserName = new QComboBox(this);
    cboUserName->setObjectName(QStringLiteral("cboUserName"));
    for (LoginLevel level : m_choices)
        cboUserName->addItem(loginLevelName(level));
    cboUserName->setCurrentIndex(0);
    txtCurrentPassword = passwordBox("txtCurrentPassword", this);
    txtNewPassword = passwordBox("txtNewPassword", this);
    txtConfirmNewPassword = passwordBox("txtConfirmNewPassword", this);

    const OkCancelButtons buttons = makeOkCancelButtons(this);
    cmdOK = buttons.ok;
    cmdCancel = buttons.cancel;
    connect(cmdOK, &QPushButton::clicked, this, &FrmChangePassword::cmdOK_Click);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("User Name:"), cboUserName);
    form->addRow(QStringLiteral("Current Password:"), txtCurrentPassword);
    form->addRow(QStringLiteral("New Password:"), txtNewPassword);
    form->addRow(QStringLiteral("Confirm New Password:"), txtConfirmNewPassword);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons.box);
}

void FrmChangePassword::cmdOK_Click()
{
    const LoginLevel level = m_choices.value(cboUserName->currentIndex(), LoginLevel::LoggedOut);
    const Passwords before = m_passwords;
    const PasswordChangeResult result =
        changePassword(m_passwords, level, txtCurrentPassword->text(), txtNewPassword->text(),
                       txtConfirmNewPassword->text(), m_settings);
    const QString title = QStringLiteral("Password Change");
    if (result == PasswordChangeResult::WrongCurrentPassword) {
        m_shell.showMessage(MessageSink::Severity::Warning, title, passwordChangeMessage(result));
        return;
    }
    txtNewPassword->clear();
    txtConfirmNewPassword->clear();
    if (result == PasswordChangeResult::ConfirmationMismatch) {
        m_shell.showMessage(MessageSink::Severity::Warning, title, passwordChangeMessage(result));
        return;
    }
    // A password that could not be stored is not changed: the next start would not know it.
    if (!saveSettings(m_settings, m_shell)) {
        m_passwords = before;
        return;
    }
    m_shell.showMessage(MessageSink::Severity::Information, title, passwordChangeMessage(result));
    accept();
}

} // namespace halvana
