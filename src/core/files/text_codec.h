#pragma once

#include <QByteArray>
#include <QString>

namespace halvana {

// The program's files (captures, terminal captures, scripts, file lists) are 8-bit text in the
// Windows-1252 code page, as the files of existing installations are ("ø" is 0xF8).

// Windows-1252 bytes of the text; a character the code page does not have becomes '?'.
QByteArray toWindows1252(const QString& text);
// The text of Windows-1252 bytes; the five bytes the code page leaves undefined map to the
// control characters of the same number, as the system's own conversion does.
QString fromWindows1252(const QByteArray& bytes);

// Reads a file's bytes as text: UTF-8 when they are valid UTF-8 and hold a multi-byte sequence
// (which 1252 text practically never does: its accented letters are single bytes that break
// UTF-8), otherwise Windows-1252.
QString decodeFileText(const QByteArray& bytes);

} // namespace halvana
