#include "gui/app/shell_services.h"

#include <QDesktopServices>
#include <QDialog>
#include <QMessageBox>
#include <QUrl>

namespace halvana {

void DesktopShell::showMessage(Severity severity, const QString& title, const QString& text)
{
    const QMessageBox::Icon icon = severity == Severity::Critical  ? QMessageBox::Critical
                                   : severity == Severity::Warning ? QMessageBox::Warning
                                                                   : QMessageBox::Information;
    QMessageBox box(icon, title, text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool DesktopShell::askYesNo(const QString& title, const QString& text, bool yesIsDefault)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(yesIsDefault ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool DesktopShell::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

int DesktopShell::runDialog(QDialog& dialog)
{
    return dialog.exec();
}

} // namespace halvana
