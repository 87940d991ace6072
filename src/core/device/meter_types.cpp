#include "core/device/meter_types.h"

namespace halvana::MeterTypes {

int typeOfInfoWord(quint16 word)
{
    return word >> 12;
}

int numberOfInfoWord(quint16 word)
{
    return word & 0xFF;
}

QString label(int typeCode)
{
    switch (typeCode) {
    case kTypeBranch:
        return QStringLiteral("1) Branch");
    case kTypePduInput:
        return QStringLiteral("2) PDU Input");
    case kTypePduOutput:
        return QStringLiteral("3) PDU Output");
    case kTypeSubfeed:
        return QStringLiteral("4) Subfeed");
    case kTypeMultipole:
        return QStringLiteral("5) Br. Multipole");
    case kTypePanel:
        return QStringLiteral("9) Panel");
    default:
        return QString::number(typeCode) + QStringLiteral(") Unknown");
    }
}

int countIndex(int typeCode)
{
    switch (typeCode) {
    case 0:
        return -1;
    case kTypeBranch:
        return kCountBranch;
    case kTypePduInput:
        return kCountPduInput;
    case kTypePduOutput:
        return kCountPduOutput;
    case kTypeSubfeed:
        return kCountSubfeed;
    case kTypeMultipole:
        return kCountMultipole;
    case kTypePanel:
        return kCountPanel;
    default:
        return kCountUnknown;
    }
}

bool hasOrdinal(int typeCode)
{
    return typeCode == kTypePduInput || typeCode == kTypePduOutput || typeCode == kTypeSubfeed
        || typeCode == kTypeMultipole || typeCode == kTypePanel;
}

QString kindPrefix(int typeCode)
{
    switch (typeCode) {
    case kTypePduInput:
        return QStringLiteral("PDU In ");
    case kTypePduOutput:
        return QStringLiteral("PDU Out ");
    case kTypeSubfeed:
        return QStringLiteral("SF");
    case kTypeMultipole:
        return QStringLiteral("MP");
    case kTypePanel:
        return QStringLiteral("Panel ");
    default:
        return QString();
    }
}

int kindColumnWidth(int typeCode)
{
    switch (typeCode) {
    case kTypePduInput:
    case kTypePduOutput:
        return 1080;
    case kTypePanel:
        return 900;
    default:
        return 600;
    }
}

} // namespace halvana::MeterTypes
