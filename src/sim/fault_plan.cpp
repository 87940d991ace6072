#include "sim/fault_plan.h"

#include <QStringList>

namespace halvana {

namespace {

// Transaction id through byte count of an MBAP reply.
constexpr int kTcpCheckedHeaderBytes = 9;

std::optional<double> parseProbability(const QString& text)
{
    bool ok = false;
    const double p = text.toDouble(&ok);
    return ok && p >= 0 && p <= 1 ? std::optional<double>(p) : std::nullopt;
}

std::optional<int> parseMilliseconds(const QString& text)
{
    bool ok = false;
    const int ms = text.toInt(&ok);
    return ok && ms >= 0 && ms <= 60000 ? std::optional<int>(ms) : std::nullopt;
}

} // namespace

std::optional<FaultOptions> FaultOptions::parse(const QString& text, QString* error)
{
    FaultOptions options;
    const QStringList items = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& item : items) {
        const int eq = item.indexOf(QLatin1Char('='));
        const QString key = item.left(eq).trimmed();
        const QString value = eq < 0 ? QString() : item.mid(eq + 1).trimmed();
        double* probability = key == QLatin1String("drop")        ? &options.drop
                              : key == QLatin1String("corrupt")   ? &options.corrupt
                              : key == QLatin1String("split")     ? &options.split
                              : key == QLatin1String("exception") ? &options.exception
                                                                  : nullptr;
        int* milliseconds = key == QLatin1String("delay")      ? &options.delayMs
                            : key == QLatin1String("splitgap") ? &options.splitGapMs
                                                               : nullptr;
        if (probability) {
            const auto p = parseProbability(value);
            if (!p) {
                *error = QStringLiteral("--faults: \"%1\" needs a probability from 0 to 1").arg(item.trimmed());
                return std::nullopt;
            }
            *probability = *p;
        } else if (milliseconds) {
            const auto ms = parseMilliseconds(value);
            if (!ms) {
                *error = QStringLiteral("--faults: \"%1\" needs milliseconds from 0 to 60000").arg(item.trimmed());
                return std::nullopt;
            }
            *milliseconds = *ms;
        } else {
            *error = QStringLiteral("--faults: unknown fault \"%1\" (known: drop, corrupt, split, delay, "
                                    "exception, splitgap)")
                         .arg(key);
            return std::nullopt;
        }
    }
    if (options.splitGapMs < 1)
        options.splitGapMs = 1;
    return options;
}

QString FaultCounts::summaryLine() const
{
    return QStringLiteral("faults injected: %1 dropped, %2 corrupted, %3 split, %4 delayed, %5 exceptions")
        .arg(dropped)
        .arg(corrupted)
        .arg(split)
        .arg(delayed)
        .arg(exceptions);
}

FaultPlan::FaultPlan(const FaultOptions& options, quint32 seed) : m_options(options), m_random(seed)
{
}

bool FaultPlan::chance(double p)
{
    // 24 random bits are plenty for a probability and the same on every platform.
    return p > 0 && double(m_random() >> 8) / double(1u << 24) < p;
}

int FaultPlan::between(int lo, int hi)
{
    return hi <= lo ? lo : lo + int(m_random() % quint32(hi - lo + 1));
}

bool FaultPlan::injectException()
{
    const bool refused = chance(m_options.exception);
    m_counts.exceptions += refused;
    return refused;
}

ReplyShape FaultPlan::shape(const QByteArray& adu, FrameKind kind)
{
    ReplyShape shape;
    if (chance(m_options.drop)) {
        shape.dropped = true;
        ++m_counts.dropped;
        return shape;
    }
    shape.delayMs = m_options.delayMs > 0 ? between(0, m_options.delayMs) : 0;
    m_counts.delayed += shape.delayMs > 0;

    QByteArray bytes = adu;
    if (!bytes.isEmpty() && chance(m_options.corrupt)) {
        const int last = kind == FrameKind::Tcp ? qMin(kTcpCheckedHeaderBytes, int(bytes.size())) - 1
                                                : int(bytes.size()) - 1;
        const int at = between(0, last);
        bytes[at] = char(quint8(bytes[at]) ^ quint8(between(1, 255)));
        ++m_counts.corrupted;
    }
    if (bytes.size() >= 2 && chance(m_options.split)) {
        const int at = between(1, int(bytes.size()) - 1);
        shape.chunks << ReplyChunk{bytes.left(at), 0} << ReplyChunk{bytes.mid(at), between(1, m_options.splitGapMs)};
        ++m_counts.split;
    } else {
        shape.chunks << ReplyChunk{bytes, 0};
    }
    return shape;
}

} // namespace halvana
