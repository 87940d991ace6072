// A settings file as a user or an older version may have left it: read, checked, written back.
#include "core/app/app_settings.h"
#include "core/app/shell_settings.h"
#include "fuzz_input.h"
#include <QFile>
#include <QTemporaryDir>

using namespace halvana;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("settings.ini"));
    QFile file(path);
    fuzz::check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(fuzz::bytes(data, size));
    file.close();

    CommSettings comm;
    {
        AppSettings settings(path);
        comm = CommSettings::read(settings);
        ShellFlags::read(settings);
        fuzz::check(comm.commMode >= 0 && comm.commMode < modeNames().size());
        fuzz::check(comm.baudIndex >= 0 && comm.baudIndex < baudList().size());
        baudPanelText(comm.baudIndex);
        settings.problems();
        // The values read are written back, so they must read back the same.
        comm.ipAddress += QString::fromUtf8(fuzz::bytes(data, std::min<size_t>(size, 8)));
        comm.write(settings);
        if (!settings.sync())
            return 0;
    }
    AppSettings again(path);
    const CommSettings back = CommSettings::read(again);
    fuzz::check(back.commMode == comm.commMode && back.baudIndex == comm.baudIndex && back.commPort == comm.commPort
                && back.commPort2 == comm.commPort2 && back.storedSlaveID == comm.storedSlaveID);
    fuzz::check(back.ipAddress == comm.ipAddress);
    return 0;
}
