#pragma once

#include "core/device/value_format.h"

namespace halvana {

// The display format of every register of the polled blocks, by register number of the first
// meter's block (2001.. for branch settings, 43001.. or 40001.. for three-phase settings).
namespace BlockFormats {

const FormatRules& systemInfo();
const FormatRules& branchSettings(int mapVersion);
const FormatRules& branchReadings(int mapVersion);
const FormatRules& threePhaseSettings(int mapVersion);
// Both parts of the three-phase readings; their register ranges do not overlap.
const FormatRules& threePhaseReadings(int mapVersion);

} // namespace BlockFormats

} // namespace halvana
