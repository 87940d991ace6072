#pragma once

#include "core/device/register_map.h"
#include "core/modbus/exchange.h"

#include <vector>

namespace halvana {

// Which request of a meter a reply answers (`ReadHalf`): the first (or only) one, or the second.
enum class MeterHalf { BCM1, BCM2 };

// Where the polling cycle stands (`PollStep` and the meter position).
struct PollPosition {
    int PollStep = 0;
    int MeterCursor = 0;
    int MeterIndex = 0;
    int StartMeterIndex = 0;
    bool SecondHalfPending = false;
    // A meter of this pass ended without its whole block decoded (an exception to one of its
    // parts): the pass goes on but does not count as complete.
    bool PassIncomplete = false;

    void resetMeterPosition()
    {
        MeterCursor = MeterIndex = StartMeterIndex = 0;
        SecondHalfPending = PassIncomplete = false;
    }
};

// The state a read request was sent with. Its reply is decoded with this, never with the
// state of the moment, so nothing that happens while the reply is on its way can make it
// land in the wrong table, column or map version.
struct ReadContext {
    int step = -1;
    int MeterCursor = 0;
    int MeterIndex = 0;
    MeterHalf ReadHalf = MeterHalf::BCM1;
    int RegisterMapVersion = 2;
    // `MeterType` of the meter being read (`CurrentMeterKind` for three-phase meters).
    int CurrentMeterKind = 0;
    // First register and count (`ReadCount`) of the request.
    int firstRegister = 0;
    int ReadCount = 0;

    bool isValid() const { return step >= 0 && step < kPollStepCount && ReadCount > 0; }
};

} // namespace halvana
