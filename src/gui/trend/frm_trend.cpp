#include "gui/trend/frm_trend.h"

#include "core/trend/trend_set.h"

#include <QDateTimeAxis>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QValueAxis>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>
#include <limits>

namespace halvana {

namespace {

constexpr double kWheelZoomPerStep = 1.25;

} // namespace

TrendChartView::TrendChartView(QChart* chart, QWidget* parent) : QChartView(chart, parent)
{
    setRubberBand(QChartView::HorizontalRubberBand);
    setRenderHint(QPainter::Antialiasing);
}

void TrendChartView::wheelEvent(QWheelEvent* event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0)
        return;
    const double factor = std::pow(kWheelZoomPerStep, steps);
    const QRectF area = chart()->plotArea();
    const QPointF at = event->position();
    // Zooms about the pointer: the plot area shrinks about it, then becomes the view.
    QRectF zoomed(0, 0, area.width() / factor, area.height() / factor);
    zoomed.moveCenter(at + (area.center() - at) / factor);
    chart()->zoomIn(zoomed);
    emit viewMovedByUser();
    event->accept();
}

void TrendChartView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton || event->button() == Qt::RightButton) {
        m_panning = true;
        m_panFrom = event->position();
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton)
        m_pressedAt = event->position();
    QChartView::mousePressEvent(event);
}

void TrendChartView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_panning) {
        QChartView::mouseMoveEvent(event);
        return;
    }
    const QPointF delta = event->position() - m_panFrom;
    m_panFrom = event->position();
    chart()->scroll(-delta.x(), delta.y());
    emit viewMovedByUser();
}

void TrendChartView::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_panning) {
        m_panning = false;
        event->accept();
        return;
    }
    // A click (on the legend, say) is no zoom: only a swept span is.
    constexpr int kLeastSweepPx = 4;
    const bool zooming = event->button() == Qt::LeftButton
                         && std::abs(event->position().x() - m_pressedAt.x()) > kLeastSweepPx;
    QChartView::mouseReleaseEvent(event);
    if (zooming)
        emit viewMovedByUser();
}

FrmTrend::FrmTrend(TrendSet& trend, QWidget* parent)
    : QWidget(parent),
      m_trend(trend),
      m_chart(new QChart),
      m_timeAxis(new QDateTimeAxis),
      m_valueAxis(new QValueAxis),
      cmdPause(new QPushButton(QStringLiteral("Pause"))),
      cmdReset(new QPushButton(QStringLiteral("Reset"))),
      cmdRemoveHidden(new QPushButton(QStringLiteral("Remove Hidden"))),
      cmdLog(new QPushButton(QStringLiteral("Start Log"))),
      lblLog(new QLabel)
{
    setObjectName(QStringLiteral("frmTrend"));
    setWindowTitle(QStringLiteral("Trend"));
    cmdPause->setObjectName(QStringLiteral("cmdPause"));
    cmdPause->setCheckable(true);
    cmdReset->setObjectName(QStringLiteral("cmdReset"));
    cmdRemoveHidden->setObjectName(QStringLiteral("cmdRemoveHidden"));
    cmdLog->setObjectName(QStringLiteral("cmdLog"));
    cmdLog->setCheckable(true);
    lblLog->setObjectName(QStringLiteral("lblLog"));
    lblLog->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_timeAxis->setFormat(QStringLiteral("HH:mm:ss"));
    m_timeAxis->setTitleText(QStringLiteral("Time"));
    m_chart->addAxis(m_timeAxis, Qt::AlignBottom);
    m_chart->addAxis(m_valueAxis, Qt::AlignLeft);
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    m_view = new TrendChartView(m_chart, this);
    m_view->setObjectName(QStringLiteral("chtTrend"));

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {cmdPause, cmdReset, cmdRemoveHidden, cmdLog})
        buttons->addWidget(button);
    buttons->addWidget(lblLog, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(buttons);
    layout->addWidget(m_view, 1);

    connect(cmdPause, &QPushButton::toggled, this, [this](bool paused) {
        cmdPause->setText(paused ? QStringLiteral("Resume") : QStringLiteral("Pause"));
        if (!paused)
            refresh();
    });
    connect(cmdReset, &QPushButton::clicked, this, &FrmTrend::resetView);
    connect(cmdRemoveHidden, &QPushButton::clicked, this, &FrmTrend::removeHidden);
    connect(cmdLog, &QPushButton::clicked, this, [this](bool start) { emit logRequested(start); });
    connect(m_view, &TrendChartView::viewMovedByUser, this, [this] { m_following = false; });
    connect(&m_trend, &TrendSet::seriesChanged, this, &FrmTrend::rebuild);
    connect(&m_trend, &TrendSet::sampled, this, &FrmTrend::refresh);
    connect(&m_trend, &TrendSet::logStateChanged, this, [this](bool logging) {
        cmdLog->setChecked(logging);
        cmdLog->setText(logging ? QStringLiteral("Stop Log") : QStringLiteral("Start Log"));
    });
    rebuild();
    resize(720, 420);
}

bool FrmTrend::isPaused() const
{
    return cmdPause->isChecked();
}

void FrmTrend::showLogState(const QString& text)
{
    lblLog->setText(text);
}

void FrmTrend::rebuild()
{
    for (QLineSeries* line : m_lines) {
        m_chart->removeSeries(line);
        delete line;
    }
    m_lines.clear();
    QStringList units;
    for (int i = 0; i < m_trend.count(); ++i) {
        const TrendSet::Series& series = m_trend.series(i);
        auto* line = new QLineSeries;
        line->setName(series.label);
        m_chart->addSeries(line);
        line->attachAxis(m_timeAxis);
        line->attachAxis(m_valueAxis);
        m_lines.push_back(line);
        if (!series.unit.isEmpty() && !units.contains(series.unit))
            units << series.unit;
    }
    m_valueAxis->setTitleText(units.join(QStringLiteral(", ")));
    // A legend entry hides and shows its line; a hidden one is drawn faint.
    for (QLegendMarker* marker : m_chart->legend()->markers()) {
        connect(marker, &QLegendMarker::clicked, this, [marker] {
            QAbstractSeries* line = marker->series();
            line->setVisible(!line->isVisible());
            marker->setVisible(true);
            QColor colour = marker->labelBrush().color();
            colour.setAlphaF(line->isVisible() ? 1.0 : 0.4);
            marker->setLabelBrush(colour);
        });
    }
    refresh();
}

void FrmTrend::refresh()
{
    if (isPaused())
        return;
    for (size_t i = 0; i < m_lines.size() && int(i) < m_trend.count(); ++i) {
        QList<QPointF> points;
        const std::vector<TrendHistory::Point> history = m_trend.series(int(i)).history.points();
        points.reserve(qsizetype(history.size()));
        for (const TrendHistory::Point& p : history) {
            if (!std::isnan(p.value))
                points.append(QPointF(double(p.timeMs), p.value));
        }
        m_lines[i]->replace(points);
    }
    if (m_following)
        fitAxes();
}

void FrmTrend::resetView()
{
    m_chart->zoomReset();
    m_following = true;
    fitAxes();
}

// The span of every reading of the visible lines, a little more in value so that no line runs
// along the frame.
void FrmTrend::fitAxes()
{
    double minTime = std::numeric_limits<double>::max();
    double maxTime = std::numeric_limits<double>::lowest();
    double minValue = minTime;
    double maxValue = maxTime;
    for (QLineSeries* line : m_lines) {
        if (!line->isVisible())
            continue;
        for (const QPointF& p : line->points()) {
            minTime = std::min(minTime, p.x());
            maxTime = std::max(maxTime, p.x());
            minValue = std::min(minValue, p.y());
            maxValue = std::max(maxValue, p.y());
        }
    }
    if (minTime > maxTime)
        return;
    if (maxTime - minTime < 1000)
        minTime = maxTime - 1000;
    const double margin = std::max(0.05 * (maxValue - minValue), 0.01 * std::max(1.0, std::abs(maxValue)));
    m_timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(qint64(minTime)), QDateTime::fromMSecsSinceEpoch(qint64(maxTime)));
    m_valueAxis->setRange(minValue - margin, maxValue + margin);
}

void FrmTrend::removeHidden()
{
    // Each removal rebuilds the lines, so the hidden ones are noted first, and removed from the
    // last so that the indices of the others hold.
    std::vector<int> hidden;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        if (!m_lines[i]->isVisible())
            hidden.push_back(int(i));
    }
    for (auto i = hidden.rbegin(); i != hidden.rend(); ++i)
        m_trend.remove(*i);
}

} // namespace halvana
