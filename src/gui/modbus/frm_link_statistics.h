#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;

namespace halvana {

class LinkStatistics;

// "Link Statistics": what became of the requests of each polling step (replies, exceptions,
// time-outs, rejected and late replies, loss), the round trips as a histogram with their
// minimum, median, 99th percentile and maximum, and the cycle time. Refreshed four times a
// second; Reset starts the counting again.
class FrmLinkStatistics : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 250;

    explicit FrmLinkStatistics(LinkStatistics& statistics, QWidget* parent = nullptr);

    void refresh();
    void cmdReset_Click();

private:
    LinkStatistics& m_statistics;
    QTableWidget* grdCounters;
    QWidget* picHistogram;
    QLabel* lblRoundTrip;
    QLabel* lblCycle;
    QPushButton* cmdReset;
    QTimer* m_refresh;
};

} // namespace halvana
