#include "gui/app/polling_session.h"

#include "core/app/app_settings.h"
#include "core/app/shell_settings.h"
#include "core/device/device_data.h"
#include "core/device/sequencer.h"
#include "core/modbus/connection_lifecycle.h"
#include "core/modbus/modbus_link.h"
#include "core/modbus/status_panels.h"
#include "core/session/unit_session.h"
#include "gui/app/link_wiring.h"
#include "gui/app/mdi_form1.h"
#include "gui/app/shell_services.h"
#include "gui/calibration/frm_sfcm_cal.h"
#include "gui/capture/capture_commands.h"
#include "gui/scripts/frm_script_grid.h"
#include "gui/scripts/script_wiring.h"
#include "gui/terminal/terminal_wiring.h"
#include "gui/trend/trend_wiring.h"
#include "gui/upgrade/upgrade_wiring.h"
#include "gui/views/data_views.h"
#include "gui/views/setting_editor.h"

#include <QAction>

namespace halvana {

PollingSession::PollingSession(MDIForm1& form, Clock& clock, Transport* serial, Transport* tcp)
    : QObject(&form), m_session(std::make_unique<UnitSession>(clock, form.shell(), form.folders().programFolder))
{
    m_session->setTransports(serial, tcp);
    m_wiring = std::make_unique<LinkWiring>(form, *m_session);
    m_views = new DataViews(form, m_session->data());
    m_captures = new CaptureCommands(form, data(), sequencer(), *m_views);
    new SettingEditor(form, *m_session, *m_views);
    FrmSfcmCal::install(form, *m_session);
    m_terminal = new TerminalWiring(form, clock, *m_session,
                                    [captures = m_captures] { captures->showCompareFileListAfresh(); });
    m_upgrade = new UpgradeWiring(form, clock, *m_session, *m_terminal);
    m_scripts = new ScriptWiring(form, clock, *m_terminal);
    const std::function<void(const QString&)> showScript =
        FrmScriptGrid::install(form, *m_session, [scripts = m_scripts](const QString& path) { scripts->runScript(path); });
    connect(m_captures, &CaptureCommands::scriptCreated, this, showScript);
    m_trend = new TrendWiring(form, clock, *m_session, *m_views);

    ModbusLink& link = m_session->link();
    connect(&sequencer(), &Sequencer::pollingStatusChanged, &form,
            [&form](const QString& text) { form.setStatusPanelText(panel::PollingStatus, text); });
    // The panel names the polling mode in force, and the last full cycle's time once there is one.
    const auto showCycle = [this, &form](qint64 ms) {
        const QString mode = m_session->fastPolling() ? QStringLiteral("Fast polling")
                                                      : QStringLiteral("Normal polling");
        form.setStatusPanelText(panel::CycleTime, ms < 0 ? mode : QStringLiteral("%1, cycle %2 ms").arg(mode).arg(ms));
    };
    connect(m_session.get(), &UnitSession::cycleTimed, &form, showCycle);
    const auto applyFastPolling = [this, &form, showCycle](bool on) {
        m_session->setFastPolling(on);
        if (QAction* item = form.menuAction(QStringLiteral("mnuFastPolling")))
            item->setChecked(on);
        showCycle(-1);
    };
    applyFastPolling(form.settings().propertyFlag(QStringLiteral("FastPolling")));
    form.setMenuCommand(QStringLiteral("mnuFastPolling"), [this, &form, applyFastPolling] {
        const bool on = !m_session->fastPolling();
        applyFastPolling(on);
        form.settings().setFlag(AppSettings::kProperties, QStringLiteral("FastPolling"), on);
        saveSettings(form.settings(), form.shell());
    });
    connect(&data(), &DeviceData::notice, &m_session->lifecycle(), &ConnectionLifecycle::showCommMessage);
    connect(m_views, &DataViews::panelOffsetChanged, &link, &ModbusLink::setPanelOffset);
    // The channel names are read by the main window's load; the decoders name channels with them.
    connect(&form, &MDIForm1::loadFinished, this, [this, &form] { data().setChannelNames(form.channelNames()); });
}

PollingSession::~PollingSession() = default;

DeviceData& PollingSession::data()
{
    return m_session->data();
}

Sequencer& PollingSession::sequencer()
{
    return m_session->sequencer();
}

} // namespace halvana
