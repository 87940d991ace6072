#pragma once

#include "gui/app/child_window_slot.h"

#include <QMdiSubWindow>
#include <QObject>


namespace halvana {

class ConnectionLifecycle;
class DecodedTraffic;
class LinkStatistics;
class MDIForm1;
class ModbusLink;
class PollingControl;
class TrafficLog;
class UnitSession;

// Joins the main window to the Modbus link: the Polling menu, PC Setup, the Data Spy and the
// status panels on one side; the link, its connection lifecycle and the transports on the other.
class LinkWiring : public QObject {
    Q_OBJECT
public:
    // The session must outlive this object. Build it before MDIForm1::load(), which starts
    // the link.
    LinkWiring(MDIForm1& form, UnitSession& session, QObject* parent = nullptr);
    ~LinkWiring() override;

    ModbusLink& link();
    ConnectionLifecycle& lifecycle();
    TrafficLog& trafficLog();

    void mnuCommPortSettings_Click();
    void mnuReboot_Click();
    // Switches polling off (and lets go of the RS-485 line) or on again.
    void mnuModbusPolling_Click();
    void mnuDataSpy_Click();
    // The open Data Spy window, if any.
    QMdiSubWindow* dataSpyWindow() const { return m_dataSpy->window(); }

private:
    void openDataSpy();
    void setDataSpyChecked(bool checked);

    MDIForm1& m_form;
    ModbusLink& m_link;
    ConnectionLifecycle& m_lifecycle;
    PollingControl& m_polling;
    ChildWindowSlot* m_dataSpy;
    LinkStatistics& m_statistics;
    DecodedTraffic& m_decoded;
    ChildWindowSlot* m_linkStatistics;
};

} // namespace halvana
