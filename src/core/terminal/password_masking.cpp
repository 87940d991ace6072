#include "core/terminal/password_masking.h"

#include <algorithm>

namespace halvana {

const QStringList& devicePasswords()
{
    static const QStringList passwords = {QStringLiteral("plover"), QStringLiteral("thrush"),
                                          QStringLiteral("marten")};
    return passwords;
}

QList<int> maskPasswords(QString& text, int from)
{
    QList<int> positions;
    const int start = qMax(0, from - (kDevicePasswordLength - 1));
    for (const QString& password : devicePasswords()) {
        for (int at = text.indexOf(password, start); at >= 0; at = text.indexOf(password, at + password.size())) {
            text.replace(at, password.size(), kPasswordMask);
            positions << at;
        }
    }
    return positions;
}

QString StreamMasker::feed(const QString& block, bool masking)
{
    QString text = m_held + block;
    m_held.clear();
    if (!masking)
        return text;
    maskPasswords(text);
    // The longest tail that a password starts with waits for the next block.
    for (int length = qMin(int(text.size()), kDevicePasswordLength - 1); length > 0; --length) {
        const QStringView tail = QStringView(text).right(length);
        const bool starts = std::any_of(devicePasswords().cbegin(), devicePasswords().cend(),
                                        [tail](const QString& password) { return password.startsWith(tail); });
        if (starts) {
            m_held = tail.toString();
            text.chop(length);
            break;
        }
    }
    return text;
}

QString StreamMasker::flush()
{
    QString held;
    held.swap(m_held);
    return held;
}

} // namespace halvana
