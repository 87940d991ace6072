#include "core/app/definition_file.h"

#include "core/app/app_title.h"
#include "core/app/message_sink.h"

#include <QFile>
#include <QFileInfo>

namespace halvana {

namespace {

// How many cut lines the report names; a file of 1 MiB can have 256 of them.
constexpr int kCutLinesNamed = 10;

void report(MessageSink& messages, const QString& text)
{
    messages.showMessage(MessageSink::Severity::Warning, kAppTitle, text);
}

} // namespace

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
