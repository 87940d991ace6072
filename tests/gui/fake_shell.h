#pragma once

#include "gui/app/shell_services.h"

#include <QDialog>
#include <QList>
#include <QStringList>
#include <QUrl>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

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
        return true;
    }
    int runDialog(QDialog& dialog) override
    {
        dialogs << dialog.objectName();
        return onDialog ? onDialog(dialog) : QDialog::Rejected;
    }

    // No test gets as far as these two: each cancels.
    Answer askYesNoCancel(const QString&, const QString&) override { return Answer::Cancel; }
    std::optional<QString> inputText(const QString&, const QString&, const QString&) override { return std::nullopt; }
    QString chooseOpenFile(const FileDialogRequest& request) override { return chosenFile(request); }
    QString chooseSaveFile(const FileDialogRequest& request) override { return chosenFile(request); }
    QString chooseFolder(const QString& title, const QString& startFolder) override
    {
        return chosenFile({title, startFolder, {}, {}});
    }
    void setClipboardText(const QString& text) override { clipboard = text; }
    QString clipboardText() override { return clipboard; }

    QStringList titles;
    QStringList texts;
    QStringList questions;
    QList<bool> questionDefaults;
    std::deque<bool> answers;
    QList<QUrl> opened;
    QStringList dialogs;
    std::function<int(QDialog&)> onDialog;
    // Each file dialog asked for, and the paths chosen in turn (cancelled once they run out).
    std::vector<FileDialogRequest> fileDialogs;
    std::deque<QString> fileAnswers;
    QString clipboard;

private:
    QString chosenFile(const FileDialogRequest& request)
    {
        fileDialogs.push_back(request);
        if (fileAnswers.empty())
            return {};
        const QString answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }
};

} // namespace halvana::test
