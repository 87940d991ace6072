#pragma once

#include "core/device/sequencer.h"
#include "core/modbus/exchange.h"

#include <QObject>
#include <QString>
#include <QVector>

namespace halvana {

class MessageSink;
class ModbusLink;
class PollingControl;

// What a write's outcome is told as: "Successful Write ", or why it was not.
struct WriteResult {
    bool success = false;
    QString message;

    static WriteResult of(const ExchangeOutcome& outcome);
};

// The setting writes, served by `tmrMain` as a tick client: a single write (`WriteRegister`,
// `WriteValues`, `WritePending`) and the two-step global write through register 51
// (`GlobalWriteStep`, `GlobalWriteRegister`). A write leaves on a tick when nothing is
// outstanding, and its own outcome, never another request's, reports it.
class SettingWrites : public QObject, public TickClient {
    Q_OBJECT
public:
    static constexpr int kGlobalParentRegister = 51;
    static inline const QString kSuccessfulWrite = QStringLiteral("Successful Write ");
    static inline const QString kUnsuccessfulWrite = QStringLiteral("Unsuccessful Write");
    static inline const QString kOutOfRangeMessage =
        QStringLiteral("Unsuccessful Write: The value could have been out of range for this item.");

    SettingWrites(ModbusLink& link, PollingControl& polling, MessageSink& messages, QObject* parent = nullptr);

    // Queues a write of the values to `reg` onwards for the next tick; false while a write is
    // pending or a global write runs.
    bool requestWrite(int reg, const QVector<int>& values);
    // Step 1 writes the panel's `parentId` to register 51, step 2 `value` to `globalRegister`.
    bool requestGlobalWrite(int parentId, int globalRegister, int value);

    bool WritePending() const { return m_writePending; }
    int GlobalWriteStep() const { return m_globalWriteStep; }
    int WriteRegister() const { return m_writeRegister; }
    int GlobalWriteRegister() const { return m_globalWriteRegister; }

    Turn takeTick() override;
    bool dueWhilePollingDisabled() const override { return m_due || m_globalWriteStep == 2; }

signals:
    // A write ended, a global write after its last step: "Successful Write " or why it was not.
    void writeFinished(bool success, const QString& message);
    void statusText(const QString& panel, const QString& text);
    void beep();

private:
    bool busy() const { return m_writePending || m_due || m_globalWriteStep != 0; }
    Turn send(int reg, const QVector<int>& values);
    void onExchangeEnded(const ExchangeOutcome& outcome);
    void finish(const ExchangeOutcome& outcome);
    void finishGlobalStep(const ExchangeOutcome& outcome);
    void finishSingleWrite(const ExchangeOutcome& outcome);
    void reportFailure(const ExchangeOutcome& outcome, bool bell);
    void clearWritePending();

    ModbusLink& m_link;
    PollingControl& m_polling;
    MessageSink& m_messages;

    bool m_due = false;
    bool m_writePending = false;
    int m_writeRegister = 0;
    QVector<int> m_writeValues;
    // 0 idle, 1 step 1 sent, 2 step 2 due, 3 step 2 sent.
    int m_globalWriteStep = 0;
    int m_globalWriteRegister = 0;
    QVector<int> m_globalValue;
    quint64 m_sentRequest = 0;
};

} // namespace halvana
