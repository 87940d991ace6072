#pragma once

#include <QString>
#include <QStringList>

namespace halvana {

// The unit's device passwords appear on the service console when they are typed (the unit
// echoes what it receives); while masking is on they are shown, and captured, as asterisks.
const QStringList& devicePasswords();
// Every device password is six letters long.
inline constexpr int kDevicePasswordLength = 6;
inline const QString kPasswordMask = QStringLiteral("******");
// Once the console has shown this, masking ends.
inline const QString kTelnetRefusal = QStringLiteral("telnetd: Unable to connect");

// Replaces every device password that ends at or after `from` with the mask; returns the
// positions replaced.
QList<int> maskPasswords(QString& text, int from = 0);

// Masks the passwords in a stream that arrives in blocks, such as a capture file's: a tail that
// may be the beginning of a password is held back until the next block tells.
class StreamMasker {
public:
    // The text that can be passed on now.
    QString feed(const QString& block, bool masking);
    // What was held back.
    QString flush();

private:
    QString m_held;
};

} // namespace halvana
