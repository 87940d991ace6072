#include "core/app/definition_file.h"

#include "core/app/app_title.h"
#include "core/app/message_sink.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace halvana {

std::optional<QString> readWholeTextFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFile::NoError)
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
    QString normalised = text;
    normalised.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList lines = normalised.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList readDefinitionFileLines(const QString& path, MessageSink& messages)
{
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    const std::optional<QString> text = readWholeTextFile(fullPath);
    if (!text) {
        const QString reason = QFileInfo::exists(fullPath) ? QStringLiteral("could not be read")
                                                           : QStringLiteral("was not found");
        messages.showMessage(MessageSink::Severity::Warning, kAppTitle,
                             QStringLiteral("The definition file '%1' %2.\nThe program goes on without it.")
                                 .arg(fullPath, reason));
        return {};
    }
    return splitLines(*text);
}

} // namespace halvana
