#include "gui/trend/trend_wiring.h"

#include "core/app/app_settings.h"
#include "core/app/folder_locations.h"
#include "core/device/device_data.h"
#include "core/device/sequencer.h"
#include "core/session/unit_session.h"
#include "core/trend/trend_set.h"
#include "gui/app/child_window_slot.h"
#include "gui/app/mdi_form1.h"
#include "gui/app/shell_services.h"
#include "gui/trend/frm_trend.h"
#include "gui/views/data_views.h"

#include <QDir>
#include <QMdiSubWindow>

namespace halvana {

namespace {

const QString kTitle = QStringLiteral("Trend");

} // namespace

TrendWiring::TrendWiring(MDIForm1& form, Clock& clock, UnitSession& session, DataViews& views)
    : QObject(&form),
      m_form(form),
      m_trend(new TrendSet(session.data(), clock, this)),
      m_slot(new ChildWindowSlot(form, GeometryKeys::numbered(QStringLiteral("frmTrendPos"), 0, 1, 2, 3, 4),
                                 QStringLiteral("mnuTrend")))
{
    views.setTrendSet(m_trend);
    m_trend->restore(form.settings());
    DeviceData& data = session.data();
    // The readings of restored series are polled as their tables reopen with the others.
    QList<int> tables = data.tablesToRestore();
    for (int table : m_trend->tables()) {
        if (!tables.contains(table))
            tables << table;
    }
    data.setTablesToRestore(tables);

    connect(&session.sequencer(), &Sequencer::cycleCompleted, m_trend, &TrendSet::sample);
    connect(m_trend, &TrendSet::seriesChanged, this, [this] { m_trend->save(m_form.settings()); });
    connect(m_trend, &TrendSet::logFailed, this, [this](const QString& message) {
        if (FrmTrend* frm = window())
            frm->showLogState(message);
        m_form.shell().showMessage(MessageSink::Severity::Warning, kTitle, message);
    });
    connect(&views, &DataViews::trendSeriesAdded, this, [this] {
        if (!m_slot->isOpen())
            openWindow();
    });
    connect(&form, &MDIForm1::loadFinished, this, [this] {
        if (m_trend->count() > 0 && !m_slot->isOpen())
            openWindow();
    });
    connect(m_slot, &ChildWindowSlot::closed, this, [this] { m_trend->stopLog(); });
    form.setMenuCommand(QStringLiteral("mnuTrend"), [this] { mnuTrend_Click(); });
}

TrendWiring::~TrendWiring() = default;

FrmTrend* TrendWiring::window() const
{
    return qobject_cast<FrmTrend*>(m_slot->widget());
}

void TrendWiring::mnuTrend_Click()
{
    m_slot->toggle([this] { openWindow(); });
}

void TrendWiring::openWindow()
{
    auto* frm = new FrmTrend(*m_trend);
    connect(frm, &FrmTrend::logRequested, this, [this, frm](bool start) {
        if (!start) {
            m_trend->stopLog();
            frm->showLogState(QStringLiteral("Log closed: %1").arg(QDir::toNativeSeparators(m_trend->logPath())));
            return;
        }
        startLog();
    });
    m_slot->open(frm);
}

void TrendWiring::startLog()
{
    const QString folder = FolderLocations(m_form.settings(), m_form.folders()).folderInUse(FolderLocations::Downloads);
    QDir().mkpath(folder);
    FrmTrend* frm = window();
    if (!m_trend->startLog(TrendSet::nextLogPath(folder))) {
        if (frm)
            frm->showLogState(m_trend->logError());
        m_form.shell().showMessage(MessageSink::Severity::Warning, kTitle, m_trend->logError());
        return;
    }
    if (frm)
        frm->showLogState(QStringLiteral("Logging to %1").arg(QDir::toNativeSeparators(m_trend->logPath())));
}

} // namespace halvana
