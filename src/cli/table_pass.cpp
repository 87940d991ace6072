#include "cli/table_pass.h"

#include "cli/cli_command.h"
#include "cli/cli_context.h"
#include "cli/cli_session.h"
#include "core/app/app_folders.h"
#include "core/app/channel_names.h"
#include "core/device/device_data.h"
#include "core/device/sequencer.h"
#include "core/device/table_readout.h"

#include <cstdio>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace halvana::cli {

namespace {

bool stderrIsTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr));
#else
    return isatty(fileno(stderr));
#endif
}

// What polling does ("Getting B3 Settings"), on one line of a terminal that each step
// overwrites; nothing when stderr goes to a file or a pipe.
class ProgressLine {
public:
    explicit ProgressLine(QTextStream& err) : m_err(err), m_shown(stderrIsTerminal()) {}
    ~ProgressLine() { clear(); }

    void show(const QString& text)
    {
        if (!m_shown)
            return;
        m_err << "\r" << text.trimmed() << "\x1b[K";
        m_err.flush();
        m_dirty = true;
    }
    void clear()
    {
        if (!m_dirty)
            return;
        m_err << "\r\x1b[K";
        m_err.flush();
        m_dirty = false;
    }

private:
    QTextStream& m_err;
    bool m_shown;
    bool m_dirty = false;
};

} // namespace

bool readTablePass(CliContext& ctx, int table, QString* failure)
{
    CliSession& session = ctx.session();
    DeviceData& data = session.unit().data();
    data.setChannelNames(ChannelNames::load(ctx.folders().programFolder, ctx.messages()));
    Sequencer& sequencer = session.unit().sequencer();
    TableReadout& readout = session.unit().readout();
    // The connections below capture this function's locals: they end with it.
    QObject scope;

    ProgressLine progress(ctx.err());
    // The first end counts: a connection that closes after the pass changes nothing.
    bool ended = false;
    const auto end = [&](int status, const QString& message) {
        if (ended)
            return;
        ended = true;
        *failure = message;
        session.finish(status);
    };
    const auto fail = [&](const QString& message) { end(kExitFailed, message); };
    QObject::connect(&sequencer, &Sequencer::pollingStatusChanged, &scope,
                     [&](const QString& text) { progress.show(text); });
    QObject::connect(&data, &DeviceData::notice, &scope, [&](const QString& text) {
        progress.clear();
        ctx.err() << "halvana-cli: " << text << '\n';
        ctx.err().flush();
    });
    QObject::connect(&readout, &TableReadout::passCompleted, &scope, [&] { end(kExitOk, QString()); });
    QObject::connect(&readout, &TableReadout::failed, &scope, fail);
    Transport& transport = session.transport();
    QObject::connect(&transport, &Transport::disconnected, &scope,
                     [&] { fail(QStringLiteral("%1 closed the connection").arg(transport.description())); });
    QObject::connect(&transport, &Transport::errorOccurred, &scope,
                     [&](const QString& message) { fail(QStringLiteral("%1: %2").arg(transport.description(), message)); });

    readout.start(table);
    const int status = session.exec();
    readout.stop();
    return status == kExitOk;
}

} // namespace halvana::cli
