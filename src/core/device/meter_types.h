#pragma once

#include <QString>

namespace halvana {

// Meter type codes of the meter information words (bits 12..15).
enum MeterTypeCode : int {
    kTypeBranch = 1,
    kTypePduInput = 2,
    kTypePduOutput = 3,
    kTypeSubfeed = 4,
    kTypeMultipole = 5,
    kTypePanel = 9,
};

// Indices of `MeterTypeCount`.
enum MeterTypeCountIndex : int {
    kCountBranch = 0,
    kCountPduInput = 1,
    kCountPduOutput = 2,
    kCountSubfeed = 3,
    kCountPanel = 4,
    kCountUnknown = 5,
    kCountMultipole = 6,
};
inline constexpr int kMeterTypeCountSize = 7;

namespace MeterTypes {

int typeOfInfoWord(quint16 word);
int numberOfInfoWord(quint16 word);

// "1) Branch", ..., "9) Panel"; any other code n gives n followed by ") Unknown".
QString label(int typeCode);
// The `MeterTypeCount` index of a type; -1 for type 0, which is not counted.
int countIndex(int typeCode);
// The three-phase kinds that carry a running ordinal (PDU input and output, subfeed,
// multipole, panel).
bool hasOrdinal(int typeCode);

// Heading prefix and column width of a three-phase meter's column in tables 2 and 3.
QString kindPrefix(int typeCode);
int kindColumnWidth(int typeCode);

} // namespace MeterTypes

} // namespace halvana
