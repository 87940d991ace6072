#include "core/upgrade/downgrade.h"

#include "core/app/app_title.h"
#include "core/app/message_sink.h"
#include "core/device/setting_writes.h"
#include "core/modbus/connection_lifecycle.h"

namespace halvana {

Downgrade::Downgrade(SettingWrites& writes, ConnectionLifecycle& lifecycle, MessageSink& messages, QObject* parent)
    : QObject(parent), m_writes(writes), m_lifecycle(lifecycle), m_messages(messages)
{
    connect(&m_writes, &SettingWrites::writeFinished, this, &Downgrade::writeFinished);
}

void Downgrade::cmdDowngrade_Click()
{
    if (m_pending)
        return;
    if (!m_writes.requestWrite(kRegister, {kValue})) {
        emit statusText(QStringLiteral("The downgrade was not sent: another write is still pending. Try again."));
        emit finished(false);
        return;
    }
    m_pending = true;
    emit statusText(kInProcess);
}

// One write is pending at a time, so the one that ends while the downgrade waits is its own.
void Downgrade::writeFinished(bool success, const QString& message)
{
    if (!m_pending)
        return;
    m_pending = false;
    if (!success) {
        emit statusText(QStringLiteral("The downgrade failed: the unit did not accept it.\r\n") + message);
        emit finished(false);
        return;
    }
    emit statusText(kRebooting);
    m_messages.showMessage(MessageSink::Severity::Information, kAppTitle, kRebooting);
    m_lifecycle.requestReboot();
    emit finished(true);
}

} // namespace halvana
