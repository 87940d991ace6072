#pragma once

#include "core/modbus/modbus_frames.h"
#include "core/scan/scan_plan.h"

#include <QByteArray>
#include <QObject>
#include <QHash>

#include <memory>

namespace halvana {

class Clock;
class Timer;
class Transport;

// A unit that answered a scan, where it answered, and what it said of itself.
struct FoundUnit {
    ScanTry where;
    QString firmware; // "02.05.013"; empty when the unit refused the read
    int mapVersion = 0;
    // Why the read was refused ("exception 2 (Illegal Data Address)"), or empty.
    QString note;
};

// Looks for units by trying each combination of a plan in turn: one short read, then the
// next try as soon as the reply is in or the try's time-out has passed. It only ever reads.
// All units on one line share its speed, so once a unit answers on a serial port the other
// speeds of that port are skipped.
class UnitScan : public QObject {
    Q_OBJECT
public:
    // How long a TCP address may take to accept the connection.
    static constexpr int kConnectTimeoutMs = 3000;

    UnitScan(Transport& transport, Clock& clock, QObject* parent = nullptr);
    ~UnitScan() override;

    void start(const ScanPlan& plan);
    // Stops at once; the port is closed and finished(true) follows.
    void cancel();
    bool isRunning() const { return m_running; }
    const QVector<FoundUnit>& found() const { return m_found; }

signals:
    // `done` of `total` tries are over; `text` says what is being tried now.
    void progress(int done, int total, const QString& text);
    void unitFound(const halvana::FoundUnit& unit);
    // A port or address could not be used; its tries are skipped.
    void endpointFailed(const QString& message);
    void finished(bool cancelled);

private:
    void nextTry();
    void sendTry();
    void endTry();
    void skipEndpoint(const QString& message);
    void closeEndpoint();
    void onBytes(const QByteArray& bytes);
    void onTimeout();
    void onConnected();
    void finish(bool cancelled);
    bool openEndpoint();
    void takeReply(const QByteArray& frame);

    Transport& m_transport;
    std::unique_ptr<Timer> m_timer;
    ScanPlan m_plan;
    QVector<ScanTry> m_tries;
    int m_index = -1;
    bool m_running = false;
    bool m_connecting = false;
    bool m_awaitingReply = false;
    QString m_openEndpoint;
    int m_openBaud = -1;
    // Ports on which a unit has answered, with the speed it answered at.
    QHash<QString, int> m_portSpeed;
    TransactionCounter m_transactions;
    quint16 m_transactionId = 0;
    QByteArray m_buffer;
    QVector<FoundUnit> m_found;
};

} // namespace halvana
