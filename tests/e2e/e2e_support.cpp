#include "e2e/e2e_support.h"
#include "e2e/wait.h"

#include <QDeadlineTimer>
#include <QProcessEnvironment>

#include <csignal>

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

bool endedWell(const QProcess& process)
{
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// How `process` ended, killed first unless it had `finished`; `out` is what it printed before.
RunResult outcome(QProcess& process, bool finished, const QString& out = QString())
{
    if (!finished) {
        process.kill();
        process.waitForFinished();
    }
    return {finished, process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            out + QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

QString binaryPath(const QString& name)
{
    return QStringLiteral(HALVANA_BIN_DIR "/") + name;
}

RunResult runProgram(const QString& program, const QStringList& args, int timeoutMs,
                     const std::function<void()>& whileRunning)
{
    QProcess process;
    process.setProcessEnvironment(childEnvironment());
    process.start(program, args);
    const bool finished = waitUntil(
        [&] {
            if (whileRunning)
                whileRunning();
            return process.state() == QProcess::NotRunning;
        },
        timeoutMs);
    return outcome(process, finished);
}

RunResult runCli(const QStringList& connection, const QString& command)
{
    return runCli(connection + words(command));
}

RunResult runCli(const QStringList& args, const std::function<void()>& whileRunning)
{
    return runProgram(binaryPath(QStringLiteral("halvana-cli")), args, 20000, whileRunning);
}

RunResult runCliUntilInterrupted(const QStringList& args, const std::function<bool(const QString&)>& enough,
                                 int timeoutMs)
{
    QProcess cli;
    cli.setProcessEnvironment(childEnvironment());
    cli.start(binaryPath(QStringLiteral("halvana-cli")), args);
    QString out;
    const bool reached = waitUntil([&] { return enough(out += QString::fromUtf8(cli.readAllStandardOutput())); },
                                   timeoutMs);
    ::kill(pid_t(cli.processId()), SIGINT);
    return outcome(cli, reached && cli.waitForFinished(5000), out);
}

BackgroundProgram::BackgroundProgram() : m_process(std::make_unique<QProcess>())
{
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->setProcessEnvironment(childEnvironment());
    QObject::connect(m_process.get(), &QProcess::readyRead,
                     [this] { m_output += QString::fromUtf8(m_process->readAll()); });
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
    while (!ready.match(m_output).hasMatch() && !deadline.hasExpired()) {
        if (!m_process->waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            break;
    }
    return ready.match(m_output);
}

bool BackgroundProgram::stop()
{
    if (m_process->state() == QProcess::NotRunning)
        return endedWell(*m_process);
    m_process->terminate();
    if (!m_process->waitForFinished(5000)) {
        m_process->kill();
        m_process->waitForFinished();
        return false;
    }
    return endedWell(*m_process);
}

bool PtyPair::open(const QString& farEnd)
{
    static const QRegularExpression ready(
        QStringLiteral("PTY is (/dev/\\S+)\\s.*?(?:PTY is (/dev/\\S+)\\s.*?)?starting data transfer loop"),
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = m_socat.start(QStringLiteral("socat"),
                                                        {"-d", "-d", QStringLiteral("pty,raw,echo=0"), farEnd}, ready);
    m_unitSide = match.captured(1);
    m_toolSide = match.captured(2).isEmpty() ? m_unitSide : match.captured(2);
    return match.hasMatch();
}

bool SimProcess::start(Wire wire, const QStringList& extraArgs, const QString& program)
{
    static const QRegularExpression ready(QStringLiteral("listening on (\\S+)\\n|serving \\S+ at \\d+ baud"));
    const bool tcp = wire == Wire::Tcp;
    if (!tcp && !m_pty.open())
        return false;
    const QString rtu = QStringLiteral("--rtu %1 --baud 115200");
    const QRegularExpressionMatch match = m_program.start(
        binaryPath(program), extraArgs + words(tcp ? QStringLiteral("--tcp 127.0.0.1:0") : rtu.arg(m_pty.unitSide())),
        ready);
    m_address = tcp ? match.captured(1) : m_pty.toolSide();
    m_connection = words(tcp ? QStringLiteral("--tcp ") + m_address : rtu.arg(m_address));
    return match.hasMatch();
}

bool SimProcess::startWithProfile(Wire wire, const QByteArray& profile, const QStringList& extraArgs)
{
    const QString path = m_dir.filePath(QStringLiteral("unit.txt"));
    return writeFileBytes(path, profile) && start(wire, QStringList{QStringLiteral("--profile"), path} + extraArgs);
}

bool SimProcess::startWithServicePort(const QStringList& extraArgs)
{
    return m_service.open() && startTcp(QStringList{QStringLiteral("--service"), m_service.unitSide()} + extraArgs);
}

} // namespace halvana::test
