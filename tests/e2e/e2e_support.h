#pragma once

#include "support/file_bytes.h"

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace halvana::test {

enum class Wire { Tcp, Rtu };

inline std::string wireName(const ::testing::TestParamInfo<Wire>& info)
{
    return info.param == Wire::Tcp ? "Tcp" : "Rtu";
}

// Where the build put halvana-sim, halvana-cli and the test fixtures.
QString binaryPath(const QString& name);

struct RunResult {
    bool finished = false;
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs a program to its end while the event loop turns (so that programs beside it keep being
// read); `whileRunning` is asked after every event. Child programs get a scratch HOME, so they
// never read or write the user's own settings.
RunResult runProgram(const QString& program, const QStringList& args, int timeoutMs = 20000,
                     const std::function<void()>& whileRunning = {});

// "--faults drop=1 --seed 3" as arguments.
inline QStringList words(const QString& text)
{
    return text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// halvana-cli with the connection options and a command line such as "read 5001 4".
RunResult runCli(const QStringList& connection, const QString& command);
// halvana-cli with exactly these arguments.
RunResult runCli(const QStringList& args, const std::function<void()>& whileRunning = {});

// halvana-cli with `args` until `enough` holds for what it printed so far, then Ctrl-C; finished
// when `enough` held in time and the program ended after it.
RunResult runCliUntilInterrupted(const QStringList& args, const std::function<bool(const QString&)>& enough,
                                 int timeoutMs = 15000);

// Writes `bytes` to the file `name` in `folder`; its path.
inline QString writeTempFile(const QString& folder, const QString& name, const QByteArray& bytes)
{
    const QString path = folder + QLatin1Char('/') + name;
    EXPECT_TRUE(writeFileBytes(path, bytes)) << qPrintable(path);
    return path;
}

// A program that runs beside the test (the simulator, socat, a fixture server) until stopped;
// its output (stdout and stderr together) is collected as it comes.
class BackgroundProgram {
public:
    BackgroundProgram();
    ~BackgroundProgram();

    // Starts it and waits until its output matches `ready`; the match is invalid when the
    // program ended or the deadline passed first.
    QRegularExpressionMatch start(const QString& program, const QStringList& args, const QRegularExpression& ready,
                                  int timeoutMs = 10000);
    // Sends SIGTERM and waits for the end; true when the program ended by itself with status 0.
    bool stop();
    // The program dies at once; the system closes its connections.
    void crash() { m_process->kill(); }
    QString output() const { return m_output; }

private:
    std::unique_ptr<QProcess> m_process;
    QString m_output;
};

// A pseudo-terminal pair made by socat: bytes written at one end come out at the other at once.
class PtyPair {
public:
    // False (with the reason in error()) when socat could not make the pair. `farEnd` is socat's
    // other address: a second pty, or a program (SYSTEM:...) served by the one pty, toolSide().
    bool open(const QString& farEnd = QStringLiteral("pty,raw,echo=0"));
    void close() { m_socat.stop(); }
    QString unitSide() const { return m_unitSide; }
    QString toolSide() const { return m_toolSide; }
    QString error() const { return m_socat.output(); }

private:
    BackgroundProgram m_socat;
    QString m_unitSide;
    QString m_toolSide;
};

// halvana-sim (or a server that takes its options) on a free localhost port or on a pty pair at
// 115200 baud, waited for until it says it is ready.
class SimProcess {
public:
    // Returns false when it did not come up; output() tells why.
    bool start(Wire wire, const QStringList& extraArgs = {}, const QString& program = QStringLiteral("halvana-sim"));
    bool startTcp(const QStringList& extraArgs = {}) { return start(Wire::Tcp, extraArgs); }
    // With a unit profile file that holds `profile`.
    bool startWithProfile(Wire wire, const QByteArray& profile, const QStringList& extraArgs = {});
    // Over TCP, with its service port on a pty pair of its own, whose tool end is servicePort().
    bool startWithServicePort(const QStringList& extraArgs = {});
    QString servicePort() const { return m_service.toolSide(); }
    bool stop() { return m_program.stop(); }
    void crash() { m_program.crash(); }
    QString output() const { return m_program.output(); }
    // halvana-cli's options to reach it.
    QStringList connection() const { return m_connection; }
    // "127.0.0.1:PORT" over TCP; the tool's end of the pty pair over RTU.
    QString address() const { return m_address; }
    // Requests it traced so far (with --verbose).
    int requestsSeen() const { return int(output().count(QStringLiteral(" <- "))); }

private:
    QTemporaryDir m_dir;
    PtyPair m_pty;
    PtyPair m_service;
    BackgroundProgram m_program;
    QString m_address;
    QStringList m_connection;
};

} // namespace halvana::test
