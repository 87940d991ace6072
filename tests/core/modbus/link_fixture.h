#pragma once

#include "core/modbus/crc16.h"
#include "core/modbus/modbus_link.h"
#include "core/modbus/polling_control.h"
#include "core/time/manual_clock.h"
#include "support/fake_transport.h"
#include "support/recording_messages.h"
#include "support/rtu_frame.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace halvana::test {

// The sequencer's side of the link: records what the link asks of tmrMain.
class FakePolling : public PollingControl {
public:
    void setMainTimerEnabled(bool enabled) override
    {
        mainEnabled = enabled;
        if (enabled)
            ++resumes;
    }
    bool PollingDisabled() const override { return disabled; }
    void setPollingDisabled(bool value) override { disabled = value; }
    int PollStep() const override { return step; }
    void resetPollStep() override
    {
        step = 0;
        ++stepResets;
    }

    bool mainEnabled = false, disabled = false;
    int resumes = 0, step = 0, stepResets = 0;
};

// How an outcome reads in the event log.
inline QString outcomeText(const ExchangeOutcome& o)
{
    static const char* const kinds[] = {"registers", "ack", "exception", "rejected", "timed out", "not sent", "abandoned"};
    const QString text = QLatin1String(kinds[int(o.kind)]);
    return o.kind == ExchangeOutcome::Kind::Exception ? text + QStringLiteral(" %1").arg(o.exceptionCode) : text;
}

// A link on a manual clock with a serial port (open) and a socket (connected), and a log of
// every outcome and lifecycle signal in the order it came.
class LinkTest : public ::testing::Test {
protected:
    LinkTest() : link(clock)
    {
        serial.open();
        tcp.completeConnect();
        link.setTransports(&serial, &tcp);
        link.setPollingControl(&polling);
        link.trafficLog().setEnabled(true);
        QObject::connect(&link, &ModbusLink::exchangeEnded, [this](const ExchangeOutcome& o) {
            outcomes << o;
            events << outcomeText(o);
        });
        QObject::connect(&link, &ModbusLink::echoReceived, [this] { events << QStringLiteral("echo"); });
        QObject::connect(&link, &ModbusLink::startCommRequested, [this] { events << QStringLiteral("start comm"); });
        QObject::connect(&link, &ModbusLink::unusableTcpReply, [this] { events << QStringLiteral("unusable"); });
    }

    static QByteArray readReply(const QVector<quint16>& values)
    {
        QByteArray reply = QByteArray::fromHex("0103") + char(values.size() * 2);
        for (quint16 v : values)
            reply.append(char(v >> 8)).append(char(v & 0xFF));
        appendCrc(reply);
        return reply;
    }

    // A TCP reply: the transaction number, then the rest of the frame in hex.
    static QByteArray tcpReply(quint16 transaction, const char* rest)
    {
        return QByteArray(1, char(transaction >> 8)) + char(transaction & 0xFF) + QByteArray::fromHex(rest);
    }

    // Sends a read of `count` registers at register 1 and answers it with `values` over RTU.
    void rtuRead(const QVector<quint16>& values)
    {
        link.ReadQuery(1, int(values.size()));
        serial.receive(readReply(values));
        clock.advance(ModbusLink::kFrameGapMs);
    }

    QVector<quint16> regData() const { return QVector<quint16>(link.RegData().begin(), link.RegData().end()); }

    ManualClock clock;
    RecordingMessages messages;
    FakeTransport serial;
    FakeTransport tcp{true};
    FakePolling polling;
    ModbusLink link;
    QStringList events;
    QList<ExchangeOutcome> outcomes;
};

} // namespace halvana::test
