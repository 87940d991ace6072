#pragma once

#include "core/app/shell_settings.h"

#include <QDialog>

#include <array>
#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace halvana {

class AppSettings;
struct FoundUnit;
class PollingControl;
class ShellServices;

// "PC Setup": how the program reaches the unit. Polling stops while it is open and comes back
// as it was when it closes. Save stores the settings and accepts; the caller then reconnects.
class FrmSettings : public QDialog {
    Q_OBJECT
public:
    // `storedSlaveID` is the program's value: the dialog leaves the last typed ID there even
    // when cancelled, so it shows again next time.
    FrmSettings(AppSettings& settings, int& storedSlaveID, PollingControl* polling, ShellServices& shell,
                QWidget* parent = nullptr);

    void cboMode_Click();
    void cmdDefaults_Click();
    void cmdDeviceMgr_Click();
    void cmdSave_Click();
    void cmdFindUnit_Click();
    // Puts a unit the scan found into the boxes; Save stores it.
    void takeFoundUnit(const FoundUnit& unit);
    // Lets go of the Modbus line so that a scan can use its port; called once, before the
    // first scan. Without it the scan leaves out a port the program holds.
    void setLineRelease(std::function<void()> release) { m_releaseLine = std::move(release); }
    bool lineReleased() const { return m_lineReleased; }

    // The settings saved, valid once accepted.
    const CommSettings& savedSettings() const { return m_saved; }

    void done(int result) override;

private:
    void fillPorts(QComboBox* box, int number);

    AppSettings& m_settings;
    int& m_storedSlaveID;
    PollingControl* m_polling;
    ShellServices& m_shell;
    bool m_pollingWasDisabled = false;
    CommSettings m_stored;
    CommSettings m_saved;
    // What the service and Modbus port boxes showed when the dialog opened.
    std::array<QString, 2> m_shownPorts;
    std::function<void()> m_releaseLine;
    bool m_lineReleased = false;

    QComboBox* cboMode;
    QComboBox* cboCommPort2;
    QComboBox* cboBaud;
    QComboBox* cboBCM_SlaveID;
    QLineEdit* txtIP_Addr;
    QComboBox* cboCommPort;
    QLabel* lblBaud;
    QLabel* lblBCM_SlaveID;
    QLabel* lblIP_Addr;
    QLabel* lblCommPort;
    QPushButton* cmdDeviceMgr;
    QPushButton* cmdFindUnit;
    QPushButton* cmdCancel;
    QPushButton* cmdSave;
    QPushButton* cmdDefaults;
};

} // namespace halvana
