#include "gui/modbus/frm_link_statistics.h"

#include "core/modbus/link_statistics.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace halvana {

namespace {

const QStringList kColumns = {QStringLiteral("Step"),     QStringLiteral("Requests"),  QStringLiteral("Replies"),
                              QStringLiteral("Exceptions"), QStringLiteral("Time-outs"), QStringLiteral("CRC"),
                              QStringLiteral("Other rejected"), QStringLiteral("Late"),  QStringLiteral("Loss %")};

QStringList rowOf(const QString& step, const LinkCounters& c)
{
    qint64 exceptions = 0;
    for (const auto& [code, count] : c.exceptions)
        exceptions += count;
    const qint64 crc = c.rejected[size_t(RejectCause::Crc)];
    return {step,
            QString::number(c.requests),
            QString::number(c.replies),
            QString::number(exceptions),
            QString::number(c.timeouts),
            QString::number(crc),
            QString::number(c.rejectedTotal() - crc),
            QString::number(c.late),
            QString::number(c.lossPercent(), 'f', 1)};
}

QString msText(qint64 us)
{
    return QString::number(double(us) / 1000.0, 'f', 2);
}

// The round trips per octave as bars, from the first octave that holds any to the last.
class RoundTripHistogram : public QWidget {
public:
    explicit RoundTripHistogram(const LinkStatistics& statistics, QWidget* parent)
        : QWidget(parent), m_statistics(statistics)
    {
        setObjectName(QStringLiteral("picHistogram"));
        setMinimumHeight(110);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().base());
        const auto counts = m_statistics.roundTrips().octaves();
        int first = 0;
        int last = int(counts.size()) - 1;
        while (first < last && counts[size_t(first)] == 0)
            ++first;
        while (last > first && counts[size_t(last)] == 0)
            --last;
        const qint64 highest = *std::max_element(counts.begin(), counts.end());
        if (highest == 0) {
            painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("No round trips yet"));
            return;
        }
        const int labelHeight = fontMetrics().height() + 2;
        const int bars = last - first + 1;
        const double width = double(this->width()) / bars;
        const int plotHeight = height() - labelHeight;
        for (int i = 0; i < bars; ++i) {
            const qint64 n = counts[size_t(first + i)];
            const int barHeight = int(double(plotHeight - 2) * double(n) / double(highest));
            const QRectF bar(i * width + 2, plotHeight - barHeight, width - 4, barHeight);
            painter.fillRect(bar, QColor(0, 120, 215));
            // The bin's lower edge.
            const qint64 edgeUs = qint64(1) << (first + i);
            const QString label = edgeUs < 1000 ? QStringLiteral("%1µs").arg(edgeUs)
                                                : QStringLiteral("%1ms").arg(double(edgeUs) / 1000.0, 0, 'g', 3);
            painter.drawText(QRectF(i * width, plotHeight, width, labelHeight), Qt::AlignCenter, label);
        }
    }

private:
    const LinkStatistics& m_statistics;
};

} // namespace

FrmLinkStatistics::FrmLinkStatistics(LinkStatistics& statistics, QWidget* parent)
    : QWidget(parent), m_statistics(statistics)
{
    setObjectName(QStringLiteral("frmLinkStatistics"));
    setWindowTitle(QStringLiteral("Link Statistics"));

    grdCounters = new QTableWidget(0, int(kColumns.size()), this);
    grdCounters->setObjectName(QStringLiteral("grdCounters"));
    grdCounters->setHorizontalHeaderLabels(kColumns);
    grdCounters->verticalHeader()->hide();
    grdCounters->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdCounters->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    picHistogram = new RoundTripHistogram(statistics, this);
    lblRoundTrip = new QLabel(this);
    lblRoundTrip->setObjectName(QStringLiteral("lblRoundTrip"));
    lblCycle = new QLabel(this);
    lblCycle->setObjectName(QStringLiteral("lblCycle"));
    cmdReset = new QPushButton(QStringLiteral("&Reset"), this);
    cmdReset->setObjectName(QStringLiteral("cmdReset"));

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblCycle, 1);
    bottom->addWidget(cmdReset);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grdCounters, 1);
    layout->addWidget(lblRoundTrip);
    layout->addWidget(picHistogram);
    layout->addLayout(bottom);

    connect(cmdReset, &QPushButton::clicked, this, &FrmLinkStatistics::cmdReset_Click);
    m_refresh = new QTimer(this);
    m_refresh->setInterval(kRefreshMs);
    connect(m_refresh, &QTimer::timeout, this, &FrmLinkStatistics::refresh);
    m_refresh->start();
    refresh();
}

void FrmLinkStatistics::refresh()
{
    std::vector<QStringList> rows{rowOf(QStringLiteral("All"), m_statistics.total())};
    for (const auto& [step, counters] : m_statistics.perStep())
        rows.push_back(rowOf(QString::number(step), counters));
    grdCounters->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        for (int c = 0; c < rows[size_t(r)].size(); ++c) {
            QTableWidgetItem* item = grdCounters->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
                grdCounters->setItem(r, c, item);
            }
            item->setText(rows[size_t(r)][c]);
        }
    }
    const LogHistogram& trips = m_statistics.roundTrips();
    lblRoundTrip->setText(QStringLiteral("Round trip (ms): min %1, median %2, 99th percentile %3, max %4")
                              .arg(msText(trips.minUs()), msText(trips.percentileUs(0.5)),
                                   msText(trips.percentileUs(0.99)), msText(trips.maxUs())));
    lblCycle->setText(QStringLiteral("Cycle: last %1 ms, median %2 ms")
                          .arg(m_statistics.lastCycleMs())
                          .arg(m_statistics.medianCycleMs()));
    picHistogram->update();
}

void FrmLinkStatistics::cmdReset_Click()
{
    m_statistics.reset();
    refresh();
}

} // namespace halvana
