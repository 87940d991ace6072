#pragma once

#include <QObject>

#include <memory>

namespace halvana {

class Clock;
class DataViews;
class DeviceData;
class LinkWiring;
class MDIForm1;
class Sequencer;

// The polling side of the main window: the device data the replies fill, the sequencer
// (`tmrMain`) on the main window's link, and the data windows that show what was read.
// The main window owns it, and through it the link wiring; build it after the link wiring and
// before MDIForm1::load().
class PollingSession : public QObject {
    Q_OBJECT
public:
    PollingSession(MDIForm1& form, Clock& clock, LinkWiring& wiring);
    ~PollingSession() override;

    DeviceData& data() { return *m_data; }
    Sequencer& sequencer() { return *m_sequencer; }
    DataViews& views() { return *m_views; }

private:
    std::unique_ptr<DeviceData> m_data;
    std::unique_ptr<Sequencer> m_sequencer;
    DataViews* m_views;
};

} // namespace halvana
