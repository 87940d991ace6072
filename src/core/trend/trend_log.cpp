#include "core/trend/trend_log.h"

#include "core/grid/grid_text_export.h"

#include <QDir>

namespace halvana {

namespace {

const QString kTimeColumn = QStringLiteral("Time");

} // namespace

bool TrendLog::open(const QString& path, const QStringList& columns)
{
    close();
    m_error.clear();
    m_rows = 0;
    const QStringList heading = QStringList{kTimeColumn} + columns;
    const QByteArray headingLine = GridTextExport::csvLine(heading).toUtf8();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Append)) {
        m_error = QStringLiteral("Cannot open the log %1: %2").arg(QDir::toNativeSeparators(path), m_file.errorString());
        return false;
    }
    if (m_file.size() > 0) {
        m_file.seek(0);
        const QByteArray first = m_file.read(headingLine.size());
        if (first != headingLine) {
            m_error = QStringLiteral("The log %1 holds other columns").arg(QDir::toNativeSeparators(path));
            m_file.close();
            return false;
        }
        m_file.seek(m_file.size());
        return true;
    }
    return writeLine(heading);
}

bool TrendLog::writeRow(const QDateTime& time, const QStringList& values)
{
    if (!isOpen())
        return false;
    if (!writeLine(QStringList{timeStamp(time)} + values))
        return false;
    ++m_rows;
    return true;
}

bool TrendLog::writeLine(const QStringList& cells)
{
    const QByteArray line = GridTextExport::csvLine(cells).toUtf8();
    if (m_file.write(line) == line.size() && m_file.flush())
        return true;
    m_error = QStringLiteral("Cannot write the log %1: %2")
                  .arg(QDir::toNativeSeparators(m_file.fileName()), m_file.errorString());
    m_file.close();
    return false;
}

void TrendLog::close()
{
    if (m_file.isOpen())
        m_file.close();
}

QString TrendLog::timeStamp(const QDateTime& time)
{
    QDateTime stamped = time;
    stamped.setOffsetFromUtc(time.offsetFromUtc());
    return stamped.toString(Qt::ISODateWithMs);
}

} // namespace halvana
