#pragma once

#include <QString>

#include <initializer_list>
#include <vector>

namespace halvana {

// How a register value is shown: as received, or divided by 10, 100 or 1000 with one, two or
// three decimals ("0.0", "0.00", "0.000").
enum class ValueFormat { Raw, Tenths, Hundredths, Thousandths };

QString formatValue(quint16 value, ValueFormat format);

// The formats of one register block, keyed by the register number of the first meter's copy.
// Registers not named are shown raw.
class FormatRules {
public:
    FormatRules() = default;
    FormatRules(std::initializer_list<int> tenths, std::initializer_list<int> hundredths,
                std::initializer_list<int> thousandths = {});

    // Inclusive range of registers in one format.
    FormatRules& range(int first, int last, ValueFormat format);
    // Pairs of registers repeating every four: first, first + 1, first + 4, first + 5, ... last.
    FormatRules& pairsEveryFour(int first, int last, ValueFormat format);

    ValueFormat formatOf(int reg) const;
    QString format(int reg, quint16 value) const { return formatValue(value, formatOf(reg)); }

private:
    struct Range {
        int first;
        int last;
        ValueFormat format;
    };
    std::vector<Range> m_ranges;
};

} // namespace halvana
