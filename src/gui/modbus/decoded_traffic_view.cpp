#include "gui/modbus/decoded_traffic_view.h"

#include "core/app/app_title.h"
#include "core/files/text_file.h"
#include "core/modbus/decoded_traffic.h"
#include "gui/app/shell_services.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace halvana {

DecodedTrafficView::DecodedTrafficView(DecodedTraffic& traffic, ShellServices& shell, QWidget* parent)
    : QWidget(parent), m_traffic(traffic), m_shell(shell)
{
    setObjectName(QStringLiteral("fraDecoded"));
    grdDecoded = new QTableWidget(0, 7, this);
    grdDecoded->setObjectName(QStringLiteral("grdDecoded"));
    grdDecoded->setHorizontalHeaderLabels({QStringLiteral("ms"), QStringLiteral("Dir"), QStringLiteral("Slave"),
                                           QStringLiteral("Fn"), QStringLiteral("Content"), QStringLiteral("Verdict"),
                                           QStringLiteral("Round trip (ms)")});
    grdDecoded->verticalHeader()->hide();
    grdDecoded->verticalHeader()->setDefaultSectionSize(grdDecoded->fontMetrics().height() + 4);
    grdDecoded->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdDecoded->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdDecoded->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    grdDecoded->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grdDecoded->horizontalHeader()->setSectionResizeMode(4, QHeaderView::Stretch);
    cmdExportCsv = new QPushButton(QStringLiteral("Export CSV..."), this);
    cmdExportCsv->setObjectName(QStringLiteral("cmdExportCsv"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdExportCsv);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grdDecoded, 1);
    layout->addLayout(buttons);

    for (int i = 0; i < int(traffic.entries().size()); ++i)
        appendRow(i);
    connect(&traffic, &DecodedTraffic::added, this, [this] { appendRow(int(m_traffic.entries().size()) - 1); });
    connect(&traffic, &DecodedTraffic::trimmed, this, [this](int count) {
        for (int i = 0; i < count && grdDecoded->rowCount() > 0; ++i)
            grdDecoded->removeRow(0);
    });
    connect(&traffic, &DecodedTraffic::cleared, this, [this] { grdDecoded->setRowCount(0); });
    connect(cmdExportCsv, &QPushButton::clicked, this, &DecodedTrafficView::cmdExportCsv_Click);
}

void DecodedTrafficView::appendRow(int entry)
{
    const DecodedFrame& f = m_traffic.entries()[size_t(entry)].frame;
    const QStringList cells = {QString::number(f.timeMs),
                               f.sent ? QStringLiteral("->") : QStringLiteral("<-"),
                               f.slave >= 0 ? QString::number(f.slave) : QString(),
                               f.function >= 0 ? QString::number(f.function) : QString(),
                               f.content,
                               f.verdict,
                               f.roundTripUs >= 0 ? QString::number(double(f.roundTripUs) / 1000.0, 'f', 2) : QString()};
    const int row = grdDecoded->rowCount();
    grdDecoded->insertRow(row);
    for (int c = 0; c < cells.size(); ++c) {
        auto* item = new QTableWidgetItem(cells[c]);
        if (!f.intact())
            item->setForeground(QColor(192, 0, 0));
        grdDecoded->setItem(row, c, item);
    }
    grdDecoded->scrollToBottom();
}

void DecodedTrafficView::cmdExportCsv_Click()
{
    const QString path = m_shell.chooseSaveFile(
        {QStringLiteral("Export the decoded traffic"), QStringLiteral("traffic.csv"), QStringLiteral("CSV (*.csv)"), {}});
    if (path.isEmpty())
        return;
    if (const auto problem = writeFileAtomically(path, m_traffic.csv().toUtf8()))
        m_shell.showMessage(MessageSink::Severity::Warning, kAppTitle, *problem);
}

} // namespace halvana
