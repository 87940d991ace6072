#pragma once

#include "core/app/window_geometry.h"

#include <QString>
#include <QStringList>

#include <array>

namespace halvana {

class AppSettings;
class MessageSink;
struct AppFolders;

// The connection settings that the start routine reads and the PC Setup dialog edits.
struct CommSettings {
    int commMode = 0;      // "Mode": 0 RS-485, 1 TCP
    int baudIndex = 4;     // "Baud": index into baudList()
    int commPort = 4;      // "CommPort": the unit's service port
    int commPort2 = 3;     // "CommPort2": the Modbus RS-485 line
    int storedSlaveID = 1; // "BCM_SlaveID"
    QString ipAddress;     // "IP_Address", may carry ":port"

    static CommSettings read(const AppSettings& settings);
    void write(AppSettings& settings) const;
};

// Mode names, index = "Mode" value; they label the "Mode" status panel too.
const QStringList& modeNames();
// PC baud rates, index = "Baud" value.
const QStringList& baudList();
// "PC Baud: 115200  " for the "Baud" status panel.
QString baudPanelText(int baudIndex);

// Window and menu flags kept between runs: read at start, written when the program closes.
struct ShellFlags {
    static constexpr int kMeterTables = 11; // View menu tables 0..10
    static constexpr int kPanelViews = 4;

    bool columnWidthLayout = false; // "BCM_ColWidthFlag": set only by the exact text "True"
    std::array<bool, kMeterTables> meterTableOpen{};
    std::array<bool, kPanelViews> panelViewOpen{};
    bool systemSettingsOpen = false;
    bool dataSpyEnabled = false;
    bool terminalEnabled = false;
    bool pollingDisabled = false;
    QString scriptFilename;

    static ShellFlags read(const AppSettings& settings);
    void write(AppSettings& settings) const;
};

// The main window's layout: "MainFormPosition" keys 0..3 position and size, 4 state.
GeometryKeys mainFormGeometryKeys();
// "MainFormPosition" key 5: the service terminal window was open.
bool mainFormTerminalOpen(const AppSettings& settings);
void setMainFormTerminalOpen(AppSettings& settings, bool open);

// Makes the program's folders at start: the settings folder and its file-list folders, the
// downloads folder in use (with all its parents) and the scripts folders. Failures are reported.
void createProgramFolders(const AppFolders& folders, const QString& downloadsFolder,
                          const QString& scriptsFolder, MessageSink& messages);

// At start-up, after the start routine and the main window's load have read the store: one
// message with what the store could not use (the file, values that are not of their kind).
void reportSettingsProblems(const AppSettings& settings, MessageSink& messages);

// Writes the store to disk; when it cannot be written, says so naming the file, and the values
// set since the last save go back to what the file still holds.
bool saveSettings(AppSettings& settings, MessageSink& messages);

} // namespace halvana
