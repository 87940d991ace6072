#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace halvana {

class MessageSink;

// Reads a whole text file: UTF-8 when it is valid UTF-8, otherwise Windows-1252 as the unit's
// older tools wrote it. Nothing on failure.
std::optional<QString> readWholeTextFile(const QString& path);

// Splits text into lines at CR LF (or a bare LF); a final line ending adds no empty line.
QStringList splitLines(const QString& text);

// Reads a definition file that the program cannot work fully without (channel names, header
// files, command lists). A missing or unreadable file is reported through the sink with its full
// path, and the caller goes on with an empty result.
QStringList readDefinitionFileLines(const QString& path, MessageSink& messages);

} // namespace halvana
