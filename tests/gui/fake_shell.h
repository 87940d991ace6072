#pragma once

#include "gui/app/shell_services.h"

#include <QDialog>
#include <QList>
#include <QStringList>
#include <QUrl>

#include <deque>
#include <functional>

namespace halvana::test {

// Records what the windows would have shown or launched, answers questions from a queue, and
// lets a test drive each modal dialog instead of blocking on it.
class FakeShell : public ShellServices {
public:
    void showMessage(Severity, const QString& title, const QString& text) override
    {
        titles << title;
        texts << text;
    }
    bool askYesNo(const QString& title, const QString& text, bool yesIsDefault) override
    {
        questions << title + QLatin1Char('|') + text;
        questionDefaults << yesIsDefault;
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool openUrl(const QUrl& url) override
    {
        opened << url;
        return openSucceeds;
    }
    int runDialog(QDialog& dialog) override
    {
        dialogs << dialog.objectName();
        return onDialog ? onDialog(dialog) : QDialog::Rejected;
    }

    QStringList titles;
    QStringList texts;
    QStringList questions;
    QList<bool> questionDefaults;
    std::deque<bool> answers;
    QList<QUrl> opened;
    bool openSucceeds = true;
    QStringList dialogs;
    std::function<int(QDialog&)> onDialog;
};

} // namespace halvana::test
