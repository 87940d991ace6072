#include "gui/app/mdi_form1.h"

#include "core/app/app_settings.h"
#include "core/app/app_title.h"
#include "core/app/folder_locations.h"
#include "core/app/window_arrangement.h"
#include "core/modbus/polling_control.h"
#include "gui/ancillary/frm_users_folder.h"
#include "gui/app/disabled_item_tips.h"
#include "gui/app/frm_about.h"
#include "gui/app/frm_change_password.h"
#include "gui/app/frm_login.h"
#include "gui/app/main_menu.h"
#include "gui/app/menu_permissions.h"
#include "gui/app/scroll_mode_capture.h"
#include "gui/app/shell_services.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

namespace halvana {

namespace {

const QString kNotAvailableTip = QStringLiteral("Not available in this version yet.");
const QString kPollingDisabledText = QStringLiteral("Polling is Disabled");
const QStringList kPanelKeys = {QStringLiteral("Status"),        QStringLiteral("Mode"),      QStringLiteral("Baud"),
                                QStringLiteral("PollingStatus"), QStringLiteral("CycleTime"), QStringLiteral("CommMsg"),
                                QStringLiteral("ConnectTime")};
const QRect kDefaultGeometry(40, 40, 1100, 760);

WindowState stateOf(const QWidget* w)
{
    if (w->isMinimized())
        return WindowState::Minimised;
    return w->isMaximized() ? WindowState::Maximised : WindowState::Normal;
}

} // namespace

MDIForm1::MDIForm1(AppSettings& settings, AppFolders folders, ShellServices& shell, QWidget* parent)
    : QMainWindow(parent), m_settings(settings), m_folders(std::move(folders)), m_shell(shell)
{
    setObjectName(QStringLiteral("MDIForm1"));
    setWindowTitle(kAppTitle);

    // The start routine's values: passwords and the connection settings.
    m_passwords = Passwords::load(m_settings);
    m_comm = CommSettings::read(m_settings);
    m_bcmSlaveId = m_comm.storedSlaveID;
    m_flags = ShellFlags::read(m_settings);

    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("mdiArea"));
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    const QHash<QString, QAction*> menu = buildMainMenu(menuBar());
    for (auto it = menu.cbegin(); it != menu.cend(); ++it) {
        m_actions.insert(it.key(), it.value());
        // An item is unavailable until something gives it its command.
        QAction* action = it.value();
        if (!action->isSeparator() && !action->menu()) {
            m_unavailable.insert(it.key());
            action->setEnabled(false);
            action->setStatusTip(kNotAvailableTip);
        }
    }
    new DisabledItemTips(menuBar());
    buildStatusBars();
    connectMenuCommands();
    setGeometry(kDefaultGeometry);
}

MDIForm1::~MDIForm1()
{
    // Child windows go first, while everything they may call on the way out still exists.
    m_shuttingDown = true;
    qDeleteAll(m_mdiArea->subWindowList());
}

void MDIForm1::buildStatusBars()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("sbStatusBar"));
    bar->setSizeGripEnabled(true);
    for (const QString& key : kPanelKeys) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(key);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        m_panels.insert(key, panel);
        // CommMsg takes the spare width; the others size to their text.
        bar->addPermanentWidget(panel, key == QLatin1String("CommMsg") ? 1 : 0);
    }

    // The second bar sits under the work area and spans the window's width.
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_mdiArea, 1);
    m_statusBar2 = new QStatusBar(central);
    m_statusBar2->setObjectName(QStringLiteral("StatusBar2"));
    m_statusBar2->setSizeGripEnabled(false);
    m_statusBar2Text = new QLabel(m_statusBar2);
    m_statusBar2Text->setObjectName(QStringLiteral("StatusBar2Panel1"));
    m_statusBar2->addWidget(m_statusBar2Text, 1);
    layout->addWidget(m_statusBar2);
    setCentralWidget(central);

    auto* popup = new QMenu(this);
    popup->setObjectName(QStringLiteral("mnuCommLostStatusBar"));
    QAction* hide = popup->addAction(QStringLiteral(" Hide Communications Lost Bar"));
    hide->setObjectName(QStringLiteral("mnuHideCommLostStatusBar"));
    connect(hide, &QAction::triggered, m_statusBar2, &QWidget::hide);
    m_statusBar2->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_statusBar2, &QWidget::customContextMenuRequested, this,
            [this, popup](const QPoint& pos) { popup->popup(m_statusBar2->mapToGlobal(pos)); });
}

void MDIForm1::connectMenuCommands()
{
    const std::pair<const char*, void (MDIForm1::*)()> commands[] = {
        {"mnuLogin", &MDIForm1::mnuLogin_Click},
        {"mnuLogout", &MDIForm1::mnuLogout_Click},
        {"mnuChangePassword", &MDIForm1::mnuChangePassword_Click},
        {"mnuOpenAppFolder", &MDIForm1::mnuOpenAppFolder_Click},
        {"mnuUsersFolders", &MDIForm1::mnuUsersFolders_Click},
        {"mnuDeleteReg", &MDIForm1::mnuDeleteReg_Click},
        {"mnuWindowCascade", &MDIForm1::mnuWindowCascade_Click},
        {"mnuTile", &MDIForm1::mnuTile_Click},
        {"mnuScrollDown", &MDIForm1::mnuScrollDown_Click},
        {"mnuWindowTileVertical", &MDIForm1::mnuWindowTileVertical_Click},
        {"mnuWindowTileHorizontal", &MDIForm1::mnuWindowTileHorizontal_Click},
        {"mnuWindowArrangeIcons", &MDIForm1::mnuWindowArrangeIcons_Click},
        {"mnuNormalizeAll", &MDIForm1::mnuNormalizeAll_Click},
        {"mnuCloseAll", &MDIForm1::mnuCloseAll_Click},
        {"mnuCloseSubfeedWindows", &MDIForm1::mnuCloseSubfeedWindows_Click},
        {"mnuInstructions", &MDIForm1::mnuInstructions_Click},
        {"mnuAbout", &MDIForm1::mnuAbout_Click},
    };
    for (const auto& [name, handler] : commands)
        setMenuCommand(QString::fromLatin1(name), [this, handler = handler] { (this->*handler)(); });
    setMenuCommand(QStringLiteral("mnuExit"), [this] { close(); });
}

QAction* MDIForm1::menuAction(const QString& name) const
{
    return m_actions.value(name);
}

void MDIForm1::setMenuCommand(const QString& name, std::function<void()> command)
{
    QAction* action = m_actions.value(name);
    if (!action)
        return;
    connect(action, &QAction::triggered, this, [command = std::move(command)] { command(); });
    m_unavailable.remove(name);
    setMenuEnabled(name, menuAllowedAtLevel(name, m_loginLevel, m_comm.commMode));
}

void MDIForm1::registerMenuAction(QAction* action)
{
    const QString name = action->objectName();
    m_actions.insert(name, action);
    setMenuEnabled(name, menuAllowedAtLevel(name, m_loginLevel, m_comm.commMode));
}

void MDIForm1::setMenuItemEnabled(const QString& name, bool enabled, const QString& reason)
{
    setMenuEnabled(name, enabled && menuAllowedAtLevel(name, m_loginLevel, m_comm.commMode), reason);
}

void MDIForm1::setMenuEnabled(const QString& name, bool allowed, const QString& reason)
{
    QAction* action = m_actions.value(name);
    if (!action)
        return;
    const bool enabled = allowed && !m_unavailable.contains(name);
    action->setEnabled(enabled);
    // A disabled item says why (shown as its tooltip); the login level's reason comes first.
    QString tip;
    if (m_unavailable.contains(name))
        tip = kNotAvailableTip;
    else if (!enabled)
        tip = menuLevelReason(name, m_loginLevel, m_comm.commMode);
    if (!enabled && tip.isEmpty())
        tip = reason;
    action->setStatusTip(tip);
}

void MDIForm1::setMenuChecked(const QString& name, bool checked)
{
    // A check mark says a window is open; items without their window yet show none.
    if (QAction* action = m_actions.value(name); action && !m_unavailable.contains(name))
        action->setChecked(checked);
}

void MDIForm1::ApplyLoginLevel()
{
    for (const MenuEnabled& state : loginLevelMenuStates(m_loginLevel, m_comm.commMode))
        setMenuEnabled(state.menu, state.enabled);
}

void MDIForm1::EnableButtons(bool flag, bool waitAfterConfigRunning)
{
    for (const MenuEnabled& state :
         enableButtonsMenuStates(flag, m_loginLevel, m_comm.commMode, waitAfterConfigRunning))
        setMenuEnabled(state.menu, state.enabled, state.reason);
    emit buttonsEnabledChanged(flag);
}

QLabel* MDIForm1::statusPanel(const QString& key) const
{
    return m_panels.value(key);
}

void MDIForm1::setStatusPanelText(const QString& key, const QString& text)
{
    if (QLabel* panel = m_panels.value(key))
        panel->setText(text);
}

void MDIForm1::setStatusBar2Text(const QString& text)
{
    m_statusBar2Text->setText(text);
}

bool MDIForm1::pollingDisabled() const
{
    return m_polling ? m_polling->PollingDisabled() : m_flags.pollingDisabled;
}

void MDIForm1::setPollingDisabled(bool disabled)
{
    m_flags.pollingDisabled = disabled;
    if (m_polling) {
        m_polling->setPollingDisabled(disabled);
        if (disabled)
            m_polling->setMainTimerEnabled(false);
    }
    setMenuChecked(QStringLiteral("mnuModbusPolling"), !disabled);
    m_statusBar2->setVisible(disabled);
    if (disabled) {
        m_statusBar2Text->setText(kPollingDisabledText);
        setStatusPanelText(QStringLiteral("PollingStatus"), kPollingDisabledText + QStringLiteral("  "));
    }
}

void MDIForm1::updateStatusText()
{
    setStatusPanelText(QStringLiteral("Status"), loginStatusText(m_loginLevel));
}

void MDIForm1::setCommSettings(const CommSettings& comm)
{
    m_comm = comm;
    m_bcmSlaveId = comm.storedSlaveID;
    applyCommPanels();
    ApplyLoginLevel();
}

void MDIForm1::applyCommPanels()
{
    setStatusPanelText(QStringLiteral("Mode"), modeNames().value(m_comm.commMode));
    setStatusPanelText(QStringLiteral("Baud"), baudPanelText(m_comm.baudIndex));
    // The baud rate means nothing over TCP.
    m_panels.value(QStringLiteral("Baud"))->setVisible(m_comm.commMode == 0);
}

void MDIForm1::load()
{
    m_channelNames = ChannelNames::load(m_folders.programFolder, m_shell);

    const FolderLocations locations(m_settings, m_folders);
    createProgramFolders(m_folders, locations.folderInUse(FolderLocations::Downloads),
                         locations.folderInUse(FolderLocations::Scripts), m_shell);

    m_statusBar2->hide();
    m_statusBar2Text->setText(kPollingDisabledText);
    if (m_flags.pollingDisabled)
        setPollingDisabled(true);
    else
        setMenuChecked(QStringLiteral("mnuModbusPolling"), true);

    restoreMainFormLayout();
    // Up from here on, so that whatever the link reports has the main window behind it.
    showStartState();
    // Kept as stored until the terminal window exists to reopen.
    m_terminalWindowOpen = mainFormTerminalOpen(m_settings);

    for (int i = 0; i < ShellFlags::kPanelViews; ++i)
        setMenuChecked(QStringLiteral("mnuBCM_Panel_CB_View%1").arg(i), m_flags.panelViewOpen[size_t(i)]);
    setMenuChecked(QStringLiteral("mnuSystemandPanelSettings"), m_flags.systemSettingsOpen);

    m_loginLevel = parseLoginLevel(m_settings.property(QStringLiteral("LoginLevel")));
    updateStatusText();
    applyCommPanels();
    ApplyLoginLevel();

    if (m_loginLevel != LoginLevel::LoggedOut && !m_flags.pollingDisabled)
        emit StartCommRequested();

    if (m_loginLevel == LoginLevel::Supervisor) {
        setMenuChecked(QStringLiteral("mnuDataSpy"), m_flags.dataSpyEnabled);
        setMenuChecked(QStringLiteral("mnuTerminal"), m_flags.terminalEnabled);
    }
    emit loadFinished();
}

void MDIForm1::restoreMainFormLayout()
{
    const StoredGeometry stored = readGeometry(m_settings, mainFormGeometryKeys());
    setGeometry(stored.applyTo(geometry()));
    // A program that comes up minimised looks as if it had not started; it opens normal then.
    m_startState = stored.state == WindowState::Maximised ? WindowState::Maximised : WindowState::Normal;
}

void MDIForm1::showStartState()
{
    if (m_startState == WindowState::Maximised)
        showMaximized();
    else
        show();
}

void MDIForm1::storeMainFormLayout()
{
    const WindowState state = stateOf(this);
    const QRect normal = state == WindowState::Normal ? geometry() : normalGeometry();
    writeGeometry(m_settings, mainFormGeometryKeys(), normal, state);
    setMainFormTerminalOpen(m_settings, m_terminalWindowOpen);
}

void MDIForm1::closeEvent(QCloseEvent* event)
{
    m_shuttingDown = true;
    m_mdiArea->closeAllSubWindows();
    if (!m_discardSettingsOnClose) {
        m_flags.pollingDisabled = pollingDisabled();
        m_flags.write(m_settings);
        storeMainFormLayout();
        saveSettings(m_settings, m_shell);
    }
    event->accept();
}

void MDIForm1::changeEvent(QEvent* event)
{
    // A maximised child window would add its own caption to ours; the title stays the program's.
    if (event->type() == QEvent::WindowTitleChange && windowTitle() != kAppTitle)
        setWindowTitle(kAppTitle);
    QMainWindow::changeEvent(event);
}

void MDIForm1::mnuLogin_Click()
{
    setPollingDisabled(true);

    FrmLogin dialog(m_passwords, m_settings, m_shell, this);
    connect(&dialog, &FrmLogin::passwordAboutToBeChecked, this, &MDIForm1::mnuCloseAll_Click);
    if (m_shell.runDialog(dialog) != QDialog::Accepted)
        return; // polling stays off until the user reconnects

    m_loginLevel = dialog.chosenLevel();
    m_settings.setProperty(QStringLiteral("LoginLevel"), loginLevelText(m_loginLevel));
    saveSettings(m_settings, m_shell);
    updateStatusText();
    emit StartCommRequested();
    setPollingDisabled(false);
    ApplyLoginLevel();
    emit ConnectRequested();
}

void MDIForm1::mnuLogout_Click()
{
    if (!m_shell.askYesNo(QStringLiteral("BCM Config Logout"),
                          QStringLiteral("Do you really want to logout?\nThe program will also close."), false))
        return;
    m_loginLevel = LoginLevel::LoggedOut;
    m_settings.setProperty(QStringLiteral("LoginLevel"), QString());
    updateStatusText();
    emit DisconnectRequested();
    setMenuEnabled(QStringLiteral("mnuConnect_Top"), false);
    mnuCloseAll_Click();
    m_shell.showMessage(MessageSink::Severity::Information, kAppTitle,
                        QStringLiteral("You have logged out.\nThe program will now close."));
    close();
}

void MDIForm1::mnuChangePassword_Click()
{
    if (changePasswordChoices(m_loginLevel).isEmpty())
        return;
    FrmChangePassword dialog(m_loginLevel, m_passwords, m_settings, m_shell, this);
    m_shell.runDialog(dialog);
}

void MDIForm1::mnuOpenAppFolder_Click()
{
    openFile(m_folders.programFolder, QStringLiteral("The folder, '%1', was not found."));
}

void MDIForm1::mnuInstructions_Click()
{
    openFile(m_folders.programFolder + QLatin1Char('/') + kManualFileName,
             QStringLiteral("The file, '%1', was not found."));
}

void MDIForm1::openFile(const QString& path, const QString& notFoundText)
{
    const QString fullPath = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (!QFileInfo::exists(path)) {
        m_shell.showMessage(MessageSink::Severity::Critical, kAppTitle, notFoundText.arg(fullPath));
        return;
    }
    if (!m_shell.openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath())))
        m_shell.showMessage(MessageSink::Severity::Warning, kAppTitle,
                            QStringLiteral("No program on this computer could open '%1'.").arg(fullPath));
}

void MDIForm1::mnuUsersFolders_Click()
{
    if (QMdiSubWindow* open = findChildWindow(QStringLiteral("frmUsersFolder"))) {
        m_mdiArea->setActiveSubWindow(open);
        return;
    }
    addChildWindow(new FrmUsersFolder(m_settings, m_folders, m_shell));
}

void MDIForm1::mnuDeleteReg_Click()
{
    const QString text = QStringLiteral(
        "This feature will delete all of your custom settings for this application and will "
        "then automatically close it.  \nWhen restarting this application afterwards, it will "
        "use the default settings.\n\nDo you want to continue?");
    if (!m_shell.askYesNo(QStringLiteral("Use Application's Default Settings"), text, false))
        return;
    // The child windows store their layout as they close; they close before the store is cleared.
    m_shuttingDown = true;
    m_mdiArea->closeAllSubWindows();
    m_settings.clearAll();
    saveSettings(m_settings, m_shell);
    // Nothing may be written back on the way out, or the defaults would not be defaults.
    m_discardSettingsOnClose = true;
    close();
}

void MDIForm1::mnuAbout_Click()
{
    FrmAbout dialog(m_settings.filePath(), m_folders.programFolder, this);
    m_shell.runDialog(dialog);
}

QMdiSubWindow* MDIForm1::addChildWindow(QWidget* widget)
{
    // A new window comes up normal and laid out even while another one is maximised; the
    // caller maximises it once it has its size and place.
    const bool keep = m_mdiArea->testOption(QMdiArea::DontMaximizeSubWindowOnActivation);
    m_mdiArea->setOption(QMdiArea::DontMaximizeSubWindowOnActivation, true);
    QMdiSubWindow* sub = m_mdiArea->addSubWindow(widget);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    widget->show();
    m_mdiArea->setOption(QMdiArea::DontMaximizeSubWindowOnActivation, keep);
    sub->setGeometry(keepInWorkArea(sub->geometry(), m_mdiArea->viewport()->size(), sub->minimumSizeHint()));
    return sub;
}

bool MDIForm1::childWindowMaximised() const
{
    const QMdiSubWindow* active = m_mdiArea->activeSubWindow();
    return active && active->isMaximized();
}

QMdiSubWindow* MDIForm1::findChildWindow(const QString& objectName) const
{
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList()) {
        if (sub->widget() && sub->widget()->objectName() == objectName)
            return sub;
    }
    return nullptr;
}

void MDIForm1::mnuWindowCascade_Click()
{
    // As desktop cascading does: each window keeps its size, one title bar further down.
    const QList<QMdiSubWindow*> windows = m_mdiArea->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow* w : windows) {
        if (w->isMaximized())
            w->showNormal();
    }
    std::vector<TileWindow> cascade;
    for (const QMdiSubWindow* w : windows)
        cascade.push_back({w->size(), w->isVisible() && !w->isMinimized()});
    const int step = style()->pixelMetric(QStyle::PM_TitleBarHeight)
                     + 2 * style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    const auto positions = cascadeLayout(cascade, m_mdiArea->viewport()->size(), step);
    for (int i = 0; i < windows.size(); ++i) {
        if (positions[size_t(i)]) {
            windows[i]->move(*positions[size_t(i)]);
            windows[i]->raise();
        }
    }
    if (!windows.isEmpty() && positions.back())
        m_mdiArea->setActiveSubWindow(windows.back());
}

void MDIForm1::mnuTile_Click()
{
    const QList<QMdiSubWindow*> windows = m_mdiArea->subWindowList(QMdiArea::CreationOrder);
    std::vector<TileWindow> tiles;
    for (const QMdiSubWindow* w : windows)
        tiles.push_back({w->size(), w->isVisible() && !w->isMinimized() && !w->isMaximized()});
    const auto positions = tileFlowLayout(tiles, m_mdiArea->viewport()->width());
    for (int i = 0; i < windows.size(); ++i) {
        if (positions[size_t(i)])
            windows[i]->move(*positions[size_t(i)]);
    }
}

void MDIForm1::mnuScrollDown_Click()
{
    (new ScrollModeCapture(m_mdiArea, this))->start();
}

QList<QMdiSubWindow*> MDIForm1::subfeedWindows() const
{
    QList<QMdiSubWindow*> found;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (sub->widget() && sub->widget()->objectName() == QLatin1String("frmSubfeed"))
            found.append(sub);
    }
    return found;
}

void MDIForm1::mnuWindowTileVertical_Click()
{
    int top = 0;
    for (QMdiSubWindow* sub : subfeedWindows()) {
        sub->move(0, top);
        top += sub->height();
    }
}

void MDIForm1::mnuWindowTileHorizontal_Click()
{
    const QList<QMdiSubWindow*> subs = subfeedWindows();
    int rowTop = 0;
    for (int i = 0; i < subs.size(); i += 2) {
        subs[i]->move(0, rowTop);
        int rowHeight = subs[i]->height();
        if (i + 1 < subs.size()) {
            subs[i + 1]->move(subs[i]->width(), rowTop);
            rowHeight = std::max(rowHeight, subs[i + 1]->height());
        }
        rowTop += rowHeight;
    }
}

void MDIForm1::mnuCloseSubfeedWindows_Click()
{
    for (QMdiSubWindow* sub : subfeedWindows())
        sub->close();
}

void MDIForm1::mnuWindowArrangeIcons_Click()
{
    // Minimised windows in a row along the bottom of the work area, wrapping upwards.
    const QSize area = m_mdiArea->viewport()->size();
    int x = 0;
    int bottom = area.height();
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isMinimized())
            continue;
        if (x > 0 && x + sub->width() > area.width()) {
            x = 0;
            bottom -= sub->height();
        }
        sub->move(x, bottom - sub->height());
        x += sub->width();
    }
}

void MDIForm1::mnuNormalizeAll_Click()
{
    // Restoring a window activates it; a maximised window must not hand its state over to it.
    const bool keep = m_mdiArea->testOption(QMdiArea::DontMaximizeSubWindowOnActivation);
    m_mdiArea->setOption(QMdiArea::DontMaximizeSubWindowOnActivation, true);
    QMdiSubWindow* active = m_mdiArea->activeSubWindow();
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList()) {
        if (sub->isMinimized())
            sub->showNormal();
    }
    if (active && !active->isMinimized())
        m_mdiArea->setActiveSubWindow(active);
    m_mdiArea->setOption(QMdiArea::DontMaximizeSubWindowOnActivation, keep);
}

void MDIForm1::mnuCloseAll_Click()
{
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList()) {
        const QString caption = sub->windowTitle();
        if (caption != QLatin1String("Login") && caption != kAppTitle)
            sub->close();
    }
}

} // namespace halvana
