#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace halvana {

// Reading and writing the program's text files. Reading is bounded and never blocks: only a
// regular file, or a link to one, is opened (a FIFO or device is refused before any open), and a
// file larger than kMaxTextFileBytes is refused. Text is decoded by decodeFileText.
inline constexpr qint64 kMaxTextFileBytes = 1024 * 1024;

// The whole text of a file; nothing when it is missing, not a regular file, too large or
// cannot be read.
std::optional<QString> readWholeTextFile(const QString& path, qint64 maxBytes = kMaxTextFileBytes);

// Splits text into lines at CR LF, a lone CR or a lone LF; a final line end adds no empty line.
QStringList splitLines(const QString& text);

// Replaces the file with the bytes, all or nothing: they go to a temporary file in the same
// folder, which is renamed over the target only once everything is on disk. A failure (folder
// missing, not writable, disk full) leaves the old file as it was and no temporary file behind,
// and gives a message naming the path; nothing on success.
std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& bytes);

// True when `path` names one of `files`, however each is spelt (relative, through a link):
// what is written to `path` would replace that file.
bool isOneOfTheFiles(const QString& path, const QStringList& files);

// The text in Windows-1252, written as writeFileAtomically does.
std::optional<QString> writeTextFile1252(const QString& path, const QString& text);

} // namespace halvana
