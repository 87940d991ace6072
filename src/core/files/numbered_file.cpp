#include "core/files/numbered_file.h"

#include <QDir>
#include <QFileInfo>

namespace halvana {

QString NumberedFileName::name(int number) const
{
    return m_prefix + QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0')) + m_suffix;
}

QString NumberedFileName::nextFreeName(const QString& folder, const QString& preferredName) const
{
    const QDir dir(folder);
    const QString preferred = QFileInfo(preferredName).fileName();
    if (!preferred.isEmpty() && !QFileInfo::exists(dir.filePath(preferred)))
        return preferred;
    for (int number = 1;; ++number) {
        const QString candidate = name(number);
        if (!QFileInfo::exists(dir.filePath(candidate)))
            return candidate;
    }
}

QString NumberedFileName::nextFreePath(const QString& folder, const QString& preferredName) const
{
    return QDir(folder).filePath(nextFreeName(folder, preferredName));
}

} // namespace halvana
