#pragma once

#include "gui/app/shell_services.h"

#include <QDialog>
#include <QList>
#include <QStringList>
#include <QUrl>

#include <deque>
#include <functional>
#include <optional>
#include <utility>
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
        return openSucceeds;
    }
    int runDialog(QDialog& dialog) override
    {
        dialogs << dialog.objectName();
        return onDialog ? onDialog(dialog) : QDialog::Rejected;
    }

    Answer askYesNoCancel(const QString& title, const QString& text) override
    {
        questions << title + QLatin1Char('|') + text;
        return takeFront(threeWayAnswers, Answer::Cancel);
    }
    std::optional<QString> inputText(const QString& title, const QString& prompt, const QString& proposed) override
    {
        inputs << title + QLatin1Char('|') + prompt + QLatin1Char('|') + proposed;
        const QString answer = takeFront(inputAnswers, QString());
        return answer.isNull() ? std::nullopt : std::optional<QString>(answer);
    }
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
    bool openSucceeds = true;
    QStringList dialogs;
    std::function<int(QDialog&)> onDialog;
    std::deque<Answer> threeWayAnswers;
    QStringList inputs;
    // A null QString answers Cancel.
    std::deque<QString> inputAnswers;
    // Each file dialog asked for, and the paths chosen in turn (cancelled once they run out).
    std::vector<FileDialogRequest> fileDialogs;
    std::deque<QString> fileAnswers;
    QString clipboard;

private:
    template <typename T>
    static T takeFront(std::deque<T>& queue, T whenEmpty)
    {
        if (queue.empty())
            return whenEmpty;
        T front = std::move(queue.front());
        queue.pop_front();
        return front;
    }
    QString chosenFile(const FileDialogRequest& request)
    {
        fileDialogs.push_back(request);
        return takeFront(fileAnswers, QString());
    }
};

} // namespace halvana::test
