#include "cli/table_poll.h"

#include "cli/cli_command.h"
#include "cli/cli_context.h"
#include "cli/cli_session.h"
#include "cli/progress_line.h"
#include "core/app/app_folders.h"
#include "core/app/channel_names.h"
#include "core/device/device_data.h"
#include "core/device/sequencer.h"
#include "core/device/table_headers.h"
#include "core/device/table_readout.h"

namespace halvana::cli {

std::optional<int> tableOfArgument(const QString& text)
{
    if (text == QLatin1String("system"))
        return TableReadout::kSystemGrid;
    bool ok = false;
    const int table = text.toInt(&ok);
    if (ok && table != TableReadout::kSystemGrid && TableReadout::isReadable(table))
        return table;
    return std::nullopt;
}

QString checkTableArgument(const QString& text)
{
    if (tableOfArgument(text))
        return {};
    return QStringLiteral("\"%1\" is not a table: give system, 0, 1, 2, 3, 4, 5, 7, 9, 10 or 11").arg(text);
}

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

int pollTableOnce(CliContext& ctx, int table)
{
    QString failure;
    return readTablePass(ctx, table, &failure) ? kExitOk : ctx.failure(failure);
}

int checkTableHasRows(CliContext& ctx, int table)
{
    DeviceData& data = ctx.session().unit().data();
    const GridText text = ctx.session().unit().readout().text();
    if (table != kAllSettingsTable && table != TableReadout::kSystemGrid && text.rows.empty())
        return ctx.usageError(QStringLiteral("table %1 has no rows: the definition file \"%2\" is missing or empty")
                                  .arg(table)
                                  .arg(TableHeaders::headerFileName(table, data.model().RegisterMapVersion)));
    return kExitOk;
}

} // namespace halvana::cli
