#include "core/scripts/script_language.h"

#include "core/files/text_file.h"

#include <cmath>

namespace halvana::script {

std::optional<QStringList> readScriptFile(const QString& path)
{
    const std::optional<QString> text = readWholeTextFile(path);
    if (!text)
        return std::nullopt;
    return splitLines(*text);
}

QString collapseBlanks(const QString& line)
{
    QString text = line;
    while (text.contains(QLatin1String("  ")))
        text.replace(QLatin1String("  "), QLatin1String(" "));
    return text;
}

std::optional<double> numberValue(const QString& word)
{
    if (word.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)) {
        const QString digits = word.mid(2);
        bool ok = false;
        const qulonglong value = digits.toULongLong(&ok, 16);
        // toULongLong accepts a sign and blanks that "&H" does not.
        if (!ok || digits.size() > 8 || digits.front() == QLatin1Char('+') || digits.front() == QLatin1Char('-'))
            return std::nullopt;
        return double(value);
    }
    // Digits, at most one point, an optional leading minus: what the generators and a hand
    // would write. Exponents and thousands separators are not numbers here.
    int digits = 0;
    int points = 0;
    for (int i = 0; i < word.size(); ++i) {
        const QChar c = word[i];
        if (c.isDigit() && c.unicode() < 128)
            ++digits;
        else if (c == QLatin1Char('.'))
            ++points;
        else if (!(c == QLatin1Char('-') && i == 0))
            return std::nullopt;
    }
    if (digits == 0 || points > 1 || digits > 12)
        return std::nullopt;
    // nearbyint rounds halves to even in the default rounding mode.
    return std::nearbyint(word.toDouble());
}

ScriptLine classify(const QString& line)
{
    ScriptLine result;
    const QString text = collapseBlanks(line);
    if (text.size() < kShortLineLength)
        return result;
    if (!text.contains(QLatin1String("meter write "))) {
        result.kind = ScriptLine::Kind::NotAWrite;
        return result;
    }
    result.kind = ScriptLine::Kind::BadWrite;
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() < 2 || words[0] != QLatin1String("meter") || words[1] != QLatin1String("write")) {
        result.problem = QStringLiteral("the line does not start with \"meter write\"");
        return result;
    }
    if (words.size() < 4) {
        result.problem = words.size() < 3 ? QStringLiteral("register and value missing") : QStringLiteral("value missing");
        return result;
    }
    if (words.size() > 4) {
        result.problem = QStringLiteral("text after the value");
        return result;
    }
    const std::optional<double> reg = numberValue(words[2]);
    if (!reg) {
        result.problem = QStringLiteral("register \"%1\" is not a number").arg(words[2]);
        return result;
    }
    if (*reg < 1 || *reg > kMaxRegister) {
        result.problem = QStringLiteral("register %1 is out of range 1..%2").arg(words[2]).arg(kMaxRegister);
        return result;
    }
    const std::optional<double> value = numberValue(words[3]);
    if (!value) {
        result.problem = QStringLiteral("value \"%1\" is not a number").arg(words[3]);
        return result;
    }
    if (*value < 0 || *value > kMaxValue) {
        result.problem = QStringLiteral("value %1 is out of range 0..%2").arg(words[3]).arg(kMaxValue);
        return result;
    }
    result.kind = ScriptLine::Kind::MeterWrite;
    result.problem.clear();
    result.reg = int(*reg);
    result.value = int(*value);
    return result;
}

bool deletesMeters(const QString& line)
{
    return collapseBlanks(line).contains(QLatin1String("meter del"), Qt::CaseInsensitive);
}

} // namespace halvana::script
