#include "cli/cli_command.h"
#include "cli/cli_context.h"
#include "cli/cli_session.h"
#include "cli/table_poll.h"
#include "core/app/app_folders.h"
#include "core/app/folder_locations.h"
#include "core/capture/settings_capture.h"
#include "core/device/device_data.h"
#include "core/files/text_codec.h"

#include <QCommandLineParser>
#include <QDir>

#include <cstdio>

namespace halvana::cli {

namespace {

const QString kOut = QStringLiteral("out");
const QString kStdout = QStringLiteral("stdout");

QString checkCaptureArguments(const QStringList& args, const QCommandLineParser& parser)
{
    if (const QString problem = checkTableArgument(args.value(0)); !problem.isEmpty())
        return problem;
    if (parser.isSet(kOut) && parser.isSet(kStdout))
        return QStringLiteral("--out and --stdout do not go together");
    return {};
}

const GridModel& capturedGrid(DeviceData& data, int table)
{
    return table == MeterTables::kSystemSettingsGrid ? data.systemSettings().grid() : data.tables().table(table).grid();
}

int runCapture(CliContext& ctx)
{
    const int table = *tableOfArgument(ctx.args().at(0));
    if (const int status = pollTableOnce(ctx, table); status != kExitOk)
        return status;
    if (const int status = checkTableHasRows(ctx, table); status != kExitOk)
        return status;
    const QString text = SettingsCapture::fileText(capturedGrid(ctx.session().unit().data(), table), table);

    if (ctx.parser().isSet(kStdout)) {
        ctx.out().flush();
        const QByteArray bytes = toWindows1252(text);
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        std::fflush(stdout);
        return kExitOk;
    }
    const QString folder = ctx.parser().isSet(kOut)
        ? QDir::fromNativeSeparators(ctx.parser().value(kOut))
        : FolderLocations(ctx.settings(), ctx.folders()).folderInUse(FolderLocations::Downloads);
    SettingsCaptureFiles files;
    const SettingsCaptureFiles::Result result = files.write(folder, text);
    if (!result.ok())
        return ctx.failure(result.error);
    ctx.out() << QDir::toNativeSeparators(result.path) << '\n';
    return kExitOk;
}

const CliCommandRegistration registration({
    QStringLiteral("capture"),
    QStringLiteral("TABLE [--out DIR | --stdout]"),
    QStringLiteral("TABLE = system|0|1|2|3|4|5|7|9|10|11; poll as `table` does until the table completed one\n"
                   "pass, then write the next Settings_###.txt as the program's capture does, into the\n"
                   "downloads folder of the settings or DIR, and print its path; --stdout prints the\n"
                   "file's bytes instead"),
    {QCommandLineOption(kOut, QStringLiteral("Folder of capture (default: the downloads folder)."), QStringLiteral("DIR")),
     QCommandLineOption(kStdout, QStringLiteral("Print the capture file's bytes instead of writing it."))},
    1,
    1,
    true,
    runCapture,
    checkCaptureArguments,
});

} // namespace

} // namespace halvana::cli
