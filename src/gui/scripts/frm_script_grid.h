#pragma once

#include "core/scripts/script_builder.h"

#include <QWidget>

#include <array>
#include <functional>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace halvana {

class AppSettings;
class MDIForm1;
class ModbusScriptRunner;
class ShellServices;
class UnitSession;
struct ScriptSummary;

// The script builder `frmScriptGrid` ("Create Scripts"): meter types, settings and channel
// mappings picked from lists and grids become script lines in `txtNewScript` through the
// core's ScriptBuilder; the script is saved, opened, handed to the terminal runner or run over
// Modbus with its progress in `lstScript`.
class FrmScriptGrid : public QWidget {
    Q_OBJECT
public:
    struct Context {
        ShellServices& shell;
        UnitSession& session;
        QString programFolder;
        QString scriptsFolder;
        // "ScriptFilename", kept by the main window across runs.
        QString& scriptFilename;
        // `AddFile` on the terminal runner and the runner shown.
        std::function<void(const QString& path)> runViaTerminal;
    };

    explicit FrmScriptGrid(Context context, QWidget* parent = nullptr);
    ~FrmScriptGrid() override;

    // Joins the window to Service > "&Create Scripts"; the returned function shows the window
    // with a script text in it (the differences window's "Create Script").
    static std::function<void(const QString&)> install(MDIForm1& form, UnitSession& session,
                                                       std::function<void(const QString&)> runViaTerminal);

    QString scriptText() const;
    void setScriptText(const QString& text);
    QString filePath() const;
    // Shows the message about a remembered script file that has gone, once.
    void checkRememberedFile();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMeterPanel(QWidget* panel);
    void buildSettingsPanel(QWidget* panel);
    void buildMappingPanel(QWidget* panel);
    void buildScriptPanel(QWidget* panel);

    ScriptBuilder builder() const;
    QList<int> selectedMeters(QTableWidget* grid) const;
    void apply(const ScriptBuilder::Result& result);
    ScriptBuilder::SettingKind settingKind() const;
    void GetModbusSettingsList();
    void loadMapping();
    void showMappingGrids();
    void updateButtons();

    void cmdAddMeters_Click();
    void Command1_Click();
    void cmdAdd_Click();
    void cmdAddMapping_Click();
    void cmdMakeReadFile_Click();
    void cmdWriteScript_Click();
    void cmdBrowse_Click();
    void cmdOpenFolder_Click();
    void cmdRunScript_Click();
    void cmdRunModbus_Click();
    void cmdStopModbusRun_Click();
    void endModbusRun();
    void rememberFile(const QString& path);

    Context m_context;
    ModbusScriptRunner& m_runner;
    ChannelMapping m_mapping;

    QListWidget* lstMeterType;
    QTableWidget* grdMtrNo;
    QTableWidget* grdMtrNo2;
    std::array<QRadioButton*, 3> optMeterType{};
    QListWidget* lstSP_Cmds;
    QLineEdit* txtItemSelected;
    QLineEdit* txtNewSetting;
    QPushButton* cmdAdd;
    QListWidget* lstChannelConfiguration;
    QComboBox* lstSlotNo;
    QComboBox* lstMtrNo_1Ph;
    QComboBox* lst1stBrPnl;
    QComboBox* lstMtrNo_3Ph;
    QComboBox* lst3PhParentID;
    std::array<QTableWidget*, 2> grdMapping{};
    QPlainTextEdit* txtNewScript;
    QListWidget* lstScript;
    QLineEdit* txtFilePath;
    QPushButton* cmdWriteScript;
    QPushButton* cmdMakeReadFile;
    QPushButton* cmdRunScript;
    QPushButton* cmdRunModbus;
    QPushButton* cmdStopModbusRun;
};

} // namespace halvana
