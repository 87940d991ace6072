#include "core/app/app_folders.h"
#include "core/app/app_settings.h"
#include "core/app/app_title.h"
#include "core/app/shell_settings.h"
#include "core/session/unit_session.h"
#include "gui/app/mdi_form1.h"
#include "gui/app/polling_session.h"
#include "gui/app/shell_services.h"
#include "io/qt_clock.h"
#include "io/serial_transport.h"
#include "io/tcp_transport.h"

#include <QApplication>
#include <QCommandLineParser>

using namespace halvana;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("HalvanaConfigTool"));
    // No display name: the platform would append it to every window's caption.
    QApplication::setApplicationVersion(QStringLiteral(HALVANA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(kAppTitle);
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption settingsOption(QStringLiteral("settings"),
                                            QStringLiteral("Keep the settings in FILE instead of the user's own store."),
                                            QStringLiteral("FILE"));
    const QCommandLineOption dataDirOption(QStringLiteral("data-dir"),
                                           QStringLiteral("Read the definition files from DIR instead of the program's folder."),
                                           QStringLiteral("DIR"));
    parser.addOption(settingsOption);
    parser.addOption(dataDirOption);
    parser.process(app);

    AppSettings settings(parser.isSet(settingsOption) ? parser.value(settingsOption) : AppSettings::defaultFilePath());
    DesktopShell shell;
    QtClock clock;
    SerialTransport serial(&settings);
    TcpTransport tcp;
    SerialTransport service(&settings);
    MDIForm1 form(settings, AppFolders::fromSystem(parser.value(dataDirOption)), shell);
    shell.setParentWidget(&form);
    auto* polling = new PollingSession(form, clock, &serial, &tcp);
    polling->session().setServiceTransport(&service);

    form.load();
    form.showStartState();
    reportSettingsProblems(settings, shell);
    return app.exec();
}
