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

    bool mainEnabled = false;
    int resumes = 0;
    bool disabled = false;
    int step = 0;
    int stepResets = 0;
};

// A link on a manual clock with a serial port (open) and a socket (connected), and a log of
// every outcome signal in the order it came.
class LinkTest : public ::testing::Test {
protected:
    LinkTest() : link(clock, messages)
    {
        serial.open();
        tcp.completeConnect();
        link.setTransports(&serial, &tcp);
        link.setPollingControl(&polling);
        link.trafficLog().setEnabled(true);
        QObject::connect(&link, &ModbusLink::readReplyReady, [this] { events << QStringLiteral("ready"); });
        QObject::connect(&link, &ModbusLink::readException,
                         [this](int code) { events << QStringLiteral("exception %1").arg(code); });
        QObject::connect(&link, &ModbusLink::writeFinished, [this](bool ok, const QString& text) {
            events << (ok ? QStringLiteral("write ok: ") : QStringLiteral("write failed: ")) + text;
        });
        QObject::connect(&link, &ModbusLink::replyRejected, [this] { events << QStringLiteral("rejected"); });
        QObject::connect(&link, &ModbusLink::responseTimedOut, [this] { events << QStringLiteral("timed out"); });
        QObject::connect(&link, &ModbusLink::echoReceived, [this] { events << QStringLiteral("echo"); });
        QObject::connect(&link, &ModbusLink::startCommRequested, [this] { events << QStringLiteral("start comm"); });
        QObject::connect(&link, &ModbusLink::unusableTcpReply, [this] { events << QStringLiteral("unusable"); });
        QObject::connect(&link, &ModbusLink::beep, [this] { events << QStringLiteral("beep"); });
        QObject::connect(&link, &ModbusLink::exchangeEnded, [this] { ++exchangesEnded; });
        QObject::connect(&link, &ModbusLink::calibrationResponse, [this](const CalibrationResponse& r) {
            events << QStringLiteral("cal '%1'%2").arg(r.text, r.enableCalibrate ? QStringLiteral(" enable") : QString());
        });
    }

    // Sends a read of `count` registers at register 1 and answers it with `values` over RTU.
    void rtuRead(const QVector<quint16>& values)
    {
        link.ReadQuery(1, int(values.size()));
        QByteArray reply = QByteArray::fromHex("0103");
        reply.append(char(values.size() * 2));
        for (quint16 v : values) {
            reply.append(char(v >> 8));
            reply.append(char(v & 0xFF));
        }
        appendCrc(reply);
        serial.receive(reply);
        clock.advance(ModbusLink::kFrameGapMs);
    }

    QVector<quint16> regData(int count) const
    {
        QVector<quint16> values;
        for (int i = 0; i < count; ++i)
            values << link.RegData()[size_t(i)];
        return values;
    }

    ManualClock clock;
    RecordingMessages messages;
    FakeTransport serial;
    FakeTransport tcp{true};
    FakePolling polling;
    ModbusLink link;
    QStringList events;
    int exchangesEnded = 0;
};

} // namespace halvana::test
