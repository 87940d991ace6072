#include "core/files/text_file.h"

#include "core/files/text_codec.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace halvana {

std::optional<QString> readWholeTextFile(const QString& path, qint64 maxBytes)
{
    // QFileInfo follows links, and isFile() holds only for a regular file: a FIFO, a device or a
    // folder is refused here, before an open could block on it.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > maxBytes)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // One byte past the bound tells a file that grew since it was looked at.
    const QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFile::NoError || bytes.size() > maxBytes)
        return std::nullopt;
    return decodeFileText(bytes);
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

std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    // Never fall back to writing the target in place: a failure must leave it untouched.
    file.setDirectWriteFallback(false);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return std::nullopt;
    const QString reason = file.errorString();
    file.cancelWriting();
    return QStringLiteral("The file '%1' could not be written: %2.")
        .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()), reason);
}

bool isOneOfTheFiles(const QString& path, const QStringList& files)
{
    const auto resolved = [](const QString& p) {
        const QFileInfo info(p);
        return info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    };
    const QString target = resolved(path);
    return std::any_of(files.begin(), files.end(), [&](const QString& f) { return resolved(f) == target; });
}

std::optional<QString> writeTextFile1252(const QString& path, const QString& text)
{
    return writeFileAtomically(path, toWindows1252(text));
}

} // namespace halvana
