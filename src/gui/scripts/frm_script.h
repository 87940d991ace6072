#pragma once

#include "core/scripts/script_file_list.h"
#include "core/scripts/terminal_script_runner.h"

#include <QWidget>

#include <array>
#include <functional>

class QGroupBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;

namespace halvana {

class AppSettings;
class Clock;
class ConsoleView;
class FileDropList;
class FrmTerminal;
class ShellServices;

// The terminal runner window `frmScript` ("Script File Transfer"): the script list
// `lvwScriptFiles`, the shown script's lines in `lstSP_Cmds`, the two delays, Run, Pause, Step,
// Save and Exit, and beside them a mirror of the service terminal's text. The run itself is the
// TerminalScriptRunner's, through the open terminal's send queue; the window shows and forwards.
class FrmScript : public QWidget {
    Q_OBJECT
public:
    struct Context {
        AppSettings& settings;
        ShellServices& shell;
        Clock& clock;
        // Where "Script_Files.ini" is kept.
        QString listFolder;
        // The scripts folder in use, asked when a file is to be added.
        std::function<QString()> scriptsFolder;
    };

    enum Column { CheckColumn, NumberColumn, FolderColumn, NameColumn, DateColumn, LastUsedColumn, ColumnCount };
    static inline const QString kColumnWidthSection = QStringLiteral("Script_LV_ColWidth");

    explicit FrmScript(Context context, QWidget* parent = nullptr);
    ~FrmScript() override;

    // The terminal that sends the lines and whose text is mirrored; null when none is open.
    void attachTerminal(FrmTerminal* terminal);

    // Adds the script to the list, or finds it there, selects it and shows its lines.
    void AddFile(const QString& path);
    QString ScriptFilePath() const { return m_files.selectedPath(); }
    TerminalScriptRunner& runner() { return m_runner; }
    const ScriptFileList& files() const { return m_files; }

    void cmdRun_Click();
    void cmdSave_Click();
    void Browse();
    void RemoveFile();
    void OpenFolder();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    QWidget* buildScriptList();
    void refreshList();
    // `GetSP_Cmd_List`: the selected script's lines into lstSP_Cmds.
    void GetSP_Cmd_List();
    void showSelectedRow(int row, int scrollTo);
    void showRunning(bool running);
    void restoreColumnWidths();
    void storeColumnWidths();
    void warnIfFailed(const QString& failure);

    Context m_context;
    TerminalScriptRunner m_runner;
    ScriptFileList m_files;
    bool m_refreshing = false;

    FileDropList* lvwScriptFiles;
    QMenu* m_popup;
    QListWidget* lstSP_Cmds;
    std::array<QLineEdit*, 2> txtDelay{};
    QPushButton* cmdRun;
    QPushButton* cmdPause;
    QPushButton* cmdSingleStep;
    QPushButton* cmdSave;
    QPushButton* cmdExit;
    QGroupBox* fraTerminal;
    ConsoleView* rtbTerm = nullptr;
};

} // namespace halvana
