#include "core/trend/trend_history.h"

#include <algorithm>
#include <cmath>

namespace halvana {

namespace {

TrendHistory::Point merged(const TrendHistory::Point& a, const TrendHistory::Point& b)
{
    if (std::isnan(a.value))
        return {(a.timeMs + b.timeMs) / 2, b.value, b.min, b.max};
    if (std::isnan(b.value))
        return {(a.timeMs + b.timeMs) / 2, a.value, a.min, a.max};
    return {(a.timeMs + b.timeMs) / 2, (a.value + b.value) / 2, std::min(a.min, b.min), std::max(a.max, b.max)};
}

} // namespace

TrendHistory::TrendHistory(int pointsPerLevel, int levels)
    : m_pointsPerLevel(std::max(2, pointsPerLevel)), m_levels(size_t(std::max(1, levels)))
{
}

void TrendHistory::append(qint64 timeMs, double value)
{
    ++m_appended;
    push(0, {timeMs, value, value, value});
}

void TrendHistory::clear()
{
    for (Level& level : m_levels)
        level = Level();
    m_appended = 0;
}

// A full level hands its two oldest points on as one to the next level; the last level lets
// its oldest point go.
void TrendHistory::push(size_t index, const Point& point)
{
    Level& level = m_levels[index];
    if (level.ring.empty())
        level.ring.resize(size_t(m_pointsPerLevel));
    if (level.size == m_pointsPerLevel) {
        if (index + 1 < m_levels.size()) {
            const Point first = takeOldest(level);
            const Point second = takeOldest(level);
            push(index + 1, merged(first, second));
        } else {
            takeOldest(level);
        }
    }
    level.ring[size_t((level.head + level.size) % m_pointsPerLevel)] = point;
    ++level.size;
}

TrendHistory::Point TrendHistory::takeOldest(Level& level)
{
    const Point point = level.ring[size_t(level.head)];
    level.head = (level.head + 1) % m_pointsPerLevel;
    --level.size;
    return point;
}

int TrendHistory::size() const
{
    int total = 0;
    for (const Level& level : m_levels)
        total += level.size;
    return total;
}

std::vector<TrendHistory::Point> TrendHistory::points() const
{
    std::vector<Point> out;
    out.reserve(size_t(size()));
    for (auto level = m_levels.rbegin(); level != m_levels.rend(); ++level) {
        for (int i = 0; i < level->size; ++i)
            out.push_back(level->ring[size_t((level->head + i) % m_pointsPerLevel)]);
    }
    return out;
}

size_t TrendHistory::memoryBytes() const
{
    return sizeof(*this) + m_levels.size() * (sizeof(Level) + size_t(m_pointsPerLevel) * sizeof(Point));
}

} // namespace halvana
