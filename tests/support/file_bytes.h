#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace halvana::test {

// The bytes of a file as written, or a text naming it when it cannot be read, so a comparison
// with the expected bytes fails and says why.
inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : "<cannot read " + path.toUtf8() + ">";
}

// Puts the bytes into a file, replacing what was there; false when they could not all be written.
inline bool writeFileBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace halvana::test
