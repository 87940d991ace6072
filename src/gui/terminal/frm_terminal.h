#pragma once

#include "core/terminal/terminal_capture.h"
#include "core/terminal/terminal_console.h"

#include <QHash>
#include <QWidget>

#include <array>
#include <functional>

class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QSplitter;
class QStatusBar;
class QTimer;
class QTreeWidget;
class QGroupBox;

namespace halvana {

class AppSettings;
class Clock;
class ConsoleView;
class ShellServices;
class Transport;

// The service terminal `frmTerminal`: the console of the unit's service port with its command
// line, the command buttons, the collapsible command list, the command rows and the capture of
// what the unit sends. The logic is the TerminalConsole's; the window shows it and forwards.
class FrmTerminal : public QWidget {
    Q_OBJECT
public:
    struct Context {
        AppSettings& settings;
        ShellServices& shell;
        Clock& clock;
        Transport* port;
        QString programFolder;
        // The downloads folder in use, asked each time a capture starts.
        std::function<QString()> downloadsFolder;
        // Shows the comparison file list afresh; empty while there is none.
        std::function<void()> showComparison;
    };

    // The layout keys in section "frmTerminal" start with this window's text.
    static inline const QString kLayoutSection = QStringLiteral("frmTerminal");
    static inline const QString kLayoutPrefix = QStringLiteral("01");

    explicit FrmTerminal(Context context, QWidget* parent = nullptr);
    ~FrmTerminal() override;

    TerminalConsole& console() { return m_console; }
    bool isCommandListExpanded() const;

    void cmdConnect_Click();
    void cmdSP_Commands_Click(int index);
    void lstSP_Cmds_DblClick();
    void cmdSend_tlm_Click(int index);
    void cmdRead_Next_Click(int index);
    void cmdWrite_Click(int index, std::function<void()> sent = {});
    // A command through the first command row, its argument emptied, as the upgrade sends its
    // board's command; `sent` runs once it has left.
    void writeCommandRow(const QString& command, std::function<void()> sent);
    void cmdExpand_Click();
    void GetSP_Commands();
    void GetSP_Cmd_List();
    void cmdStart_Click();
    void cmdOpenFile_Click();
    void cmdOpenFolder_Click();
    void cmdRename_Click();
    void cmdCompare_Click();

    static constexpr int kCommandRows = 2;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    QWidget* buildCommandList();
    QLayout* buildCaptureRow();
    void showCaptureState();
    void setCommandListExpanded(bool expanded);
    void restoreLayout();
    void storeLayout();
    void recallHistory(int step);

    Context m_context;
    TerminalConsole m_console;
    TerminalCapture m_capture;
    QTimer* tmrBlink;
    int m_historyIndex = 0;
    int m_commandListLeft = 0;

    QPushButton* cmdConnect;
    QLabel* shpConnected;
    std::array<QPushButton*, 10> cmdSP_Commands{};
    QSplitter* m_split;
    ConsoleView* rtbTerm;
    QPushButton* cmdExpand;
    QGroupBox* fraSP_Cmd_List;
    QTreeWidget* lstSP_Cmds;
    std::array<QPushButton*, 2> cmdSend_tlm{};
    std::array<QPushButton*, 2> cmdRead_Next{};
    QLineEdit* txtListArgument;
    QLineEdit* txtCommandLine;
    std::array<QLineEdit*, kCommandRows> txtCommand{};
    std::array<QLineEdit*, kCommandRows> txtArgument{};
    std::array<QPushButton*, kCommandRows> cmdWrite{};
    QPushButton* cmdStart;
    QLabel* lblFilename;
    QPushButton* cmdOpenFile;
    QPushButton* cmdOpenFolder;
    QPushButton* cmdRename;
    QPushButton* cmdCompare;
    QStatusBar* sbrStatus;
    QHash<QString, QLabel*> m_panels;
};

} // namespace halvana
