#pragma once

#include <QByteArray>
#include <QString>

#include <utility>

namespace halvana {

class RegisterImage;

// The command interpreter behind the unit's service port. It echoes what it receives as a
// serial console does, a character at a time, asks for one of the device passwords, then
// answers command lines at its prompt. The "meter" commands change the register image the
// Modbus side serves, so a change made here shows in the next poll.
class ServiceShell {
public:
    static inline const QString kPasswordPrompt = QStringLiteral("Password: ");
    static inline const QString kPrompt = QStringLiteral("HALVANA> ");

    explicit ServiceShell(RegisterImage& image) : m_image(image) {}

    // What the unit sends back for the received bytes.
    QByteArray receive(const QByteArray& bytes);
    bool isLoggedIn() const { return m_loggedIn; }
    // The board whose upgrade command was just entered ("MCB"), once; empty when none was.
    // The unit then receives the board's image, and the shell waits without a prompt.
    QString takeUpgradeRequest() { return std::exchange(m_upgradeBoard, QString()); }

private:
    QString lineEntered(const QString& line);
    QString login(const QString& line);
    QString command(const QString& line);
    QString meterCommand(const QStringList& words);
    QString meterWrite(const QStringList& words);
    QString meterAdd(const QStringList& words);
    QString meterDelete();
    QString status() const;
    int meterCount() const;
    int meterListRegister(int index) const;

    RegisterImage& m_image;
    QByteArray m_line;
    bool m_loggedIn = false;
    bool m_unsaved = false;
    QString m_upgradeBoard;
};

} // namespace halvana
