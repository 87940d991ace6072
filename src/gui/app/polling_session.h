#pragma once

#include <QObject>

#include <memory>

namespace halvana {

class CaptureCommands;
class Clock;
class DataViews;
class DeviceData;
class LinkWiring;
class MDIForm1;
class ScriptWiring;
class Sequencer;
class TerminalWiring;
class TrendWiring;
class Transport;
class UnitSession;
class UpgradeWiring;

// The main window's side of the unit session: the session itself (link, lifecycle, device
// data, sequencer and writes), the link's menus and status panels, and the data windows that
// show what was read. The main window owns it; build it before MDIForm1::load().
class PollingSession : public QObject {
    Q_OBJECT
public:
    // Either transport may be null; both and the clock must outlive the main window.
    PollingSession(MDIForm1& form, Clock& clock, Transport* serial, Transport* tcp);
    ~PollingSession() override;

    UnitSession& session() { return *m_session; }
    LinkWiring& wiring() { return *m_wiring; }
    DeviceData& data();
    Sequencer& sequencer();
    DataViews& views() { return *m_views; }
    CaptureCommands& captures() { return *m_captures; }
    TerminalWiring& terminal() { return *m_terminal; }
    UpgradeWiring& upgrade() { return *m_upgrade; }
    TrendWiring& trend() { return *m_trend; }
    ScriptWiring& scripts() { return *m_scripts; }

private:
    std::unique_ptr<UnitSession> m_session;
    std::unique_ptr<LinkWiring> m_wiring;
    DataViews* m_views;
    CaptureCommands* m_captures;
    TerminalWiring* m_terminal;
    UpgradeWiring* m_upgrade;
    TrendWiring* m_trend;
    ScriptWiring* m_scripts;
};

} // namespace halvana
