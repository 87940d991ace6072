#include "core/app/app_settings.h"
#include "core/modbus/link_settings.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace halvana;

TEST(LinkSettings, ComeFromTheStoreWith115200WhenNoBaudIsStored)
{
    QTemporaryDir dir;
    AppSettings store(dir.filePath(QStringLiteral("settings.ini")));
    LinkSettings s = LinkSettings::fromStore(store);
    EXPECT_EQ(s.baudIndex, 4);
    EXPECT_FALSE(s.isTcp());

    store.setProperty(QStringLiteral("Mode"), QStringLiteral("1"));
    store.setProperty(QStringLiteral("CommPort2"), QStringLiteral("/dev/pts/7"));
    store.setProperty(QStringLiteral("Baud"), QStringLiteral("7"));
    store.setProperty(QStringLiteral("IP_Address"), QStringLiteral("127.0.0.1:1502"));
    store.setProperty(QStringLiteral("BCM_SlaveID"), QStringLiteral("12"));
    s = LinkSettings::fromStore(store);
    EXPECT_TRUE(s.isTcp());
    EXPECT_EQ(s.commPort, QStringLiteral("/dev/pts/7"));
    EXPECT_EQ(s.baudIndex, 7) << "an impossible index is kept so opening the port can report it";
    EXPECT_EQ(s.ipAddress, QStringLiteral("127.0.0.1:1502"));
    EXPECT_EQ(s.BCM_SlaveID, 12);
}
