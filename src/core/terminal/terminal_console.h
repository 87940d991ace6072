#pragma once

#include "core/terminal/console_text.h"
#include "core/terminal/send_queue.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

namespace halvana {

class Clock;
class MessageSink;
class Timer;
class Transport;

// The service terminal (`frmTerminal`) without its widgets: the service port, the console text,
// the command line and its history, the paced send queue, the connect toggle and the window's
// timers with the status texts they keep. The window shows what this says and forwards clicks.
class TerminalConsole : public QObject {
    Q_OBJECT
public:
    // Keys of the status bar panels.
    static inline const QString kComPortPanel = QStringLiteral("ComPort");
    static inline const QString kSettingsPanel = QStringLiteral("Settings");
    static inline const QString kStatusPanel = QStringLiteral("Status");
    static inline const QString kErrorsPanel = QStringLiteral("Errors");
    // The service port's line: 57600 baud, 8N1.
    static constexpr qint32 kBaud = 57600;
    static inline const QString kLineSettings = QStringLiteral("57600,n,8,1");

    TerminalConsole(Clock& clock, MessageSink& messages, QObject* parent = nullptr);
    ~TerminalConsole() override;

    // The service port and the store's number for it ("CommPort"); the port outlives this.
    void setPort(Transport* port, int portNumber);

    ConsoleText& console() { return m_console; }
    TerminalSendQueue& sendQueue() { return m_queue; }
    const QStringList& history() const { return m_history; }
    QString commandLine() const { return m_commandLine; }
    void setCommandLine(const QString& text);
    bool isOpen() const;
    QString connectCaption() const { return m_connectCaption; }
    QString panelText(const QString& key) const { return m_panels.value(key); }
    bool isIndicatorLit() const { return m_indicatorLit; }

    // Window load: opens the port and arms the start-up timers.
    void load();
    // Window unload: the timers stop, what is queued is dropped and the port is let go.
    void unload();

    void cmdConnect_Click();
    // Sends the command line with a carriage return and empties it; `sent` as for SendToUSB.
    void SendTLM_Command(std::function<void()> sent = {});
    // Queues text for the port; `sent` runs once its last character has had its time.
    void SendToUSB(const QString& text, std::function<void()> sent = {});
    void Send_SP_Command(const QString& text);

    // A firmware transfer borrows the open port: the terminal neither sends nor shows anything
    // until it gets the port back at its own speed.
    void releasePort();
    void resumePort();
    bool isPortReleased() const { return m_released; }

signals:
    void panelChanged(const QString& key, const QString& text);
    void connectCaptionChanged(const QString& caption);
    // The connection indicator: lit (green) while the unit answers.
    void indicatorChanged(bool lit);
    void commandLineChanged(const QString& text);
    // A received block, after the console has shown it.
    void received(const QString& block);

private:
    void setPanel(const QString& key, const QString& text);
    void setConnectCaption(const QString& caption);
    void setIndicator(bool lit);
    void showError(const QString& text);
    bool openPort();
    void reportOpenFailure();
    void opened();
    void closePort();
    void lineLost();
    void onBytes(const QByteArray& bytes);
    void showElapsed();
    void markDisconnected();
    std::unique_ptr<Timer> oneShot(int ms, std::function<void()> action);

    Clock& m_clock;
    MessageSink& m_messages;
    Transport* m_port = nullptr;
    int m_portNumber = 0;
    ConsoleText m_console;
    TerminalSendQueue m_queue;
    QStringList m_history;
    QString m_commandLine;
    QHash<QString, QString> m_panels;
    QString m_connectCaption = QStringLiteral("Connect");
    bool m_indicatorLit = false;
    // The first press of cmdConnect only arms it (tmrStartup makes that press).
    bool m_armed = false;
    // The user wants the port open: a line lost is reopened.
    bool m_wanted = false;
    bool m_released = false;
    QDateTime m_connectTime;

    std::unique_ptr<Timer> tmrStartup;
    std::unique_ptr<Timer> tmrTest;
    std::unique_ptr<Timer> tmrLogin;
    std::unique_ptr<Timer> Timer1;
    std::unique_ptr<Timer> Timer2;
    std::unique_ptr<Timer> tmrDisconnected;
    std::unique_ptr<Timer> tmrRestartMSComm;
};

} // namespace halvana
