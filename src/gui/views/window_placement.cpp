#include "gui/views/window_placement.h"

#include "core/app/app_settings.h"

#include <QEvent>
#include <QMdiSubWindow>

namespace halvana {

namespace {

SettingKey keyOf(const QString& section, const QString& key)
{
    return SettingKey{section, key};
}

std::optional<int> storedNumber(const AppSettings& settings, const std::optional<SettingKey>& key)
{
    if (!key)
        return std::nullopt;
    bool ok = false;
    const int n = settings.value(key->section, key->key).trimmed().toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

void storeNumber(AppSettings& settings, const std::optional<SettingKey>& key, int value)
{
    if (key)
        settings.setNumber(key->section, key->key, value);
}

bool isNormal(const QMdiSubWindow& window)
{
    return !(window.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized));
}

} // namespace

PlacementKeys PlacementKeys::systemSettings()
{
    const QString section = QStringLiteral("frmSystemSettingsPos");
    PlacementKeys keys;
    keys.left = keyOf(section, QStringLiteral("0"));
    keys.top = keyOf(section, QStringLiteral("1"));
    keys.state = keyOf(section, QStringLiteral("2"));
    keys.height = keyOf(section, QStringLiteral("3"));
    return keys;
}

PlacementKeys PlacementKeys::meterTable(int tableIndex)
{
    const GeometryKeys g = GeometryKeys::meterTable(tableIndex);
    return PlacementKeys{g.left, g.top, g.width, g.height, g.state};
}

PlacementKeys PlacementKeys::panelView(int viewIndex)
{
    const QString k = QString::number(viewIndex);
    PlacementKeys keys;
    keys.left = keyOf(QStringLiteral("BCM_PnlBraRdgs_Left"), k);
    keys.top = keyOf(QStringLiteral("BCM_PnlBraRdgs_Top"), k);
    keys.state = keyOf(QStringLiteral("BCM_PnlBraRdgs_State"), k);
    return keys;
}

WindowPlacement::WindowPlacement(QMdiSubWindow& window, AppSettings& settings, PlacementKeys keys)
    : QObject(&window), m_window(window), m_settings(settings), m_keys(std::move(keys)), m_normal(window.geometry())
{
    window.installEventFilter(this);
}

void WindowPlacement::restore(bool applyState)
{
    const auto pixels = [this](const std::optional<SettingKey>& key, int fallback) {
        const std::optional<int> twips = storedNumber(m_settings, key);
        return twips ? twipsToPixels(*twips) : fallback;
    };
    const QRect current = m_window.geometry();
    const QPoint position(pixels(m_keys.left, current.x()), pixels(m_keys.top, current.y()));
    // A zero or negative size would make the window vanish; keep the current size instead.
    const auto size = [&](const std::optional<SettingKey>& key, int fallback) {
        const int p = pixels(key, fallback);
        return p > 0 ? p : fallback;
    };
    m_window.move(position);
    m_window.resize(size(m_keys.width, current.width()), size(m_keys.height, current.height()));
    m_normal = m_window.geometry();

    if (!applyState)
        return;
    const std::optional<int> state = storedNumber(m_settings, m_keys.state);
    if (state == int(WindowState::Minimised))
        m_window.showMinimized();
    else if (state == int(WindowState::Maximised))
        m_window.showMaximized();
}

void WindowPlacement::store()
{
    WindowState state = WindowState::Normal;
    if (m_window.isMinimized())
        state = WindowState::Minimised;
    else if (m_window.isMaximized())
        state = WindowState::Maximised;
    storeNumber(m_settings, m_keys.state, int(state));
    storeNumber(m_settings, m_keys.left, pixelsToTwips(m_normal.x()));
    storeNumber(m_settings, m_keys.top, pixelsToTwips(m_normal.y()));
    storeNumber(m_settings, m_keys.width, pixelsToTwips(m_normal.width()));
    storeNumber(m_settings, m_keys.height, pixelsToTwips(m_normal.height()));
}

bool WindowPlacement::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_window && (event->type() == QEvent::Move || event->type() == QEvent::Resize)
        && isNormal(m_window))
        m_normal = m_window.geometry();
    return QObject::eventFilter(watched, event);
}

} // namespace halvana
