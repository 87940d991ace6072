#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace halvana {

// One try of a scan: a read of the start of the system information block from one slave ID
// on one serial port at one line speed, or from one unit ID at one TCP address.
struct ScanTry {
    QString endpoint; // a serial device, or "host[:port]"
    int baud = 0;     // 0 over TCP
    int slaveId = 1;

    // "/dev/ttyUSB0 at 9600 baud, slave ID 17", "10.0.0.7, unit ID 9".
    QString text() const;
};

// What a scan tries, in the order it tries it: port by port, each port at each line speed,
// each speed with each slave ID.
struct ScanPlan {
    // Registers read from the system information block: up to the register map selector.
    static constexpr int kRegisterCount = 16;
    // How long a unit may take to start its reply after the request has arrived.
    static constexpr int kTurnaroundMs = 100;
    // How long a unit at a TCP address may take to answer.
    static constexpr int kTcpReplyMs = 250;

    bool tcp = false;
    QStringList endpoints;
    QVector<int> bauds;
    int firstId = 1;
    int lastId = 247;

    int tryCount() const;
    QVector<ScanTry> tries() const;
    // The longest a try may take: the request and the reply on the wire, plus the turnaround.
    static int timeoutMs(int baud);
    // How long the scan takes when nothing answers.
    qint64 estimateMs() const;
    // "2 ports x 5 speeds x 247 IDs".
    QString description() const;
};

// "47 s", "2 min 28 s".
QString durationText(qint64 ms);

} // namespace halvana
