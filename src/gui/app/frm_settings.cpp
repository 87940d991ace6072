#include "gui/app/frm_settings.h"

#include "core/app/app_settings.h"
#include "core/app/app_title.h"
#include "core/app/serial_port_choice.h"
#include "core/modbus/polling_control.h"
#include "core/modbus/link_settings.h"
#include "core/modbus/tcp_endpoint.h"
#include "core/scan/unit_scan.h"
#include "gui/app/frm_find_unit.h"
#include "gui/app/shell_services.h"
#include "io/serial_port_names.h"

#include <QComboBox>
#include <algorithm>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QVBoxLayout>

namespace halvana {

namespace {

constexpr int kHighestSlaveId = 247;

QComboBox* comboBox(const char* name, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QLabel* label(const char* name, const char* text, QWidget* parent)
{
    auto* l = new QLabel(QString::fromLatin1(text), parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

} // namespace

FrmSettings::FrmSettings(AppSettings& settings, int& storedSlaveID, PollingControl* polling, ShellServices& shell,
                         QWidget* parent)
    : QDialog(parent), m_settings(settings), m_storedSlaveID(storedSlaveID), m_polling(polling), m_shell(shell)
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("PC Setup"));

    // Polling stays off while the connection is being changed.
    if (m_polling) {
        m_pollingWasDisabled = m_polling->PollingDisabled();
        m_polling->setPollingDisabled(true);
        m_polling->setMainTimerEnabled(false);
    }

    m_stored = CommSettings::read(settings);
    const CommSettings& stored = m_stored;

    auto* modbus = new QGroupBox(QStringLiteral("Modbus Master Settings"), this);
    cboMode = comboBox("cboMode", modbus);
    cboMode->addItems(modeNames());
    cboCommPort2 = comboBox("cboCommPort2", modbus);
    cboBaud = comboBox("cboBaud", modbus);
    cboBaud->addItems(baudList());
    cboBCM_SlaveID = comboBox("cboBCM_SlaveID", modbus);
    cboBCM_SlaveID->setEditable(true);
    cboBCM_SlaveID->setValidator(new QIntValidator(1, kHighestSlaveId, cboBCM_SlaveID));
    for (int id = 1; id <= kHighestSlaveId; ++id)
        cboBCM_SlaveID->addItem(QString::number(id));
    txtIP_Addr = new QLineEdit(modbus);
    txtIP_Addr->setObjectName(QStringLiteral("txtIP_Addr"));
    txtIP_Addr->setToolTip(QStringLiteral("The unit's address, optionally with \":port\" (502 when none is given)."));
    lblBaud = label("lblBaud", "PC Baud:", modbus);
    lblBCM_SlaveID = label("lblBCM_SlaveID", "Slave ID:", modbus);
    lblIP_Addr = label("lblIP_Addr", "IP Address:", modbus);
    auto* modbusForm = new QFormLayout(modbus);
    modbusForm->addRow(QStringLiteral("Mode:"), cboMode);
    modbusForm->addRow(QStringLiteral("COM Port:"), cboCommPort2);
    modbusForm->addRow(lblBaud, cboBaud);
    modbusForm->addRow(lblBCM_SlaveID, cboBCM_SlaveID);
    modbusForm->addRow(lblIP_Addr, txtIP_Addr);

    auto* service = new QGroupBox(QStringLiteral("Service Port Settings"), this);
    cboCommPort = comboBox("cboCommPort", service);
    lblCommPort = label("lblCommPort", "COM Port:", service);
    auto* serviceForm = new QFormLayout(service);
    serviceForm->addRow(lblCommPort, cboCommPort);

    fillPorts(cboCommPort, stored.commPort);
    fillPorts(cboCommPort2, stored.commPort2);
    m_shownPorts = {cboCommPort->currentText(), cboCommPort2->currentText()};

    cmdDeviceMgr = new QPushButton(QStringLiteral("Device Mgr."), this);
    cmdDeviceMgr->setObjectName(QStringLiteral("cmdDeviceMgr"));
    cmdFindUnit = new QPushButton(QStringLiteral("&Find Unit..."), this);
    cmdFindUnit->setObjectName(QStringLiteral("cmdFindUnit"));
    cmdFindUnit->setToolTip(QStringLiteral("Look for units on the serial ports or at an IP address."));
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdSave = new QPushButton(QStringLiteral("Save"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setDefault(true);
    cmdDefaults = new QPushButton(QStringLiteral("&Defaults"), this);
    cmdDefaults->setObjectName(QStringLiteral("cmdDefaults"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdDeviceMgr);
    buttons->addWidget(cmdFindUnit);
    buttons->addStretch(1);
    buttons->addWidget(cmdDefaults);
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(modbus);
    layout->addWidget(service);
    layout->addLayout(buttons);

    connect(cboMode, qOverload<int>(&QComboBox::activated), this, &FrmSettings::cboMode_Click);
    connect(cmdDefaults, &QPushButton::clicked, this, &FrmSettings::cmdDefaults_Click);
    connect(cmdDeviceMgr, &QPushButton::clicked, this, &FrmSettings::cmdDeviceMgr_Click);
    connect(cmdFindUnit, &QPushButton::clicked, this, &FrmSettings::cmdFindUnit_Click);
    connect(cmdSave, &QPushButton::clicked, this, &FrmSettings::cmdSave_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    cboMode->setCurrentIndex(stored.commMode);
    cboBaud->setCurrentIndex(stored.baudIndex);
    if (m_storedSlaveID != 0)
        cboBCM_SlaveID->setCurrentText(QString::number(m_storedSlaveID));
    txtIP_Addr->setText(stored.ipAddress);
    cboMode_Click();
}

void FrmSettings::fillPorts(QComboBox* box, int number)
{
    // The ports the system offers, and the one in use even when it is not plugged in now.
    box->setEditable(true);
    box->setToolTip(QStringLiteral("Choose a port, or type a device path such as /dev/ttyUSB0."));
    box->addItems(SerialPortNames::available());
    const QString inUse = SerialPortNames::resolve(number, &m_settings);
    if (!inUse.isEmpty() && box->findText(inUse) < 0)
        box->addItem(inUse);
    box->setCurrentText(inUse);
}

void FrmSettings::cboMode_Click()
{
    const bool rs485 = cboMode->currentIndex() == 0;
    // Over TCP the service terminal works over telnet and the baud rate means nothing.
    for (QWidget* w : std::initializer_list<QWidget*>{cboCommPort, lblCommPort, cboBaud, lblBaud})
        w->setEnabled(rs485);
    txtIP_Addr->setEnabled(!rs485);
    lblIP_Addr->setEnabled(!rs485);
    cboBCM_SlaveID->setEnabled(true);
    lblBCM_SlaveID->setEnabled(true);
}

void FrmSettings::cmdDefaults_Click()
{
    cboMode->setCurrentIndex(0);
    cboBaud->setCurrentIndex(4);
    cboBCM_SlaveID->setCurrentIndex(0);
    cboMode_Click();
}

void FrmSettings::cmdDeviceMgr_Click()
{
    QStringList lines;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        QString line = info.systemLocation();
        if (!info.description().isEmpty())
            line += QStringLiteral("  ") + info.description();
        if (!info.manufacturer().isEmpty())
            line += QStringLiteral(" (") + info.manufacturer() + QLatin1Char(')');
        lines << line;
    }
    m_shell.showMessage(MessageSink::Severity::Information, QStringLiteral("Serial Ports"),
                        lines.isEmpty() ? QStringLiteral("No serial ports were found on this computer.")
                                        : lines.join(QLatin1Char('\n')));
}

void FrmSettings::cmdFindUnit_Click()
{
    if (m_releaseLine && !m_lineReleased) {
        m_releaseLine();
        m_lineReleased = true;
    }
    FrmFindUnit finder(cboMode->currentIndex() == 1, cboCommPort2->currentText(), txtIP_Addr->text(), this);
    if (m_shell.runDialog(finder) == QDialog::Accepted && finder.chosen())
        takeFoundUnit(*finder.chosen());
}

void FrmSettings::takeFoundUnit(const FoundUnit& unit)
{
    const bool tcp = unit.where.baud == 0;
    cboMode->setCurrentIndex(tcp ? 1 : 0);
    if (tcp) {
        txtIP_Addr->setText(unit.where.endpoint);
    } else {
        cboCommPort2->setCurrentText(unit.where.endpoint);
        const auto speed = std::find(kBaudRates.begin(), kBaudRates.end(), unit.where.baud);
        if (speed != kBaudRates.end())
            cboBaud->setCurrentIndex(int(speed - kBaudRates.begin()));
    }
    cboBCM_SlaveID->setCurrentText(QString::number(unit.where.slaveId));
    cboMode_Click();
}

void FrmSettings::cmdSave_Click()
{
    bool ok = false;
    const int slaveId = cboBCM_SlaveID->currentText().trimmed().toInt(&ok);
    if (!ok || slaveId < 1 || slaveId > kHighestSlaveId) {
        m_shell.showMessage(MessageSink::Severity::Warning, kAppTitle,
                            QStringLiteral("The slave ID '%1' is not valid: choose a number from 1 to %2.")
                                .arg(cboBCM_SlaveID->currentText())
                                .arg(kHighestSlaveId));
        return;
    }
    const QString address = txtIP_Addr->text().trimmed();
    if (const QString problem = TcpEndpoint::problem(address); !problem.isEmpty()) {
        m_shell.showMessage(MessageSink::Severity::Warning, kAppTitle, problem);
        return;
    }
    const PortChoice ports =
        choosePortNumbers({m_shownPorts[0], cboCommPort->currentText(), m_stored.commPort},
                          {m_shownPorts[1], cboCommPort2->currentText(), m_stored.commPort2},
                          rememberedPortNames(m_settings), SerialPortNames::available());
    if (!ports.refusal.isEmpty()) {
        m_shell.showMessage(MessageSink::Severity::Warning, kAppTitle, ports.refusal);
        return;
    }
    m_saved = m_stored;
    m_saved.commMode = cboMode->currentIndex();
    m_saved.commPort = ports.commPort;
    m_saved.commPort2 = ports.commPort2;
    m_saved.baudIndex = cboBaud->currentIndex();
    m_saved.storedSlaveID = slaveId;
    m_saved.ipAddress = address;
    // A port left as it was keeps its stored text, which may be a device path.
    const auto storedText = [this](const char* key) { return m_settings.value(AppSettings::kProperties, QLatin1String(key)); };
    const QString commPortText = storedText("CommPort");
    const QString commPort2Text = storedText("CommPort2");
    m_saved.write(m_settings);
    if (ports.commPort == m_stored.commPort && !commPortText.isEmpty())
        m_settings.setProperty(QStringLiteral("CommPort"), commPortText);
    if (ports.commPort2 == m_stored.commPort2 && !commPort2Text.isEmpty())
        m_settings.setProperty(QStringLiteral("CommPort2"), commPort2Text);
    for (auto it = ports.remember.cbegin(); it != ports.remember.cend(); ++it)
        SerialPortNames::remember(m_settings, it.key(), it.value());
    // A store that cannot be written keeps the old settings, and the dialog stays open.
    if (!saveSettings(m_settings, m_shell))
        return;
    accept();
}

void FrmSettings::done(int result)
{
    // A typed slave ID shows again next time, even after Cancel; only Save stores it.
    bool ok = false;
    const int typed = cboBCM_SlaveID->currentText().trimmed().toInt(&ok);
    if (ok)
        m_storedSlaveID = typed;
    if (m_polling) {
        m_polling->setPollingDisabled(m_pollingWasDisabled);
        m_polling->setMainTimerEnabled(!m_pollingWasDisabled);
    }
    QDialog::done(result);
}

} // namespace halvana
