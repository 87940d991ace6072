#pragma once

#include <QObject>
#include <QString>

namespace halvana {

class ConnectionLifecycle;
class MessageSink;
class SettingWrites;

// `cmdDowngrade`: the unit is told to go back to its previous firmware by writing 2 to register
// 856 through the single write, on RS-485 or TCP. Only once the unit has acknowledged it is
// the reboot that finishes the downgrade started; a refused or unanswered write says so, and
// nothing reboots.
class Downgrade : public QObject {
    Q_OBJECT
public:
    static constexpr int kRegister = 856;
    static constexpr int kValue = 2;
    static inline const QString kInProcess = QStringLiteral("Software downgrade in process.");
    static inline const QString kRebooting = QStringLiteral("The unit will now be rebooted to finish the downgrade.");

    Downgrade(SettingWrites& writes, ConnectionLifecycle& lifecycle, MessageSink& messages, QObject* parent = nullptr);

    void cmdDowngrade_Click();
    bool isPending() const { return m_pending; }

signals:
    void statusText(const QString& text);
    void finished(bool success);

private:
    void writeFinished(bool success, const QString& message);

    SettingWrites& m_writes;
    ConnectionLifecycle& m_lifecycle;
    MessageSink& m_messages;
    bool m_pending = false;
};

} // namespace halvana
