#include "core/upgrade/upgrade_image.h"

#include <QFile>
#include <QFileInfo>

namespace halvana::upgrade_image {

std::optional<QByteArray> load(const QString& path, QString* error)
{
    const auto fail = [&](const QString& why) {
        *error = QStringLiteral("The file, '") + path + QStringLiteral("' ") + why;
        return std::nullopt;
    };
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return fail(QStringLiteral("was not found."));
    if (!info.isFile())
        return fail(QStringLiteral("is not a firmware image: it is not a regular file."));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot be read: ") + file.errorString() + QLatin1Char('.'));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(QStringLiteral("cannot be read: ") + file.errorString() + QLatin1Char('.'));
    if (bytes.isEmpty())
        return fail(QStringLiteral("is empty: there is no firmware image to send."));
    return bytes;
}

} // namespace halvana::upgrade_image
