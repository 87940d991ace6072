#pragma once

#include <QChartView>
#include <QWidget>

#include <vector>

class QDateTimeAxis;
class QLabel;
class QLineSeries;
class QPushButton;
class QValueAxis;

namespace halvana {

class TrendSet;

// The chart of the Trend window: the wheel zooms about the pointer, dragging with the left
// button zooms into the swept time span, dragging with the middle or right button pans. Any
// of these stops the chart from following the newest readings until Reset.
class TrendChartView : public QChartView {
    Q_OBJECT
public:
    explicit TrendChartView(QChart* chart, QWidget* parent = nullptr);

signals:
    void viewMovedByUser();

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPointF m_panFrom;
    QPointF m_pressedAt;
    bool m_panning = false;
};

// "Trend": the trended readings as lines over a time axis, named by meter and description in
// the legend; a click on a legend entry hides or shows its line. Pause holds the picture while
// the readings are still taken; Reset shows all of them again and follows the newest.
class FrmTrend : public QWidget {
    Q_OBJECT
public:
    explicit FrmTrend(TrendSet& trend, QWidget* parent = nullptr);

    QChart* chart() const { return m_chart; }
    bool isPaused() const;
    bool isFollowing() const { return m_following; }
    // Shows the log's state: its file while it runs, why it stopped after a failure.
    void showLogState(const QString& text);

signals:
    void logRequested(bool start);

private:
    void rebuild();
    void refresh();
    void resetView();
    void removeHidden();
    void fitAxes();

    TrendSet& m_trend;
    QChart* m_chart;
    TrendChartView* m_view;
    QDateTimeAxis* m_timeAxis;
    QValueAxis* m_valueAxis;
    std::vector<QLineSeries*> m_lines;
    QPushButton* cmdPause;
    QPushButton* cmdReset;
    QPushButton* cmdRemoveHidden;
    QPushButton* cmdLog;
    QLabel* lblLog;
    bool m_following = true;
};

} // namespace halvana
