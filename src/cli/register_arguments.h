#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

namespace halvana::cli {

// The register arguments of read and write, checked before the link opens so that bad usage
// never reaches the unit.
struct RegisterArguments {
    int first = 0;
    int count = 0;
    QVector<int> values;

    // "REG [COUNT]"
    static std::optional<RegisterArguments> forRead(const QStringList& args, QString* problem);
    // "REG VALUE..."
    static std::optional<RegisterArguments> forWrite(const QStringList& args, QString* problem);
};

// A whole number in min..max, decimal or hexadecimal with "0x"; nothing, with a problem text
// naming `what`, when the text is not one.
std::optional<int> parseNumber(const QString& text, int min, int max, const QString& what, QString* problem);

} // namespace halvana::cli
