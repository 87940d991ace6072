#pragma once

#include <QWidget>

class QPushButton;
class QTableWidget;

namespace halvana {

class DecodedTraffic;
class ShellServices;

// The Data Spy's "Decoded" tab: a row per frame (time, direction, slave, function, what it
// asks or carries, its CRC or header verdict, a reply's round trip), and Export CSV.
class DecodedTrafficView : public QWidget {
    Q_OBJECT
public:
    DecodedTrafficView(DecodedTraffic& traffic, ShellServices& shell, QWidget* parent = nullptr);

    void cmdExportCsv_Click();

private:
    void appendRow(int entry);

    DecodedTraffic& m_traffic;
    ShellServices& m_shell;
    QTableWidget* grdDecoded;
    QPushButton* cmdExportCsv;
};

} // namespace halvana
