#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <memory>

namespace halvana::test {

// Where the build put halvana-sim, halvana-cli and the test fixtures.
QString binaryPath(const QString& name);

struct RunResult {
    bool finished = false;
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs a program to its end, waiting on its exit with a deadline. Child programs get a scratch
// HOME, so they never read or write the user's own settings.
RunResult runProgram(const QString& program, const QStringList& args, int timeoutMs = 20000);

// halvana-cli with the connection options and a command line such as "read 5001 4".
RunResult runCli(const QStringList& connection, const QString& command);

// A program that runs beside the test (the simulator, socat, a fixture server) until stopped.
class BackgroundProgram {
public:
    BackgroundProgram();
    ~BackgroundProgram();

    // Starts it and waits until its output (stdout and stderr together) matches `ready`;
    // the match is invalid when the program ended or the deadline passed first.
    QRegularExpressionMatch start(const QString& program, const QStringList& args, const QRegularExpression& ready,
                                  int timeoutMs = 10000);
    // Sends SIGTERM and waits for the end; true when the program ended by itself with status 0.
    bool stop();
    QString output() const { return m_output; }
    bool isRunning() const { return m_process->state() != QProcess::NotRunning; }

private:
    std::unique_ptr<QProcess> m_process;
    QString m_output;
};

// A pseudo-terminal pair made by socat: bytes written at one end come out at the other at once.
class PtyPair {
public:
    // False (with the reason in error()) when socat could not make the pair.
    bool open();
    QString unitSide() const { return m_unitSide; }
    QString toolSide() const { return m_toolSide; }
    QString error() const { return m_socat.output(); }

private:
    BackgroundProgram m_socat;
    QString m_unitSide;
    QString m_toolSide;
};

// halvana-sim on a free localhost port or on a pty, waited for until it says it is ready.
class SimProcess {
public:
    // Returns false when it did not come up; output() tells why.
    bool startTcp(const QStringList& extraArgs = {});
    bool startRtu(const QString& device, const QStringList& extraArgs = {});
    bool stop() { return m_program.stop(); }
    QString output() const { return m_program.output(); }
    // "127.0.0.1:PORT" once started over TCP.
    QString address() const { return m_address; }

private:
    BackgroundProgram m_program;
    QString m_address;
};

} // namespace halvana::test
