#pragma once

#include <QWidget>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace halvana {

class TrafficLog;

// The Data Spy: the Modbus traffic as it goes out and comes in, with pause and single step for
// the polling cycle. It only shows the traffic log and forwards the clicks to it.
class FrmDataSpy : public QWidget {
    Q_OBJECT
public:
    // With `decoded`, the text and the decoded rows are two tabs, "Raw" and "Decoded".
    explicit FrmDataSpy(TrafficLog& log, QWidget* decoded = nullptr, QWidget* parent = nullptr);

    void chkPause_Click();
    void cmdSingleStep_Click();
    void chkHorizontalScroll_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void appendText(const QString& chunk);
    void removeLeadingText(int count);
    void scrollToEndUnlessBrowsing();

    TrafficLog& m_log;
    QPlainTextEdit* rtbData;
    QWidget* fraBottom;
    QCheckBox* chkPause;
    QPushButton* cmdSingleStep;
    QCheckBox* chkBrowse;
    QCheckBox* chkHorizontalScroll;
};

} // namespace halvana
