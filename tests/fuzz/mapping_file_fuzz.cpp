// A channel-mapping file, shown for a slot and turned into a script. Byte 0 picks the
// configuration, the slot and the map version.
#include "core/files/text_file.h"
#include "core/scripts/script_builder.h"
#include "fuzz_input.h"

using namespace halvana;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const ChannelMapping mapping = ChannelMapping::parse(fuzz::lines(data + 1, size - 1));
    MappingChoice choice;
    choice.configuration = data[0] % ScriptBuilder::kConfigurationCount;
    const int slot = (data[0] >> 4) % ChannelMapping::kSlotCount;
    for (int section = 0; section < ChannelMapping::kSections; ++section) {
        fuzz::check(mapping.sections[size_t(section)].size() <= ChannelMapping::kEntriesPerSection);
        const QList<MappingRow> grid = mapping.grid(section, slot);
        if (section < 2)
            choice.grids[size_t(section)] = grid;
    }
    const ScriptBuilder builder((data[0] & 0x80) ? 1 : 2);
    const ScriptBuilder::Result result = builder.addMapping(QString(), choice);
    for (const QString& line : splitLines(result.text))
        if (line.startsWith(QLatin1String("meter write")))
            fuzz::check(script::classify(line).kind == ScriptLine::Kind::MeterWrite);
    return 0;
}
