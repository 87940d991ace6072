#pragma once

#include "core/files/file_list.h"
#include "core/upgrade/downgrade.h"
#include "core/upgrade/upgrade_sequence.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace halvana {

class AppSettings;
class Clock;
class FrmTerminal;
class MDIForm1;
class ShellServices;
class UnitSession;

// The firmware upgrade window `frmUpgrade`: the image file and its list, the three board
// buttons and the downgrade, the transfer's status, progress and times. The upgrade itself is
// the UpgradeSequence's, through the open service terminal; the window shows and forwards.
class FrmUpgrade : public QWidget {
    Q_OBJECT
public:
    struct Context {
        MDIForm1& form;
        AppSettings& settings;
        ShellServices& shell;
        Clock& clock;
        UnitSession& session;
        QString appDataFolder;
        // The open service terminal, or null.
        std::function<FrmTerminal*()> terminal;
        std::function<void()> closeTerminal;
    };

    static inline const QString kListFile = QStringLiteral("UpgradeFileList.ini");
    static inline const QString kWrongType = QStringLiteral("Wrong file type; must be '.bin'.");
    static inline const QString kCloseQuery = QStringLiteral(
        "Upgrade is in process.\r\nPlease wait until completed . . .\r\nDo you want to exit now anyway?");
    static inline const QString kSucceededMessage = QStringLiteral(
        "The image was received successfully.\r\nPlease reboot the system after the heartbeat LED starts flashing.");

    explicit FrmUpgrade(Context context, QWidget* parent = nullptr);
    ~FrmUpgrade() override;

    UpgradeSequence& sequence() { return m_sequence; }

    void cmdUpgrade_Click(int index);
    void cmdDowngrade_Click();
    void cmdAddFile_Click();
    void cmdRemoveFile_Click();
    void cmdBrowse_Click();
    void cmdOpenExplorer_Click();
    // Files dropped onto cboFile, in order.
    void dropFiles(const QStringList& paths);
    void EnableButtons(bool flag);
    // Asks before the sub-window `frame` that holds this window closes.
    void watchFrame(QWidget* frame) { frame->installEventFilter(this); }
    // The reboot's text while the unit restarts ("" when done).
    void showRebootText(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class TerminalLink;

    // The close query while an upgrade runs; Yes cancels it.
    bool confirmClose();
    void buildControls();
    void loadFileList();
    void saveFileList();
    void showEstimate();
    void setStatus(const QString& text);
    void transferFinished(int code);

    Context m_context;
    UpgradeSequence m_sequence;
    Downgrade m_downgrade;
    std::unique_ptr<TerminalLink> m_terminalLink;
    FileList m_list{FileList::Lines::PathOnly};

    QComboBox* cboFile;
    QPushButton* cmdBrowse;
    QPushButton* cmdAddFile;
    QPushButton* cmdRemoveFile;
    QPushButton* cmdOpenExplorer;
    std::array<QPushButton*, 3> cmdUpgrade{};
    QPushButton* cmdDowngrade;
    QPlainTextEdit* txtFileTransferStatus;
    QLineEdit* txtEstimatedTime;
    QLineEdit* txtElaspedTime;
    QLineEdit* txtRemainingTime;
    QProgressBar* prgBlocks;
    QPushButton* cmdExit;
};

} // namespace halvana
