#include "core/scan/scan_plan.h"

#include <cmath>

namespace halvana {

namespace {

// A read request is 8 bytes on the wire and its reply 5 plus two a register; a character of
// the unit's line takes 11 bit times at most (start, 8 data, parity, stop).
constexpr int kRequestBytes = 8;
constexpr int kReplyBytes = 5 + 2 * ScanPlan::kRegisterCount;
constexpr int kBitsPerCharacter = 11;

} // namespace

QString ScanTry::text() const
{
    return baud > 0 ? QStringLiteral("%1 at %2 baud, slave ID %3").arg(endpoint).arg(baud).arg(slaveId)
                    : QStringLiteral("%1, unit ID %2").arg(endpoint).arg(slaveId);
}

int ScanPlan::tryCount() const
{
    const int speeds = tcp ? 1 : int(bauds.size());
    return int(endpoints.size()) * speeds * std::max(0, lastId - firstId + 1);
}

QVector<ScanTry> ScanPlan::tries() const
{
    QVector<ScanTry> all;
    all.reserve(tryCount());
    const QVector<int> speeds = tcp ? QVector<int>{0} : bauds;
    for (const QString& endpoint : endpoints) {
        for (int baud : speeds) {
            for (int id = firstId; id <= lastId; ++id)
                all.push_back({endpoint, baud, id});
        }
    }
    return all;
}

int ScanPlan::timeoutMs(int baud)
{
    if (baud <= 0)
        return kTcpReplyMs;
    const double wireMs = (kRequestBytes + kReplyBytes) * kBitsPerCharacter * 1000.0 / baud;
    return int(std::ceil(wireMs)) + kTurnaroundMs;
}

qint64 ScanPlan::estimateMs() const
{
    qint64 total = 0;
    const int ids = std::max(0, lastId - firstId + 1);
    for (int baud : tcp ? QVector<int>{0} : bauds)
        total += qint64(timeoutMs(baud)) * ids;
    return total * endpoints.size();
}

QString ScanPlan::description() const
{
    const auto count = [](qsizetype n, const char* one, const char* many) {
        return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
    };
    QStringList parts{count(endpoints.size(), tcp ? "address" : "port", tcp ? "addresses" : "ports")};
    if (!tcp)
        parts << count(bauds.size(), "speed", "speeds");
    parts << count(std::max(0, lastId - firstId + 1), "ID", "IDs");
    return parts.join(QStringLiteral(" x "));
}

QString durationText(qint64 ms)
{
    const qint64 seconds = (ms + 999) / 1000;
    if (seconds < 60)
        return QStringLiteral("%1 s").arg(seconds);
    return QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
}

} // namespace halvana
