#pragma once

#include <QtGlobal>

#include <cstddef>
#include <vector>

namespace halvana {

// The points of one trended reading, in bounded memory. The newest points are kept as taken;
// older ones move through coarser levels, each point of level n standing for 2^n readings, so
// that hours of one-second readings fit in a fixed number of points and memory stays flat. A
// thinned point keeps the mean of its readings with their least and greatest value, so a short
// peak (a tripping breaker) survives the thinning. A reading that is not a number (no value
// this cycle) is a gap; it gives way to any reading it is merged with.
class TrendHistory {
public:
    struct Point {
        // Wall-clock milliseconds since the epoch.
        qint64 timeMs = 0;
        double value = 0;
        double min = 0;
        double max = 0;
    };

    static constexpr int kDefaultPointsPerLevel = 512;
    static constexpr int kDefaultLevels = 12;

    explicit TrendHistory(int pointsPerLevel = kDefaultPointsPerLevel, int levels = kDefaultLevels);

    void append(qint64 timeMs, double value);
    void clear();

    // Points held now, at most pointsPerLevel x levels.
    int size() const;
    int capacity() const { return m_pointsPerLevel * int(m_levels.size()); }
    // Readings appended since the last clear().
    qint64 appendedCount() const { return m_appended; }
    // Oldest first.
    std::vector<Point> points() const;
    // What the points take at the most, whatever has been appended.
    size_t memoryBytes() const;

private:
    struct Level {
        std::vector<Point> ring;
        int head = 0;
        int size = 0;
    };

    void push(size_t level, const Point& point);
    Point takeOldest(Level& level);

    int m_pointsPerLevel;
    std::vector<Level> m_levels;
    qint64 m_appended = 0;
};

} // namespace halvana
