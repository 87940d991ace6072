#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace halvana {

// The firmware image to send: the whole file, read before anything goes to the unit.
namespace upgrade_image {

// The file's bytes; nothing, with a message naming the file, when it is missing, not a regular
// file, unreadable or empty: a transfer of such a file would leave the board without firmware.
std::optional<QByteArray> load(const QString& path, QString* error);

} // namespace upgrade_image

} // namespace halvana
