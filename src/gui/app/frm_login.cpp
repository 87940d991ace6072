#include "gui/app/frm_login.h"

#include "gui/app/ok_cancel_buttons.h"
#include "gui/app/shell_services.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace halvana {

FrmLogin::FrmLogin(Passwords& passwords, AppSettings& settings, ShellServices& shell, QWidget* parent)
    : QDialog(parent), m_passwords(passwords), m_settings(settings), m_shell(shell)
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("Login"));

    cboUserName = new QComboBox(this);
    cboUserName->setObjectName(QStringLiteral("cboUserName"));
    cboUserName->addItems(loginLevelNames());
    cboUserName->setCurrentIndex(0);

    txtPassword = new QLineEdit(this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setEchoMode(QLineEdit::Password);

    const OkCancelButtons buttons = makeOkCancelButtons(this);
    cmdOK = buttons.ok;
    cmdCancel = buttons.cancel;
    connect(cmdOK, &QPushButton::clicked, this, &FrmLogin::cmdOK_Click);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("User Name:"), cboUserName);
    form->addRow(QStringLiteral("Password:"), txtPassword);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons.box);
    txtPassword->setFocus();
}

void FrmLogin::cmdOK_Click()
{
    emit passwordAboutToBeChecked();
    const auto level = static_cast<LoginLevel>(cboUserName->currentIndex());
    if (!m_passwords.logIn(level, txtPassword->text(), m_settings)) {
        m_shell.showMessage(MessageSink::Severity::Warning, QStringLiteral("Login"),
                            QStringLiteral("Invalid password!\nPlease try again."));
        txtPassword->setFocus();
        txtPassword->selectAll();
        return;
    }
    m_chosenLevel = level;
    accept();
}

} // namespace halvana
