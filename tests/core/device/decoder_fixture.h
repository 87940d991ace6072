#pragma once

#include "core/device/device_data.h"
#include "polling_fixture.h"

namespace halvana::test {

// A read as the sequencer records it: step, map, meter and half, and the block they read.
inline ReadContext context(int step, int map, int cursor = 0, MeterHalf half = MeterHalf::BCM1, int kind = 0,
                           int meterIndex = 0)
{
    const RegisterBlock block = RegisterMap::stepRead(step, map, cursor, half == MeterHalf::BCM2);
    return {step, cursor, meterIndex, half, map, kind, block.first, block.count};
}

// Device data fed by hand-made replies, as the sequencer would record them.
class DecoderTest : public ::testing::Test {
protected:
    DecoderTest() : data(shippedDataFolder(), messages) {}

    // Decodes a reply of zeros with the given registers (by index) set.
    bool decode(const ReadContext& ctx, const std::map<int, quint16>& values = {})
    {
        RegData regs(size_t(ctx.ReadCount), 0);
        for (const auto& [i, v] : values)
            regs[size_t(i)] = v;
        return data.ProcessDataReceived(ctx, regs);
    }

    // The system information reply of a unit with `meters` meters on a map version.
    void systemInfo(int meters, int map, std::map<int, quint16> extra = {})
    {
        extra.emplace(4, quint16(meters));
        extra.emplace(15, quint16(map));
        decode(context(kStepSystemInfo, map), extra);
    }

    // Meter information for the first block from a list of type codes.
    void meterTypes(const std::vector<int>& types, int map = 2)
    {
        std::map<int, quint16> words;
        for (size_t m = 0; m < types.size(); ++m)
            words[int(m)] = quint16(types[m] << 12 | (m + 1));
        decode(context(kStepMeterInfo1, map), words);
    }

    GridModel& grid(int table) { return data.tables().table(table).grid(); }

    RecordingMessages messages;
    DeviceData data;
};

} // namespace halvana::test
