#include "gui/app/polling_session.h"

#include "core/device/device_data.h"
#include "core/device/sequencer.h"
#include "core/modbus/connection_lifecycle.h"
#include "core/modbus/modbus_link.h"
#include "core/modbus/status_panels.h"
#include "gui/app/link_wiring.h"
#include "gui/app/mdi_form1.h"
#include "gui/app/shell_services.h"
#include "gui/views/data_views.h"

namespace halvana {

PollingSession::PollingSession(MDIForm1& form, Clock& clock, LinkWiring& wiring)
    : QObject(&form),
      m_data(std::make_unique<DeviceData>(form.folders().programFolder, form.shell())),
      m_sequencer(std::make_unique<Sequencer>(wiring.link(), *m_data, clock))
{
    ModbusLink& link = wiring.link();
    ConnectionLifecycle& lifecycle = wiring.lifecycle();
    // The sequencer polls through the link until it is gone, so the link is let go after it.
    wiring.setParent(this);
    wiring.attachPolling(m_sequencer.get());
    m_sequencer->setConnectionLifecycle(&lifecycle);
    m_views = new DataViews(form, *m_data);

    connect(m_sequencer.get(), &Sequencer::pollingStatusChanged, &form,
            [&form](const QString& text) { form.setStatusPanelText(panel::PollingStatus, text); });
    connect(m_data.get(), &DeviceData::notice, &lifecycle, &ConnectionLifecycle::showCommMessage);
    connect(m_views, &DataViews::panelOffsetChanged, &link, &ModbusLink::setPanelOffset);
    // The channel names are read by the main window's load; the decoders name channels with them.
    connect(&form, &MDIForm1::loadFinished, this, [this, &form] { m_data->setChannelNames(form.channelNames()); });
}

PollingSession::~PollingSession() = default;

} // namespace halvana
