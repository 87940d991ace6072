#pragma once

namespace halvana {

// Where a meter's settings block keeps its channel mapping and parent ID (registers 1-based
// within the block). The decoders, the panelboard labels, the header files and the script
// builder all take them from here, so a mapping the builder writes is read back as written.
struct BranchChannelRegisters {
    int voltageChannel;
    int currentChannel;
    int parentId;
};

struct ThreePhaseChannelRegisters {
    int firstVoltage;   // phases A, B, C from here
    int firstCurrent;   // phases A, B, C from here
    int neutralCurrent;
    int groundCurrent;
    int parentId;
};

namespace ChannelRegisters {

constexpr BranchChannelRegisters branch(int mapVersion)
{
    return mapVersion == 1 ? BranchChannelRegisters{11, 12, 16} : BranchChannelRegisters{5, 6, 20};
}

constexpr ThreePhaseChannelRegisters threePhase(int mapVersion)
{
    return mapVersion == 1 ? ThreePhaseChannelRegisters{16, 19, 22, 23, 25} : ThreePhaseChannelRegisters{11, 14, 17, 18, 20};
}

} // namespace ChannelRegisters

} // namespace halvana
