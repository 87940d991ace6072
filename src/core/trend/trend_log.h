#pragma once

#include <QDateTime>
#include <QFile>
#include <QString>
#include <QStringList>

namespace halvana {

// A log of readings as CSV (RFC 4180): a heading line "Time" and one column per reading, then
// one row per reading cycle with its ISO 8601 time stamp. Every row is flushed as it is
// written, so a crash of the program loses at most the row being written. A row that cannot be
// written closes the log; errorText() then names the file and the cause.
class TrendLog {
public:
    TrendLog() = default;
    TrendLog(const TrendLog&) = delete;
    TrendLog& operator=(const TrendLog&) = delete;

    // Opens `path` for appending. A new or empty file gets the heading line; a file that
    // already starts with another heading is left alone and the log does not open.
    bool open(const QString& path, const QStringList& columns);
    bool writeRow(const QDateTime& time, const QStringList& values);
    void close();

    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_file.fileName(); }
    int rowsWritten() const { return m_rows; }
    QString errorText() const { return m_error; }

    // Local time with its offset from UTC and milliseconds: 2026-03-01T14:05:09.250+01:00.
    static QString timeStamp(const QDateTime& time);

private:
    bool writeLine(const QStringList& cells);

    QFile m_file;
    QString m_error;
    int m_rows = 0;
};

} // namespace halvana
