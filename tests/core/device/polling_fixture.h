#pragma once

#include "core/device/device_data.h"
#include "core/device/sequencer.h"
#include "core/modbus/modbus_link.h"
#include "core/time/manual_clock.h"
#include "support/fake_transport.h"
#include "support/recording_messages.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace halvana::test {

// The header files shipped with the program, read from the source tree.
inline QString shippedDataFolder()
{
    return QStringLiteral(HALVANA_SOURCE_DIR "/data");
}

// Registers 1-based as in the tables; 0 where nothing was set.
using RegisterImage = std::map<int, quint16>;

// A unit on the far side of an in-memory Modbus TCP socket: answers each read from a
// register image, with an exception for the registers in `refused`, or not at all while
// `silent`; `fault` may spoil single replies by their start register.
class FakeUnit {
public:
    enum class Fault { None, Drop, Corrupt, Exception };

    explicit FakeUnit(FakeTransport& tcp) : m_tcp(tcp) {}

    // Answers the requests written since the last call; returns how many reads there were.
    int answerPending()
    {
        int answered = 0;
        while (m_seen < m_tcp.written.size()) {
            const QByteArray request = m_tcp.written.at(m_seen++);
            const int function = request.size() >= 12 ? quint8(request[7]) : 0;
            if (function == 16)
                answerWrite(request);
            if (function != 3 || request.size() != 12)
                continue;
            reads.emplace_back(word(request, 8) + 1, word(request, 10));
            ++answered;
            if (beforeAnswer)
                beforeAnswer(reads.back().first);
            const Fault f = faultAt(reads.back().first);
            if (!silent && f != Fault::Drop)
                answer(request, f);
        }
        return answered;
    }

    // A late answer to the last request.
    void answerLastRequest() { answer(m_tcp.written.last()); }

    RegisterImage image;
    std::set<int> refused;
    bool silent = false;
    std::vector<std::pair<int, int>> reads;
    // Writes (function 16) by start register: acknowledged and applied unless `fault` says
    // otherwise.
    std::vector<std::pair<int, std::vector<int>>> writes;
    std::function<Fault(int reg)> fault;
    // Called with the start register before a request is answered, to change the image.
    std::function<void(int reg)> beforeAnswer;

private:
    static int word(const QByteArray& frame, int at) { return quint8(frame[at]) << 8 | quint8(frame[at + 1]); }
    Fault faultAt(int reg) const { return fault ? fault(reg) : Fault::None; }

    // Sends the reply with its MBAP length field filled in.
    void send(QByteArray reply)
    {
        reply[4] = char((reply.size() - 6) >> 8);
        reply[5] = char((reply.size() - 6) & 0xFF);
        m_tcp.receive(reply);
    }

    void answerWrite(const QByteArray& request)
    {
        const int reg = word(request, 8) + 1;
        std::vector<int> values;
        for (int i = 13; i + 1 < request.size(); i += 2)
            values.push_back(word(request, i));
        writes.emplace_back(reg, values);
        const Fault f = faultAt(reg);
        if (silent || f == Fault::Drop)
            return;
        if (f == Fault::Exception)
            return send(request.left(7).append(char(0x90)).append(char(4)));
        for (size_t i = 0; i < values.size(); ++i)
            image[reg + int(i)] = quint16(values[i]);
        if (beforeAnswer)
            beforeAnswer(reg);
        send(request.left(12));
    }

    void answer(const QByteArray& request, Fault f = Fault::None)
    {
        const int reg = word(request, 8) + 1;
        const int count = word(request, 10);
        QByteArray reply = request.left(7);
        if (refused.count(reg) || f == Fault::Exception) {
            reply.append(char(0x83)).append(char(2));
        } else {
            // Corrupt: a byte count that does not match the data.
            reply.append(char(3)).append(char(2 * count + (f == Fault::Corrupt ? 2 : 0)));
            for (int i = 0; i < count; ++i) {
                const auto it = image.find(reg + i);
                const quint16 v = it == image.end() ? 0 : it->second;
                reply.append(char(v >> 8)).append(char(v & 0xFF));
            }
        }
        send(reply);
    }

    FakeTransport& m_tcp;
    int m_seen = 0;
};

// Runs the clock for `ms`, the unit answering as it goes.
inline void runAnswering(ManualClock& clock, FakeUnit& unit, qint64 ms)
{
    const qint64 end = clock.nowMs() + ms;
    for (;;) {
        unit.answerPending();
        const qint64 next = clock.msToNextTimer();
        if (next < 0 || clock.nowMs() + next > end)
            break;
        clock.fireNext();
    }
    clock.advance(end - clock.nowMs());
}

// The link, the device data and the sequencer on a manual clock, polling a FakeUnit.
struct PollingHarness {
    PollingHarness()
        : link(clock), data(shippedDataFolder(), messages), sequencer(link, data, clock), unit(tcp)
    {
        tcp.completeConnect();
        link.setTransports(nullptr, &tcp);
        link.setCommMode(1);
        link.setSlaveId(1);
    }

    // A unit with these meter types and register map version.
    void describeUnit(const std::vector<int>& types, int mapVersion = 2)
    {
        unit.image[5] = quint16(types.size());
        unit.image[16] = quint16(mapVersion);
        for (size_t m = 0; m < types.size(); ++m)
            unit.image[101 + int(m)] = quint16(types[m] << 12 | (m + 1));
    }

    void start() { sequencer.setMainTimerEnabled(true); }

    // Runs the clock until `requests` reads have gone out and been answered (or `limitMs`).
    void runRequests(int requests, qint64 limitMs = 60000)
    {
        const qint64 end = clock.nowMs() + limitMs;
        int seen = 0;
        while (seen < requests && clock.nowMs() < end) {
            seen += unit.answerPending();
            if (seen >= requests || !clock.fireNext())
                break;
        }
        unit.answerPending();
    }

    // Runs the clock for `ms`, answering as it goes.
    void runFor(qint64 ms) { runAnswering(clock, unit, ms); }

    // Just the start registers of the reads so far.
    std::vector<int> readRegisters() const
    {
        std::vector<int> regs;
        for (const auto& [reg, count] : unit.reads)
            regs.push_back(reg);
        return regs;
    }

    ManualClock clock;
    RecordingMessages messages;
    FakeTransport tcp{true};
    ModbusLink link;
    DeviceData data;
    Sequencer sequencer;
    FakeUnit unit;
};

class PollingTest : public ::testing::Test, public PollingHarness {};

} // namespace halvana::test
