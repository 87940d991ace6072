#include "sim/slave_service.h"

#include <cstdio>

namespace halvana {

SlaveService::SlaveService(SimulatedUnit& unit, int slaveId, std::optional<FaultPlan> faults, bool verbose)
    : m_unit(unit), m_slave(unit), m_slaveId(slaveId), m_faults(std::move(faults)), m_verbose(verbose)
{
}

QByteArray SlaveService::answer(const QByteArray& request)
{
    if (!request.isEmpty() && m_faults && m_faults->injectException())
        return ModbusSlave::exception(quint8(request[0]), ModbusSlave::ServerDeviceFailure);
    return m_slave.reply(request);
}

ReplyShape SlaveService::shape(const QByteArray& adu, FrameKind kind)
{
    if (m_faults)
        return m_faults->shape(adu, kind);
    ReplyShape plain;
    plain.chunks << ReplyChunk{adu, 0};
    return plain;
}

void SlaveService::trace(const QString& port, const char* direction, const QByteArray& bytes) const
{
    if (!m_verbose)
        return;
    std::fprintf(stderr, "%s %s %s\n", qPrintable(port), direction, bytes.toHex(' ').toUpper().constData());
    std::fflush(stderr);
}

} // namespace halvana
