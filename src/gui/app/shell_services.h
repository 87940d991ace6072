#pragma once

#include "core/app/message_sink.h"

#include <QString>

#include <optional>

class QDialog;
class QUrl;
class QWidget;

namespace halvana {

// What a file dialog is asked for. filter is in Qt's form, entries separated by ";;"
// ("All Files (*.*);;Text Files(*.txt)").
struct FileDialogRequest {
    QString title;
    // A folder to start in, or a file to start at.
    QString startPath;
    QString filter;
    QString selectedFilter;
};

// Everything through which the windows reach the user or the desktop outside their own widgets:
// message boxes, questions, modal dialogs, file dialogs, the clipboard and opening files or
// folders. Tests put a recording fake here, so nothing blocks and nothing is launched.
class ShellServices : public MessageSink {
public:
    enum class Answer { Yes, No, Cancel };

    // A Yes/No question with a question icon; true for Yes.
    virtual bool askYesNo(const QString& title, const QString& text, bool yesIsDefault) = 0;
    // Opens a file or folder with the desktop's associated program; false when that failed.
    virtual bool openUrl(const QUrl& url) = 0;
    // Shows a dialog modally; returns its result code.
    virtual int runDialog(QDialog& dialog) = 0;

    // A question with Yes, No and Cancel and a question icon; closing the box is Cancel.
    virtual Answer askYesNoCancel(const QString& title, const QString& text) = 0;
    // A line of text asked for in an input box; nothing when cancelled.
    virtual std::optional<QString> inputText(const QString& title, const QString& prompt, const QString& proposed) = 0;
    // The chosen file's path ('/' separators); empty when cancelled.
    virtual QString chooseOpenFile(const FileDialogRequest& request) = 0;
    virtual QString chooseSaveFile(const FileDialogRequest& request) = 0;
    // The chosen folder's path; empty when cancelled.
    virtual QString chooseFolder(const QString& title, const QString& startFolder) = 0;
    // Replaces the clipboard's text.
    virtual void setClipboardText(const QString& text) = 0;
    virtual QString clipboardText() = 0;
};

// The real desktop: QMessageBox, QInputDialog, QFileDialog, QClipboard, QDesktopServices and
// QDialog::exec.
class DesktopShell : public ShellServices {
public:
    void setParentWidget(QWidget* parent) { m_parent = parent; }

    void showMessage(Severity severity, const QString& title, const QString& text) override;
    bool askYesNo(const QString& title, const QString& text, bool yesIsDefault) override;
    bool openUrl(const QUrl& url) override;
    int runDialog(QDialog& dialog) override;
    Answer askYesNoCancel(const QString& title, const QString& text) override;
    std::optional<QString> inputText(const QString& title, const QString& prompt, const QString& proposed) override;
    QString chooseOpenFile(const FileDialogRequest& request) override;
    QString chooseSaveFile(const FileDialogRequest& request) override;
    QString chooseFolder(const QString& title, const QString& startFolder) override;
    void setClipboardText(const QString& text) override;
    QString clipboardText() override;

private:
    QWidget* m_parent = nullptr;
};

} // namespace halvana
