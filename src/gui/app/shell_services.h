#pragma once

#include "core/app/message_sink.h"

#include <QString>

class QDialog;
class QUrl;
class QWidget;

namespace halvana {

// Everything through which the windows reach the user or the desktop outside their own widgets:
// message boxes, questions, modal dialogs and opening files or folders. Tests put a recording
// fake here, so nothing blocks and nothing is launched.
class ShellServices : public MessageSink {
public:
    // A Yes/No question with a question icon; true for Yes.
    virtual bool askYesNo(const QString& title, const QString& text, bool yesIsDefault) = 0;
    // Opens a file or folder with the desktop's associated program; false when that failed.
    virtual bool openUrl(const QUrl& url) = 0;
    // Shows a dialog modally; returns its result code.
    virtual int runDialog(QDialog& dialog) = 0;
};

// The real desktop: QMessageBox, QDesktopServices and QDialog::exec.
class DesktopShell : public ShellServices {
public:
    void setParentWidget(QWidget* parent) { m_parent = parent; }

    void showMessage(Severity severity, const QString& title, const QString& text) override;
    bool askYesNo(const QString& title, const QString& text, bool yesIsDefault) override;
    bool openUrl(const QUrl& url) override;
    int runDialog(QDialog& dialog) override;

private:
    QWidget* m_parent = nullptr;
};

} // namespace halvana
