#pragma once

#include <QMdiSubWindow>
#include <QObject>
#include <QPointer>

#include <memory>

namespace halvana {

class Clock;
class ConnectionLifecycle;
class MDIForm1;
class ModbusLink;
class PollingControl;
class TrafficLog;
class Transport;

// Joins the main window to the Modbus link: the Polling menu, PC Setup, the Data Spy and the
// status panels on one side; the link, its connection lifecycle and the transports on the other.
class LinkWiring : public QObject {
    Q_OBJECT
public:
    // Either transport may be null; both must outlive the main window. The main window owns
    // this object. Build it before MDIForm1::load(), which starts the link.
    LinkWiring(MDIForm1& form, Clock& clock, Transport* serial, Transport* tcp);
    ~LinkWiring() override;

    ModbusLink& link() { return *m_link; }
    ConnectionLifecycle& lifecycle() { return *m_lifecycle; }
    TrafficLog& trafficLog();

    // The polling sequencer (tmrMain), when there is one: the link, the lifecycle and the main
    // window then start, stop and reset it.
    void attachPolling(PollingControl* polling);

    void mnuCommPortSettings_Click();
    void mnuReboot_Click();
    // Switches polling off (and lets go of the RS-485 line) or on again.
    void mnuModbusPolling_Click();
    void mnuDataSpy_Click();
    // The open Data Spy window, if any.
    QMdiSubWindow* dataSpyWindow() const { return m_dataSpy; }

private:
    void openDataSpy();
    void setDataSpyChecked(bool checked);

    MDIForm1& m_form;
    std::unique_ptr<ModbusLink> m_link;
    std::unique_ptr<ConnectionLifecycle> m_lifecycle;
    PollingControl* m_polling = nullptr;
    QPointer<QMdiSubWindow> m_dataSpy;
};

} // namespace halvana
