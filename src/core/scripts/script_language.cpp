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
    // A word that is no number, or out of range, is named rather than written as 0.
    const auto number = [&result](const QString& word, const QString& what, int low, int high) -> std::optional<int> {
        const std::optional<double> value = numberValue(word);
        if (!value)
            result.problem = QStringLiteral("%1 \"%2\" is not a number").arg(what, word);
        else if (*value < low || *value > high)
            result.problem = QStringLiteral("%1 %2 is out of range %3..%4").arg(what, word).arg(low).arg(high);
        else
            return int(*value);
        return std::nullopt;
    };
    const std::optional<int> reg = number(words[2], QStringLiteral("register"), 1, kMaxRegister);
    const std::optional<int> value = reg ? number(words[3], QStringLiteral("value"), 0, kMaxValue) : std::nullopt;
    if (!value)
        return result;
    result.kind = ScriptLine::Kind::MeterWrite;
    result.reg = *reg;
    result.value = *value;
    return result;
}

bool deletesMeters(const QString& line)
{
    return collapseBlanks(line).contains(QLatin1String("meter del"), Qt::CaseInsensitive);
}

} // namespace halvana::script
