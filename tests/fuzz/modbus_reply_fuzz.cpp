// The bytes that answer one outstanding read or write, over RTU or TCP, in chunks with pauses.
// Byte 0: bit 0 TCP, bit 1 write, bits 2..7 the pause after each chunk (x 8 ms); byte 1: chunk size.
#include "core/modbus/modbus_link.h"
#include "core/modbus/polling_control.h"
#include "core/time/manual_clock.h"
#include "fuzz_input.h"
#include "support/fake_transport.h"
#include <algorithm>

using namespace halvana;

namespace {
struct NoPolling : PollingControl {
    void setMainTimerEnabled(bool) override {}
    bool PollingDisabled() const override { return false; }
    void setPollingDisabled(bool) override {}
    int PollStep() const override { return 1; }
    void resetPollStep() override {}
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const bool tcpMode = data[0] & 1;
    const int pauseMs = (data[0] >> 2) * 8;
    const size_t chunk = data[1] % 32 + 1;
    ManualClock clock;
    test::FakeTransport serial, tcp{true};
    serial.open();
    tcp.completeConnect();
    NoPolling polling;
    ModbusLink link(clock);
    link.setTransports(&serial, &tcp);
    link.setPollingControl(&polling);
    link.setCommMode(tcpMode ? 1 : 0);
    int outcomes = 0;
    QObject::connect(&link, &ModbusLink::exchangeEnded, [&](const ExchangeOutcome&) { ++outcomes; });
    const auto sent = (data[0] & 2) ? link.WriteQuery(101, {1, 2, 3}) : link.ReadQuery(2001, 8);
    fuzz::check(sent == ModbusLink::RequestResult::Sent);
    test::FakeTransport& wire = tcpMode ? tcp : serial;
    for (size_t at = 2; at < size; at += chunk) {
        wire.receive(fuzz::bytes(data + at, std::min(chunk, size - at)));
        clock.advance(pauseMs);
    }
    clock.advance(ModbusLink::kResponseTimeoutMs + ModbusLink::kLateReplyGuardMs + 100);
    // One outcome, and nothing but the wake-up text went out after the request.
    fuzz::check(outcomes == 1 && !link.requestOutstanding());
    fuzz::check(wire.written.size() >= 1);
    for (int i = tcpMode ? 0 : 1; i < serial.written.size(); ++i)
        fuzz::check(serial.written[i] == ModbusLink::kWakeUpText);
    fuzz::check(tcp.written.size() == (tcpMode ? 1 : 0));
    return 0;
}
