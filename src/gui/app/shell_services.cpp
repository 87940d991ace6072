#include "gui/app/shell_services.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
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

ShellServices::Answer DesktopShell::askYesNoCancel(const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                    m_parent);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

std::optional<QString> DesktopShell::inputText(const QString& title, const QString& prompt, const QString& proposed)
{
    bool ok = false;
    const QString text = QInputDialog::getText(m_parent, title, prompt, QLineEdit::Normal, proposed, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString DesktopShell::chooseOpenFile(const FileDialogRequest& request)
{
    QString selected = request.selectedFilter;
    return QFileDialog::getOpenFileName(m_parent, request.title, request.startPath, request.filter, &selected);
}

QString DesktopShell::chooseSaveFile(const FileDialogRequest& request)
{
    QString selected = request.selectedFilter;
    return QFileDialog::getSaveFileName(m_parent, request.title, request.startPath, request.filter, &selected);
}

QString DesktopShell::chooseFolder(const QString& title, const QString& startFolder)
{
    return QFileDialog::getExistingDirectory(m_parent, title, startFolder);
}

void DesktopShell::setClipboardText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}

QString DesktopShell::clipboardText()
{
    return QGuiApplication::clipboard()->text();
}

} // namespace halvana
