#include "sim/register_image.h"

namespace halvana {

RegisterImage::RegisterImage()
    : m_values(kLastRegister + 1, 0),
      m_present(kLastRegister + 1, false),
      m_min(kLastRegister + 1, 0),
      m_max(kLastRegister + 1, 0xFFFF)
{
}

void RegisterImage::add(int first, int count, quint16 value)
{
    for (int reg = first; reg < first + count; ++reg) {
        if (inRange(reg)) {
            m_values[size_t(reg)] = value;
            m_present[size_t(reg)] = true;
        }
    }
}

void RegisterImage::add(int first, const QVector<quint16>& values)
{
    for (int i = 0; i < values.size(); ++i)
        add(first + i, 1, values[i]);
}

bool RegisterImage::has(int reg) const
{
    return inRange(reg) && m_present[size_t(reg)];
}

bool RegisterImage::hasRange(int first, int count) const
{
    if (count < 1)
        return false;
    for (int reg = first; reg < first + count; ++reg) {
        if (!has(reg))
            return false;
    }
    return true;
}

quint16 RegisterImage::value(int reg) const
{
    return has(reg) ? m_values[size_t(reg)] : 0;
}

QVector<quint16> RegisterImage::values(int first, int count) const
{
    QVector<quint16> result;
    result.reserve(count);
    for (int reg = first; reg < first + count; ++reg)
        result << value(reg);
    return result;
}

bool RegisterImage::set(int reg, quint16 value)
{
    if (!has(reg))
        return false;
    m_values[size_t(reg)] = value;
    return true;
}

void RegisterImage::setRange(int first, int count, quint16 min, quint16 max)
{
    for (int reg = first; reg < first + count; ++reg) {
        if (inRange(reg)) {
            m_min[size_t(reg)] = min;
            m_max[size_t(reg)] = max;
        }
    }
}

void RegisterImage::setReadOnly(int first, int count)
{
    setRange(first, count, 1, 0);
}

bool RegisterImage::accepts(int reg, quint16 value) const
{
    return has(reg) && value >= m_min[size_t(reg)] && value <= m_max[size_t(reg)];
}

} // namespace halvana
