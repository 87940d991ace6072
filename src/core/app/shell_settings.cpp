#include "core/app/shell_settings.h"

#include "core/app/app_folders.h"
#include "core/app/app_settings.h"
#include "core/app/app_title.h"
#include "core/app/message_sink.h"
#include "core/modbus/link_settings.h"

#include <QDir>
#include <QFileInfo>

namespace halvana {

namespace {

const QString kMainFormPosition = QStringLiteral("MainFormPosition");
const QString kMeterTableOpen = QStringLiteral("MeterTableWindowOpenFlag");
const QString kPanelViewOpen = QStringLiteral("BCM_PnlBraRdgsOpenFlag");

template <size_t N>
void readFlags(const AppSettings& settings, const QString& section, std::array<bool, N>& flags)
{
    for (size_t i = 0; i < N; ++i)
        flags[i] = settings.flag(section, QString::number(i));
}

template <size_t N>
void writeFlags(AppSettings& settings, const QString& section, const std::array<bool, N>& flags)
{
    for (size_t i = 0; i < N; ++i)
        settings.setFlag(section, QString::number(i), flags[i]);
}

// A port key holds a number, or a device path that the link opens as it is; the dialog shows the
// default number for a path.
int storedPortNumber(const AppSettings& settings, const QString& key)
{
    bool isNumber = false;
    settings.property(key).trimmed().toInt(&isNumber);
    return isNumber ? settings.propertyNumber(key) : AppSettings::propertyDefault(key).toInt();
}

} // namespace

CommSettings CommSettings::read(const AppSettings& settings)
{
    CommSettings c;
    c.commMode = settings.propertyNumber(QStringLiteral("Mode"));
    c.baudIndex = settings.propertyNumber(QStringLiteral("Baud"));
    c.commPort = storedPortNumber(settings, QStringLiteral("CommPort"));
    c.commPort2 = storedPortNumber(settings, QStringLiteral("CommPort2"));
    c.storedSlaveID = settings.propertyNumber(QStringLiteral("BCM_SlaveID"));
    c.ipAddress = settings.property(QStringLiteral("IP_Address"));
    return c;
}

void CommSettings::write(AppSettings& settings) const
{
    settings.setProperty(QStringLiteral("Mode"), QString::number(commMode));
    settings.setProperty(QStringLiteral("CommPort"), QString::number(commPort));
    settings.setProperty(QStringLiteral("CommPort2"), QString::number(commPort2));
    settings.setProperty(QStringLiteral("Baud"), QString::number(baudIndex));
    settings.setProperty(QStringLiteral("BCM_SlaveID"), QString::number(storedSlaveID));
    settings.setProperty(QStringLiteral("IP_Address"), ipAddress);
}

const QStringList& modeNames()
{
    static const QStringList names = {QStringLiteral("RS-485"), QStringLiteral("TCP")};
    return names;
}

const QStringList& baudList()
{
    static const QStringList rates = [] {
        QStringList texts;
        for (int rate : kBaudRates)
            texts << QString::number(rate);
        return texts;
    }();
    return rates;
}

QString baudPanelText(int baudIndex)
{
    return QStringLiteral("PC Baud: ") + baudList().value(baudIndex) + QStringLiteral("  ");
}

ShellFlags ShellFlags::read(const AppSettings& settings)
{
    ShellFlags f;
    f.columnWidthLayout = settings.property(QStringLiteral("BCM_ColWidthFlag")) == QLatin1String("True");
    readFlags(settings, kMeterTableOpen, f.meterTableOpen);
    readFlags(settings, kPanelViewOpen, f.panelViewOpen);
    f.systemSettingsOpen = settings.propertyFlag(QStringLiteral("frmSystemSettingsFlag"));
    f.dataSpyEnabled = settings.propertyFlag(QStringLiteral("DataSpyEnabled"));
    f.terminalEnabled = settings.propertyFlag(QStringLiteral("TerminalEnabled"));
    f.pollingDisabled = settings.propertyFlag(QStringLiteral("PollingDisabled"));
    f.scriptFilename = settings.property(QStringLiteral("ScriptFilename"));
    return f;
}

void ShellFlags::write(AppSettings& settings) const
{
    const QString& p = AppSettings::kProperties;
    settings.setFlag(p, QStringLiteral("BCM_ColWidthFlag"), columnWidthLayout);
    writeFlags(settings, kMeterTableOpen, meterTableOpen);
    writeFlags(settings, kPanelViewOpen, panelViewOpen);
    settings.setFlag(p, QStringLiteral("DataSpyEnabled"), dataSpyEnabled);
    settings.setFlag(p, QStringLiteral("TerminalEnabled"), terminalEnabled);
    settings.setFlag(p, QStringLiteral("PollingDisabled"), pollingDisabled);
    settings.setProperty(QStringLiteral("ScriptFilename"), scriptFilename);
    settings.setFlag(p, QStringLiteral("frmSystemSettingsFlag"), systemSettingsOpen);
}

GeometryKeys mainFormGeometryKeys()
{
    return GeometryKeys::numbered(kMainFormPosition, 0, 1, 2, 3, 4);
}

bool mainFormTerminalOpen(const AppSettings& settings)
{
    return settings.flag(kMainFormPosition, QStringLiteral("5"));
}

void setMainFormTerminalOpen(AppSettings& settings, bool open)
{
    settings.setFlag(kMainFormPosition, QStringLiteral("5"), open);
}

void createProgramFolders(const AppFolders& folders, const QString& downloadsFolder,
                          const QString& scriptsFolder, MessageSink& messages)
{
    FolderNotFound(QFileInfo(folders.appDataFolder).absolutePath(), messages);
    FolderNotFound(folders.appDataFolder, messages);
    FolderNotFound(folders.downloadFileListsFolder(), messages);
    FolderNotFound(folders.scriptFileListsFolder(), messages);
    CreatePath(downloadsFolder, messages);
    FolderNotFound(folders.defaultScriptsFolder(), messages);
    // A custom scripts folder is where the script dialogs start; make it too.
    if (QDir::cleanPath(scriptsFolder) != QDir::cleanPath(folders.defaultScriptsFolder()))
        CreatePath(scriptsFolder, messages);
}

void reportSettingsProblems(const AppSettings& settings, MessageSink& messages)
{
    const QStringList problems = settings.problems();
    if (!problems.isEmpty())
        messages.showMessage(MessageSink::Severity::Warning, kAppTitle,
                             problems.join(QStringLiteral("\n\n"))
                                 + QStringLiteral("\n\nThe settings that could not be read keep their defaults."));
}

bool saveSettings(AppSettings& settings, MessageSink& messages)
{
    if (settings.sync())
        return true;
    settings.revertUnsaved();
    messages.showMessage(MessageSink::Severity::Warning, kAppTitle, settings.errorText());
    return false;
}

} // namespace halvana
