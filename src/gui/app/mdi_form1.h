#pragma once

#include "core/app/app_folders.h"
#include "core/app/channel_names.h"
#include "core/app/login_level.h"
#include "core/app/shell_settings.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QSet>

#include <functional>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QStatusBar;

namespace halvana {

class AppSettings;
class PollingControl;
class ShellServices;

// The main window: the work area that holds every other window, the menus, the status bars,
// the login level, and the program's start-up and shutdown.
class MDIForm1 : public QMainWindow {
    Q_OBJECT
public:
    MDIForm1(AppSettings& settings, AppFolders folders, ShellServices& shell, QWidget* parent = nullptr);
    ~MDIForm1() override;

    // The start-up after the window exists: folders, channel names, flags, the stored layout
    // (the window shows then), the login level, and communication when a user is logged in and
    // polling is on.
    void load();
    // Shows the window as it was left (maximised or normal); load() does it at its turn.
    void showStartState();

    // Menu items and top menus by control name ("mnuView", "mnuMeterTable3", ...).
    QAction* menuAction(const QString& name) const;
    // Gives a menu item its command. Until then the item is disabled and its status tip says
    // that it is not available yet.
    void setMenuCommand(const QString& name, std::function<void()> command);
    bool isMenuAvailable(const QString& name) const { return !m_unavailable.contains(name); }
    // Lets the login level govern an item of a popup menu another window owns ("mnuEnable").
    void registerMenuAction(QAction* action);
    // Enables an item as far as the login level allows (the link switches Connect, Disconnect,
    // Reboot and Terminal as it goes up and down).
    void setMenuItemEnabled(const QString& name, bool enabled, const QString& reason = QString());

    LoginLevel loginLevel() const { return m_loginLevel; }
    void ApplyLoginLevel();
    // Switches the File, View, Polling and Window menus off while a long operation runs, and
    // back to what the login level allows.
    void EnableButtons(bool flag, bool waitAfterConfigRunning = false);

    // Status bar panels by key: "Status", "Mode", "Baud", "PollingStatus", "CycleTime", "CommMsg", "ConnectTime".
    QLabel* statusPanel(const QString& key) const;
    void setStatusPanelText(const QString& key, const QString& text);
    QStatusBar* StatusBar2() const { return m_statusBar2; }
    void setStatusBar2Text(const QString& text);
    bool pollingDisabled() const;
    void setPollingDisabled(bool disabled);
    // The polling sequencer (tmrMain); PollingDisabled lives there once it is attached.
    void setPollingControl(PollingControl* polling) { m_polling = polling; }

    QMdiArea* mdiArea() const { return m_mdiArea; }
    // Shows a widget as a child window of the work area; it is deleted when closed.
    QMdiSubWindow* addChildWindow(QWidget* widget);
    // The active child window is maximised (a new one should be too).
    bool childWindowMaximised() const;
    // The open child window whose widget has this object name.
    QMdiSubWindow* findChildWindow(const QString& objectName) const;
    // Set before the child windows close at shutdown, so they know not to clear their
    // "reopen at next start" flags.
    bool isShuttingDown() const { return m_shuttingDown; }
    // "MainFormPosition" key 5: the service terminal is open.
    void setTerminalWindowOpen(bool open) { m_terminalWindowOpen = open; }

    AppSettings& settings() { return m_settings; }
    const AppFolders& folders() const { return m_folders; }
    ShellServices& shell() { return m_shell; }
    const ChannelNames& channelNames() const { return m_channelNames; }
    ShellFlags& flags() { return m_flags; }
    const CommSettings& commSettings() const { return m_comm; }
    // Saved connection settings take effect: the slave ID in use and the status panels follow.
    void setCommSettings(const CommSettings& comm);
    // The slave ID the settings dialog shows; it keeps a typed ID even when cancelled.
    int& StoredSlaveID() { return m_comm.storedSlaveID; }
    int BCM_SlaveID() const { return m_bcmSlaveId; }

    void mnuLogin_Click();
    void mnuLogout_Click();
    void mnuChangePassword_Click();
    void mnuOpenAppFolder_Click();
    void mnuUsersFolders_Click();
    void mnuDeleteReg_Click();
    void mnuWindowCascade_Click();
    void mnuTile_Click();
    void mnuScrollDown_Click();
    void mnuWindowTileVertical_Click();
    void mnuWindowTileHorizontal_Click();
    void mnuWindowArrangeIcons_Click();
    void mnuNormalizeAll_Click();
    void mnuCloseAll_Click();
    void mnuCloseSubfeedWindows_Click();
    void mnuInstructions_Click();
    void mnuAbout_Click();

    static inline const QString kManualFileName = QStringLiteral("HalvanaConfigTool_Users_Manual.pdf");

signals:
    // A user is logged in and polling is on: the link should start.
    void StartCommRequested();
    // A user logged in: polling resumes as after the Connect command.
    void ConnectRequested();
    // The user logged out: the link should disconnect before the program closes.
    void DisconnectRequested();
    // The start-up has finished; windows that reopen at start (the Data Spy) follow.
    void loadFinished();
    // EnableButtons ran: windows with buttons of their own (the upgrade window) follow.
    void buttonsEnabledChanged(bool enabled);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildStatusBars();
    void connectMenuCommands();
    void setMenuEnabled(const QString& name, bool allowed, const QString& reason = QString());
    void setMenuChecked(const QString& name, bool checked);
    void updateStatusText();
    void applyCommPanels();
    void restoreMainFormLayout();
    void storeMainFormLayout();
    QList<QMdiSubWindow*> subfeedWindows() const;
    void openFile(const QString& path, const QString& notFoundText);

    AppSettings& m_settings;
    AppFolders m_folders;
    ShellServices& m_shell;

    LoginLevel m_loginLevel = LoginLevel::LoggedOut;
    Passwords m_passwords;
    CommSettings m_comm;
    int m_bcmSlaveId = 1;
    ShellFlags m_flags;
    bool m_terminalWindowOpen = false;
    PollingControl* m_polling = nullptr;
    ChannelNames m_channelNames;
    WindowState m_startState = WindowState::Normal;

    bool m_shuttingDown = false;
    bool m_discardSettingsOnClose = false;

    QMdiArea* m_mdiArea;
    QStatusBar* m_statusBar2;
    QLabel* m_statusBar2Text;
    QHash<QString, QLabel*> m_panels;
    // Popup items of other windows come and go; QPointer forgets them when they do.
    QHash<QString, QPointer<QAction>> m_actions;
    QSet<QString> m_unavailable;
};

} // namespace halvana
