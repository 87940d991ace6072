#include "cli/register_arguments.h"

#include "core/modbus/modbus_frames.h"

namespace halvana::cli {

namespace {

constexpr int kLastRegister = kMaxWireAddress + 1;

// The first register of `count`, all of which must have a wire address.
std::optional<int> parseFirst(const QString& text, int count, QString* problem)
{
    const auto first = parseNumber(text, 1, kLastRegister, QStringLiteral("register"), problem);
    if (first && *first + count - 1 > kLastRegister) {
        *problem = QStringLiteral("registers %1 to %2 run past register %3")
                       .arg(*first)
                       .arg(*first + count - 1)
                       .arg(kLastRegister);
        return std::nullopt;
    }
    return first;
}

} // namespace

std::optional<int> parseNumber(const QString& text, int min, int max, const QString& what, QString* problem)
{
    const QString t = text.trimmed();
    bool ok = false;
    const qlonglong n = t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? t.mid(2).toLongLong(&ok, 16)
                                                                               : t.toLongLong(&ok, 10);
    if (ok && n >= min && n <= max)
        return int(n);
    *problem = QStringLiteral("%1 \"%2\" is not a number from %3 to %4").arg(what, t).arg(min).arg(max);
    return std::nullopt;
}

std::optional<RegisterArguments> RegisterArguments::forRead(const QStringList& args, QString* problem)
{
    RegisterArguments read;
    read.count = 1;
    if (args.size() > 1) {
        const auto count = parseNumber(args[1], 1, kMaxReadCount, QStringLiteral("count"), problem);
        if (!count)
            return std::nullopt;
        read.count = *count;
    }
    const auto first = parseFirst(args.value(0), read.count, problem);
    if (!first)
        return std::nullopt;
    read.first = *first;
    return read;
}

std::optional<RegisterArguments> RegisterArguments::forWrite(const QStringList& args, QString* problem)
{
    RegisterArguments write;
    write.count = int(args.size()) - 1;
    if (write.count > kMaxWriteCount) {
        *problem = QStringLiteral("at most %1 values go in one write").arg(kMaxWriteCount);
        return std::nullopt;
    }
    const auto first = parseFirst(args.value(0), write.count, problem);
    if (!first)
        return std::nullopt;
    write.first = *first;
    for (int i = 1; i < args.size(); ++i) {
        const auto value = parseNumber(args[i], 0, 65535, QStringLiteral("value"), problem);
        if (!value)
            return std::nullopt;
        write.values << *value;
    }
    return write;
}

} // namespace halvana::cli
