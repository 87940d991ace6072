#pragma once

#include "core/scan/unit_scan.h"

#include <QDialog>

#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace halvana {

class Clock;
class SerialTransport;
class TcpTransport;

// "Find Unit": scans serial ports, line speeds and slave IDs (or the unit IDs at a TCP address)
// for units that answer, shows each with its firmware and register map, and hands the one the
// user takes back to PC Setup. It only ever reads.
class FrmFindUnit : public QDialog {
    Q_OBJECT
public:
    // Starts with the mode, port and address PC Setup shows.
    FrmFindUnit(bool tcp, const QString& port, const QString& address, QWidget* parent = nullptr);
    ~FrmFindUnit() override;

    // The unit chosen with "Use", once accepted.
    std::optional<FoundUnit> chosen() const { return m_chosen; }

    void cmdStart_Click();
    void cmdUse_Click();
    void reject() override;

private:
    ScanPlan plan() const;
    void showEstimate();
    void showMode();
    void addFound(const FoundUnit& unit);
    void scanEnded(bool cancelled);

    std::unique_ptr<Clock> m_clock;
    std::unique_ptr<SerialTransport> m_serial;
    std::unique_ptr<TcpTransport> m_tcp;
    // The scan under way, or null.
    UnitScan* m_scan = nullptr;
    QVector<FoundUnit> m_found;
    std::optional<FoundUnit> m_chosen;
    QStringList m_problems;

    QComboBox* cboMode;
    QComboBox* cboPort;
    QComboBox* cboBaud;
    QLineEdit* txtIP_Addr;
    QSpinBox* txtFirstID;
    QSpinBox* txtLastID;
    QLabel* lblEstimate;
    QLabel* lblStatus;
    QProgressBar* prgScan;
    QTableWidget* grdFound;
    QPushButton* cmdStart;
    QPushButton* cmdUse;
    QPushButton* cmdClose;
};

} // namespace halvana
