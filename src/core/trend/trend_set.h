#pragma once

#include "core/trend/trend_history.h"
#include "core/trend/trend_log.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace halvana {

class AppSettings;
class Clock;
class DeviceData;

// One reading the user follows: a register row of a readings table (branch, three-phase or
// thermal readings) and the column of a meter. The register, not the row, names it, so it
// survives a table rebuilt for another map version.
struct TrendSource {
    int table = -1;
    int reg = 0;
    int column = -1;

    // "TABLE:REG:COLUMN", as the settings keep it.
    QString key() const;
    static std::optional<TrendSource> fromKey(const QString& key);
    bool operator==(const TrendSource& other) const
    {
        return table == other.table && reg == other.reg && column == other.column;
    }
};

// The trended readings: each with its name, unit and bounded history, sampled once per
// completed polling cycle from the grid that shows it, and optionally logged to CSV. A log
// that cannot be written stops with a message; the trend goes on.
class TrendSet : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxSeries = 16;
    static inline const QString kSettingsSection = QStringLiteral("Trend");
    static inline const QString kSeriesKey = QStringLiteral("Series");

    struct Series {
        TrendSource source;
        // The meter's heading and the row's description: "B3: Current (A)".
        QString label;
        // From the description's brackets: "A" for "Current (A, whole)".
        QString unit;
        // The cell text of the last sample; empty when there was no reading.
        QString lastText;
        TrendHistory history;
        bool named = false;
    };

    TrendSet(DeviceData& data, Clock& clock, QObject* parent = nullptr);
    ~TrendSet() override;

    // For a log alone (halvana-cli log): any number of series, and no history kept.
    void setLogOnly(bool logOnly) { m_logOnly = logOnly; }

    // Tables 1, 3 and 10.
    static bool isTrendTable(int table);
    static QString unitOfDescription(const QString& description);

    // The reading a cell shows, if it shows one: a value cell of a readings table, the value
    // cell of a branch in the branch view, a reading of a three-phase meter frame.
    std::optional<TrendSource> sourceOfTableCell(int table, int row, int column) const;
    std::optional<TrendSource> sourceOfBranchCell(int grid, int row) const;
    std::optional<TrendSource> sourceOfMeterFrameCell(int viewKind, int frame, int row, int column) const;

    int count() const { return int(m_series.size()); }
    const Series& series(int index) const { return *m_series.at(size_t(index)); }
    int indexOf(const TrendSource& source) const;
    // False when the reading is followed already or kMaxSeries are (unless log only).
    bool add(const TrendSource& source);
    void remove(int index);
    // The tables the series take their readings from: they must be polled.
    QList<int> tables() const;

    void save(AppSettings& settings) const;
    void restore(const AppSettings& settings);

    // One completed polling cycle: every series takes the value its cell shows (nothing when
    // its table is closed or its values are stale), and the log gets a row when it is due.
    void sample();

    // Starts a log of the series followed now in `path`; false, with the reason in
    // logError(), when the file cannot be opened.
    bool startLog(const QString& path);
    // The next free Log_###.csv in `folder`.
    static QString nextLogPath(const QString& folder);
    void stopLog();
    bool isLogging() const { return m_log.isOpen(); }
    QString logPath() const { return m_log.path(); }
    QString logError() const { return m_log.errorText(); }
    int logRows() const { return m_log.rowsWritten(); }
    // The least time between two log rows; 0 logs every cycle.
    void setLogIntervalMs(qint64 ms) { m_logIntervalMs = ms; }

signals:
    void seriesChanged();
    void sampled();
    void logStateChanged(bool logging);
    // The log stopped because it could not be written; the message names the file.
    void logFailed(const QString& message);

private:
    void name(Series& series) const;
    QString cellText(const TrendSource& source) const;
    void writeLogRow();

    DeviceData& m_data;
    Clock& m_clock;
    std::vector<std::unique_ptr<Series>> m_series;
    TrendLog m_log;
    std::vector<TrendSource> m_logSources;
    qint64 m_logIntervalMs = 0;
    bool m_logOnly = false;
    std::optional<qint64> m_lastLogRowMs;
};

} // namespace halvana
