#pragma once

#include "core/files/text_file.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace halvana {

class MessageSink;

// Definition files are the small text files the program reads rather than builds in: header
// files, "BCM_Channels.txt", command lists, mapping files, settings lists. Every one of them is
// read through the functions below, so that a wrong file (a device, a pipe, a huge file) costs
// nothing and never blocks:
// - only a regular file, or a link to one, is opened; anything else is refused before any open,
//   so a FIFO cannot block the program;
// - at most kMaxDefinitionFileBytes are read; a larger file is refused;
// - text is UTF-8 when it is valid UTF-8, otherwise Windows-1252 as the unit's older tools wrote it;
// - a line ends at CR LF, a lone CR or a lone LF;
// - readDefinitionFileLines cuts lines at kMaxDefinitionLineLength characters.
// readWholeTextFile and splitLines (core/files/text_file.h) do the first four.
inline constexpr qint64 kMaxDefinitionFileBytes = kMaxTextFileBytes;
inline constexpr int kMaxDefinitionLineLength = 4096;

// The lines of a definition file that the program cannot work fully without. A missing or
// unreadable file is reported through the sink with its full path, and the caller goes on with
// an empty result; lines cut to kMaxDefinitionLineLength are reported with their numbers.
QStringList readDefinitionFileLines(const QString& path, MessageSink& messages);

} // namespace halvana
