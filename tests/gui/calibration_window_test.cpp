#include "main_window_fixture.h"

#include <QAction>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

using namespace halvana;
using halvana::test::SessionTest;

// Opened by the Administrator: the System level brings the panel frame in place of the meter
// kind and hides Voltage; a unit that never answers ends the calibration in "Failed 1" with
// Calibrate usable again, and the window's place is kept under "frmSFCM_CalPos".
TEST_F(SessionTest, CalibrationAtSystemLevelAgainstASilentUnitEndsInTheFailedStep)
{
    start({{"LoginLevel", "1"}});
    menu("mnuBCM_Cal_Top");
    QMdiSubWindow* sub = form->findChildWindow("frmSFCM_Cal");
    ASSERT_NE(sub, nullptr);
    QWidget* w = sub->widget();
    child<QRadioButton>(w, "optCalLevel1")->click();
    EXPECT_TRUE(child<QGroupBox>(w, "fraPanelNo")->isVisibleTo(w));
    EXPECT_FALSE(child<QGroupBox>(w, "fraMtrType")->isVisibleTo(w));
    EXPECT_FALSE(child<QRadioButton>(w, "optType0")->isVisibleTo(w));

    child<QListWidget>(w, "lstMeterType")->setCurrentRow(4);
    child<QRadioButton>(w, "optCommand1")->click();
    auto* calibrate = child<QPushButton>(w, "cmdCalibrate");
    ASSERT_TRUE(calibrate->isEnabled());
    calibrate->click();
    EXPECT_EQ(child<QLineEdit>(w, "txtResultResponse")->text(), "In Progress");
    EXPECT_EQ(child<QLineEdit>(w, "txtReading")->text(), "0");
    EXPECT_FALSE(calibrate->isEnabled());
    clock.advance(8000);
    EXPECT_EQ(child<QLineEdit>(w, "txtResultResponse")->text(), "Failed 1");
    EXPECT_TRUE(calibrate->isEnabled());
    // Registers 12..14: command 514, selection 0x4000 (subfeeds), reading 0.
    EXPECT_TRUE(std::any_of(serial.written.begin(), serial.written.end(), [](const QByteArray& frame) {
        return frame.startsWith(QByteArray::fromHex("0110000B000306020240000000"));
    }));

    sub->move(30, 40);
    sub->close();
    EXPECT_EQ(storeOnDisk()->value("frmSFCM_CalPos", "0"), QString::number(30 * 15));
}
