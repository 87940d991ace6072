#pragma once

#include <QVector>
#include <QtGlobal>

#include <vector>

namespace halvana {

// The holding registers of the simulated unit, numbered 1..65536 as the unit's documents number
// them (register n is wire address n - 1). Only registers that were added exist; a request that
// touches any other gets an illegal-data-address exception.
class RegisterImage {
public:
    static constexpr int kFirstRegister = 1;
    static constexpr int kLastRegister = 65536;

    RegisterImage();

    // Adds registers first .. first + count - 1 with the given value; existing ones are reset too.
    void add(int first, int count, quint16 value = 0);
    // Adds registers first, first + 1, ... holding the values.
    void add(int first, const QVector<quint16>& values);

    bool has(int reg) const;
    bool hasRange(int first, int count) const;
    // 0 for a register that does not exist.
    quint16 value(int reg) const;
    QVector<quint16> values(int first, int count) const;
    // False, and nothing changes, when the register does not exist.
    bool set(int reg, quint16 value);

    // What the master may write: any value unless a range or read-only was given. The unit
    // itself still sets such registers with set().
    void setRange(int first, int count, quint16 min, quint16 max);
    void setReadOnly(int first, int count);
    bool accepts(int reg, quint16 value) const;

private:
    static bool inRange(int reg) { return reg >= kFirstRegister && reg <= kLastRegister; }

    std::vector<quint16> m_values;
    std::vector<bool> m_present;
    // Read-only is the empty range min 1, max 0.
    std::vector<quint16> m_min;
    std::vector<quint16> m_max;
};

} // namespace halvana
