#include "core/app/definition_file.h"

#include "core/app/app_title.h"
#include "core/app/message_sink.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace halvana {

namespace {

// How many cut lines the report names; a file of 1 MiB can have 256 of them.
constexpr int kCutLinesNamed = 10;

void report(MessageSink& messages, const QString& text)
{
    messages.showMessage(MessageSink::Severity::Warning, kAppTitle, text);
}

} // namespace

std::optional<QString> readWholeTextFile(const QString& path)
{
    // QFileInfo follows links, and isFile() holds only for a regular file: a FIFO, a device or a
    // folder is refused here, before an open could block on it.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxDefinitionFileBytes)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // One byte past the bound tells a file that grew since it was looked at.
    const QByteArray bytes = file.read(kMaxDefinitionFileBytes + 1);
    if (file.error() != QFile::NoError || bytes.size() > kMaxDefinitionFileBytes)
        return std::nullopt;

    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder windows1252("windows-1252");
    if (windows1252.isValid())
        return windows1252.decode(bytes);
    return QString::fromLatin1(bytes);
}

QStringList splitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines << text.mid(start, i - start);
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines << text.mid(start);
    return lines;
}

QStringList readDefinitionFileLines(const QString& path, MessageSink& messages)
{
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    const std::optional<QString> text = readWholeTextFile(fullPath);
    if (!text) {
        const QString reason = QFileInfo::exists(fullPath) ? QStringLiteral("could not be read")
                                                           : QStringLiteral("was not found");
        report(messages, QStringLiteral("The definition file '%1' %2.\nThe program goes on without it.")
                             .arg(fullPath, reason));
        return {};
    }
    QStringList lines = splitLines(*text);
    QStringList cut;
    int cutCount = 0;
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].size() <= kMaxDefinitionLineLength)
            continue;
        lines[i].truncate(kMaxDefinitionLineLength);
        if (++cutCount <= kCutLinesNamed)
            cut << QString::number(i + 1);
    }
    if (cutCount > 0) {
        const QString numbers = cut.join(QStringLiteral(", ")) + (cutCount > kCutLinesNamed ? QStringLiteral(", ...") : QString());
        const QString format = cutCount == 1
            ? QStringLiteral("Line %1 of the definition file '%2' is longer than %3 characters; only its first %3 are used.")
            : QStringLiteral("Lines %1 of the definition file '%2' are longer than %3 characters; only their first %3 are used.");
        report(messages, format.arg(numbers, fullPath, QString::number(kMaxDefinitionLineLength)));
    }
    return lines;
}

} // namespace halvana
