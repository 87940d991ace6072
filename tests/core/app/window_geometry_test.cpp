#include "core/app/app_settings.h"
#include "core/app/shell_settings.h"
#include "core/app/window_geometry.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace halvana;

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
