#include "core/terminal/service_commands.h"

#include "core/app/definition_file.h"

namespace halvana::service_commands {

QString buttonCaption(const QString& command)
{
    return command.size() <= 9 ? command : command.left(5);
}

QVector<Button> buttons(const QStringList& lines)
{
    QVector<Button> result;
    for (int i = 0; i < qMin(int(lines.size()), kButtonCount); ++i)
        result.push_back({buttonCaption(lines[i]), lines[i]});
    return result;
}

QString listCommand(const QString& entry)
{
    const QStringList parts = entry.split(QLatin1Char('\t'));
    return parts.size() > 1 ? parts[1] : QString();
}

QString listToolTip(const QString& entry)
{
    return QString(entry).replace(QLatin1Char('\t'), QStringLiteral("   "));
}

QString commandWithArgument(const QString& command, const QString& argument)
{
    // Deleting a pair may join a CR and an LF around it into a new one ("\r\r\n\n").
    QString row = (command + QLatin1Char(' ') + argument).trimmed();
    const QString pair = QStringLiteral("\r\n");
    while (row.contains(pair))
        row.remove(pair);
    return row;
}

QStringList readFile(const QString& programFolder, const QString& name, MessageSink& messages)
{
    return readDefinitionFileLines(programFolder + QLatin1Char('/') + name, messages);
}

} // namespace halvana::service_commands
