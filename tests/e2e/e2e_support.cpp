#include "e2e/e2e_support.h"

#include <QDeadlineTimer>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace halvana::test {

namespace {

QProcessEnvironment childEnvironment()
{
    static QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/.local/share"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

} // namespace

QString binaryPath(const QString& name)
{
    return QStringLiteral(HALVANA_BIN_DIR "/") + name;
}

RunResult runProgram(const QString& program, const QStringList& args, int timeoutMs)
{
    QProcess process;
    process.setProcessEnvironment(childEnvironment());
    process.start(program, args);
    RunResult result;
    result.finished = process.waitForFinished(timeoutMs);
    if (!result.finished) {
        process.kill();
        process.waitForFinished();
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

RunResult runCli(const QStringList& connection, const QString& command)
{
    return runProgram(binaryPath(QStringLiteral("halvana-cli")),
                      connection + command.split(QLatin1Char(' '), Qt::SkipEmptyParts));
}

BackgroundProgram::BackgroundProgram() : m_process(std::make_unique<QProcess>())
{
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->setProcessEnvironment(childEnvironment());
}

BackgroundProgram::~BackgroundProgram()
{
    stop();
}

QRegularExpressionMatch BackgroundProgram::start(const QString& program, const QStringList& args,
                                                 const QRegularExpression& ready, int timeoutMs)
{
    m_process->start(program, args);
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        const QRegularExpressionMatch match = ready.match(m_output);
        if (match.hasMatch())
            return match;
        if (!m_process->waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            break;
        m_output += QString::fromUtf8(m_process->readAll());
    }
    m_output += QString::fromUtf8(m_process->readAll());
    return ready.match(m_output);
}

bool BackgroundProgram::stop()
{
    if (m_process->state() == QProcess::NotRunning)
        return m_process->exitStatus() == QProcess::NormalExit && m_process->exitCode() == 0;
    m_process->terminate();
    if (!m_process->waitForFinished(5000)) {
        m_process->kill();
        m_process->waitForFinished();
        return false;
    }
    m_output += QString::fromUtf8(m_process->readAll());
    return m_process->exitStatus() == QProcess::NormalExit && m_process->exitCode() == 0;
}

bool PtyPair::open()
{
    static const QRegularExpression ready(
        QStringLiteral("PTY is (/dev/\\S+)\\s.*PTY is (/dev/\\S+)\\s.*starting data transfer loop"),
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = m_socat.start(
        QStringLiteral("socat"), {QStringLiteral("-d"), QStringLiteral("-d"), QStringLiteral("pty,raw,echo=0"),
                                  QStringLiteral("pty,raw,echo=0")},
        ready);
    if (!match.hasMatch())
        return false;
    m_unitSide = match.captured(1);
    m_toolSide = match.captured(2);
    return true;
}

bool SimProcess::startTcp(const QStringList& extraArgs)
{
    static const QRegularExpression ready(QStringLiteral("listening on (\\S+)\\n"));
    const QRegularExpressionMatch match = m_program.start(
        binaryPath(QStringLiteral("halvana-sim")), QStringList{QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:0")} + extraArgs,
        ready);
    m_address = match.captured(1);
    return match.hasMatch();
}

bool SimProcess::startRtu(const QString& device, const QStringList& extraArgs)
{
    static const QRegularExpression ready(QStringLiteral("serving \\S+ at \\d+ baud"));
    return m_program
        .start(binaryPath(QStringLiteral("halvana-sim")), QStringList{QStringLiteral("--rtu"), device} + extraArgs,
               ready)
        .hasMatch();
}

} // namespace halvana::test
