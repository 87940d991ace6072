#include "core/app/app_settings.h"
#include "core/app/shell_settings.h"
#include "core/app/window_geometry.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace halvana;

TEST(WindowGeometry, RoundTripThroughEachKeyLayout)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.ini");
    const QRect normal(30, 40, 800, 500);
    const GeometryKeys layouts[] = {mainFormGeometryKeys(), GeometryKeys::numbered("frmSystemSettingsPos", 0, 1, 3, 4, 2),
                                    GeometryKeys::meterTable(5), GeometryKeys::meterTable(10)};
    {
        AppSettings s(path);
        for (const GeometryKeys& keys : layouts)
            writeGeometry(s, keys, normal, WindowState::Maximised);
        ASSERT_TRUE(s.sync());
    }
    AppSettings s(path);
    for (const GeometryKeys& keys : layouts) {
        const StoredGeometry g = readGeometry(s, keys);
        EXPECT_EQ(g.applyTo(QRect(1, 2, 3, 4)), normal) << keys.left->section.toStdString();
        EXPECT_EQ(g.state, WindowState::Maximised);
    }
    // The stored numbers are twips, under the keys each window has always used.
    EXPECT_EQ(s.value("MainFormPosition", "4"), "2");
    EXPECT_EQ(s.value("MainFormPosition", "2"), "12000");
    EXPECT_EQ(s.value("frmSystemSettingsPos", "2"), "2");
    EXPECT_EQ(s.value("frmSystemSettingsPos", "3"), "12000");
    EXPECT_EQ(s.value("MeterTablePosition", "05_Width"), "12000");
    EXPECT_EQ(s.value("MeterTablePosition", "10_Height"), "7500");
    EXPECT_EQ(s.value("MeterTableLeft", "5"), "450");
    EXPECT_EQ(s.value("MeterTableState", "10"), "2");
}

TEST(WindowGeometry, EmptyOrUnusableValuesKeepTheWindowsOwn)
{
    QTemporaryDir dir;
    AppSettings s(dir.filePath("s.ini"));
    s.setValue("MainFormPosition", "0", "");
    s.setValue("MainFormPosition", "1", "1500");
    s.setValue("MainFormPosition", "2", "wide");
    s.setValue("MainFormPosition", "3", "0");
    s.setValue("MainFormPosition", "4", "7");
    const StoredGeometry g = readGeometry(s, mainFormGeometryKeys());
    EXPECT_EQ(g.applyTo(QRect(5, 6, 700, 400)), QRect(5, 100, 700, 400));
    EXPECT_FALSE(g.state.has_value());
}
