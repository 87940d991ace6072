#include "gui/app/link_wiring.h"

#include "core/app/app_settings.h"
#include "core/app/app_title.h"
#include "core/app/login_level.h"
#include "core/modbus/connection_lifecycle.h"
#include "core/modbus/modbus_link.h"
#include "core/modbus/polling_control.h"
#include "core/modbus/status_panels.h"
#include "core/modbus/traffic_log.h"
#include "core/modbus/transport.h"
#include "core/device/sequencer.h"
#include "core/device/setting_writes.h"
#include "core/session/unit_session.h"
#include "gui/app/child_window_slot.h"
#include "gui/app/menu_permissions.h"
#include "gui/app/frm_settings.h"
#include "gui/app/mdi_form1.h"
#include "gui/app/shell_services.h"
#include "gui/modbus/decoded_traffic_view.h"
#include "gui/modbus/frm_data_spy.h"
#include "gui/modbus/frm_link_statistics.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>

namespace halvana {

namespace {

// The Data Spy's place: "frmDataSpyPos" keys 0..3 position and size, 4 state; 9000 by 4830
// twips until one is stored.
const QSize kDataSpyDefaultSize(twipsToPixels(9000), twipsToPixels(4830));

} // namespace

LinkWiring::LinkWiring(MDIForm1& form, UnitSession& session, QObject* parent)
    : QObject(parent),
      m_form(form),
      m_link(session.link()),
      m_lifecycle(session.lifecycle()),
      m_polling(session.sequencer()),
      m_dataSpy(new ChildWindowSlot(form, GeometryKeys::numbered(QStringLiteral("frmDataSpyPos"), 0, 1, 2, 3, 4),
                                    QStringLiteral("mnuDataSpy"), &form.flags().dataSpyEnabled)),
      m_statistics(session.statistics()),
      m_decoded(session.decodedTraffic()),
      m_linkStatistics(new ChildWindowSlot(
          form, GeometryKeys::numbered(QStringLiteral("frmLinkStatisticsPos"), 0, 1, 2, 3, 4),
          QStringLiteral("mnuLinkStatistics")))
{
    m_dataSpy->setDefaultSize(kDataSpyDefaultSize);
    // Closed by its close box the spy stops; closed by the shutdown it stays on, so it opens
    // again at the next start.
    connect(m_dataSpy, &ChildWindowSlot::closed, this, [this](bool byUser) {
        if (byUser)
            m_link.trafficLog().setEnabled(false);
    });
    m_form.setPollingControl(&m_polling);
    m_lifecycle.setSettings(LinkSettings::fromStore(form.settings()));

    SettingWrites& writes = session.writes();
    connect(&writes, &SettingWrites::beep, this, [] { QApplication::beep(); });
    connect(&writes, &SettingWrites::statusText, this, [this](const QString& panelKey, const QString& text) {
        if (panelKey == panel::CommMsg)
            m_lifecycle.showCommMessage(text);
        else
            m_form.setStatusPanelText(panelKey, text);
    });
    // The next poll rewrites "PollingStatus" at once; the message panel keeps the outcome a while.
    connect(&writes, &SettingWrites::writeFinished, this, [this](bool success, const QString& text) {
        if (success)
            m_lifecycle.showCommMessage(text);
    });
    // The lifecycle passes the link's status texts on, and clears "CommMsg" after a while.
    connect(&m_lifecycle, &ConnectionLifecycle::statusText, &form, &MDIForm1::setStatusPanelText);
    connect(&m_lifecycle, &ConnectionLifecycle::statusPanelVisible, this, [this](const QString& key, bool visible) {
        if (QLabel* panel = m_form.statusPanel(key))
            panel->setVisible(visible);
    });
    connect(&m_lifecycle, &ConnectionLifecycle::secondStatusBarVisible, form.StatusBar2(), &QWidget::setVisible);
    connect(&m_lifecycle, &ConnectionLifecycle::secondStatusBarText, &form, &MDIForm1::setStatusBar2Text);
    connect(&m_lifecycle, &ConnectionLifecycle::linkStatusChanged, &form, [this](const LinkStatus& status) {
        for (const MenuEnabled& item : connectionMenuStates(status))
            m_form.setMenuItemEnabled(item.menu, item.enabled, item.reason);
    });
    connect(&m_lifecycle, &ConnectionLifecycle::applyLoginLevelRequested, &form, &MDIForm1::ApplyLoginLevel);
    connect(&m_lifecycle, &ConnectionLifecycle::enableButtonsRequested, &form,
            [this](bool enabled) { m_form.EnableButtons(enabled); });

    connect(&form, &MDIForm1::StartCommRequested, &m_lifecycle, &ConnectionLifecycle::StartComm);
    connect(&form, &MDIForm1::ConnectRequested, &m_lifecycle, &ConnectionLifecycle::requestConnect);
    connect(&form, &MDIForm1::DisconnectRequested, this, [this] {
        m_lifecycle.requestDisconnect();
        // The program closes next; the port is let go now, not when the process ends.
        m_lifecycle.Disconnect();
    });
    connect(&form, &MDIForm1::loadFinished, this, [this] {
        if (m_form.loginLevel() == LoginLevel::Supervisor && m_form.flags().dataSpyEnabled)
            mnuDataSpy_Click();
    });

    TrafficLog& log = m_link.trafficLog();
    connect(&log, &TrafficLog::enabledChanged, this, [this](bool enabled) {
        m_form.flags().dataSpyEnabled = enabled;
        setDataSpyChecked(enabled);
    });

    form.setMenuCommand(QStringLiteral("mnuConnect"), [this] { m_lifecycle.requestConnect(); });
    form.setMenuCommand(QStringLiteral("mnuDisconnect"), [this] { m_lifecycle.requestDisconnect(); });
    form.setMenuCommand(QStringLiteral("mnuReboot"), [this] { mnuReboot_Click(); });
    form.setMenuCommand(QStringLiteral("mnuModbusPolling"), [this] { mnuModbusPolling_Click(); });
    form.setMenuCommand(QStringLiteral("mnuCommPortSettings"), [this] { mnuCommPortSettings_Click(); });
    form.setMenuCommand(QStringLiteral("mnuDataSpy"), [this] { mnuDataSpy_Click(); });
    form.setMenuCommand(QStringLiteral("mnuLinkStatistics"), [this] {
        m_linkStatistics->toggle([this] { m_linkStatistics->open(new FrmLinkStatistics(m_statistics)); });
    });
}

LinkWiring::~LinkWiring() = default;

ModbusLink& LinkWiring::link()
{
    return m_link;
}

ConnectionLifecycle& LinkWiring::lifecycle()
{
    return m_lifecycle;
}

TrafficLog& LinkWiring::trafficLog()
{
    return m_link.trafficLog();
}

void LinkWiring::mnuCommPortSettings_Click()
{
    FrmSettings dialog(m_form.settings(), m_form.StoredSlaveID(), &m_polling, m_form.shell(), &m_form);
    dialog.setLineRelease([this] { m_lifecycle.Disconnect(); });
    if (m_form.shell().runDialog(dialog) != QDialog::Accepted) {
        // A scan took the line: the old settings connect again.
        if (dialog.lineReleased() && !m_form.pollingDisabled())
            m_lifecycle.requestConnect();
        return;
    }

    // The terminal uses the service port that may just have changed.
    if (QMdiSubWindow* terminal = m_form.findChildWindow(QStringLiteral("frmTerminal")))
        terminal->close();
    // Let go of the old line before the new settings pick the transport, so switching between
    // RS-485 and TCP never leaves the serial port held.
    m_lifecycle.Disconnect();
    m_lifecycle.setSettings(LinkSettings::fromStore(m_form.settings()));
    m_link.resetTransactionCounter();
    m_polling.resetPollStep();
    m_lifecycle.requestDisconnect();
    m_lifecycle.requestConnect();
    m_form.setCommSettings(dialog.savedSettings());
}

void LinkWiring::mnuReboot_Click()
{
    if (!m_form.shell().askYesNo(kAppTitle, QStringLiteral("Reboot the unit now?\nPolling stops until it has restarted."),
                                 false))
        return;
    m_lifecycle.requestReboot();
}

void LinkWiring::mnuModbusPolling_Click()
{
    Transport* serial = m_link.serialTransport();
    if (!m_form.pollingDisabled()) {
        m_form.setPollingDisabled(true);
        // Off means off the line too, so another tool can use the port meanwhile.
        if (!m_link.isTcp() && serial && serial->isOpen())
            serial->close();
        return;
    }
    m_form.setPollingDisabled(false);
    m_polling.setMainTimerEnabled(true);
    if (m_link.isTcp())
        m_lifecycle.StartComm();
    else if (serial && !serial->isOpen())
        m_lifecycle.OpenCommPort();
}

void LinkWiring::setDataSpyChecked(bool checked)
{
    if (QAction* item = m_form.menuAction(QStringLiteral("mnuDataSpy")))
        item->setChecked(checked);
}

void LinkWiring::mnuDataSpy_Click()
{
    TrafficLog& log = m_link.trafficLog();
    if (log.isEnabled()) {
        log.setEnabled(false);
        m_dataSpy->close();
        return;
    }
    log.setEnabled(true);
    openDataSpy();
}

void LinkWiring::openDataSpy()
{
    if (m_dataSpy->isOpen())
        m_form.mdiArea()->setActiveSubWindow(m_dataSpy->window());
    else
        m_dataSpy->open(new FrmDataSpy(m_link.trafficLog(), new DecodedTrafficView(m_decoded, m_form.shell())));
}

} // namespace halvana
