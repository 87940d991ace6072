#include "core/device/value_format.h"

namespace halvana {

namespace {
QString withDecimals(quint16 value, int divisor, int decimals)
{
    // Integer arithmetic: the text is exact, with no binary rounding of the quotient.
    return QStringLiteral("%1.%2").arg(value / divisor).arg(value % divisor, decimals, 10, QLatin1Char('0'));
}
} // namespace

QString formatValue(quint16 value, ValueFormat format)
{
    switch (format) {
    case ValueFormat::Tenths:
        return withDecimals(value, 10, 1);
    case ValueFormat::Hundredths:
        return withDecimals(value, 100, 2);
    case ValueFormat::Thousandths:
        return withDecimals(value, 1000, 3);
    case ValueFormat::Raw:
        break;
    }
    return QString::number(value);
}

FormatRules::FormatRules(std::initializer_list<int> tenths, std::initializer_list<int> hundredths,
                         std::initializer_list<int> thousandths)
{
    for (int reg : tenths)
        range(reg, reg, ValueFormat::Tenths);
    for (int reg : hundredths)
        range(reg, reg, ValueFormat::Hundredths);
    for (int reg : thousandths)
        range(reg, reg, ValueFormat::Thousandths);
}

FormatRules& FormatRules::range(int first, int last, ValueFormat format)
{
    m_ranges.push_back({first, last, format});
    return *this;
}

FormatRules& FormatRules::pairsEveryFour(int first, int last, ValueFormat format)
{
    for (int reg = first; reg < last; reg += 4)
        range(reg, reg + 1, format);
    return *this;
}

ValueFormat FormatRules::formatOf(int reg) const
{
    for (const Range& r : m_ranges) {
        if (reg >= r.first && reg <= r.last)
            return r.format;
    }
    return ValueFormat::Raw;
}

} // namespace halvana
