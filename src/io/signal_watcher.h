#pragma once

#include <QObject>
#include <QSocketNotifier>

namespace halvana {

// Turns SIGTERM and SIGINT into a Qt signal delivered by the event loop, so that the program can
// close its ports and end normally.
class SignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

signals:
    void terminationRequested(int signalNumber);

private:
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace halvana
