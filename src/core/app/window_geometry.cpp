#include "core/app/window_geometry.h"

#include "core/app/app_settings.h"

namespace halvana {

namespace {

std::optional<int> storedNumber(const AppSettings& settings, const std::optional<SettingKey>& key)
{
    return key ? settings.storedNumber(key->section, key->key) : std::nullopt;
}

void storeNumber(AppSettings& settings, const std::optional<SettingKey>& key, int value)
{
    if (key)
        settings.setNumber(key->section, key->key, value);
}

} // namespace

GeometryKeys GeometryKeys::numbered(const QString& section, int leftKey, int topKey, int widthKey,
                                    int heightKey, std::optional<int> stateKey)
{
    const auto key = [&section](int n) { return SettingKey{section, QString::number(n)}; };
    GeometryKeys keys{key(leftKey), key(topKey), key(widthKey), key(heightKey), std::nullopt};
    if (stateKey)
        keys.state = key(*stateKey);
    return keys;
}

GeometryKeys GeometryKeys::systemSettings()
{
    const auto key = [](const char* n) { return SettingKey{QStringLiteral("frmSystemSettingsPos"), QString::fromLatin1(n)}; };
    return {key("0"), key("1"), std::nullopt, key("3"), key("2")};
}

GeometryKeys GeometryKeys::panelView(int viewIndex)
{
    const QString k = QString::number(viewIndex);
    return {SettingKey{QStringLiteral("BCM_PnlBraRdgs_Left"), k}, SettingKey{QStringLiteral("BCM_PnlBraRdgs_Top"), k},
            std::nullopt, std::nullopt, SettingKey{QStringLiteral("BCM_PnlBraRdgs_State"), k}};
}

GeometryKeys GeometryKeys::meterTable(int tableIndex)
{
    const QString k = QString::number(tableIndex);
    const QString padded = QStringLiteral("%1").arg(tableIndex, 2, 10, QLatin1Char('0'));
    const QString size = QStringLiteral("MeterTablePosition");
    return {SettingKey{QStringLiteral("MeterTableLeft"), k},
            SettingKey{QStringLiteral("MeterTableTop"), k},
            SettingKey{size, padded + QStringLiteral("_Width")},
            SettingKey{size, padded + QStringLiteral("_Height")},
            SettingKey{QStringLiteral("MeterTableState"), k}};
}

QRect StoredGeometry::applyTo(const QRect& fallbackPixels) const
{
    const auto px = [](std::optional<int> twips, int fallback) {
        return twips ? twipsToPixels(*twips) : fallback;
    };
    return QRect(px(left, fallbackPixels.x()), px(top, fallbackPixels.y()),
                 px(width, fallbackPixels.width()), px(height, fallbackPixels.height()));
}

StoredGeometry readGeometry(const AppSettings& settings, const GeometryKeys& keys)
{
    StoredGeometry g;
    g.left = storedNumber(settings, keys.left);
    g.top = storedNumber(settings, keys.top);
    // A zero or negative size would make the window vanish; keep the default size instead.
    const auto positive = [](std::optional<int> v) { return v && *v > 0 ? v : std::nullopt; };
    g.width = positive(storedNumber(settings, keys.width));
    g.height = positive(storedNumber(settings, keys.height));
    const std::optional<int> s = storedNumber(settings, keys.state);
    if (s && *s >= 0 && *s <= 2)
        g.state = static_cast<WindowState>(*s);
    return g;
}

void writeGeometry(AppSettings& settings, const GeometryKeys& keys, const QRect& normalPixels,
                   WindowState state)
{
    storeNumber(settings, keys.state, static_cast<int>(state));
    storeNumber(settings, keys.left, pixelsToTwips(normalPixels.x()));
    storeNumber(settings, keys.top, pixelsToTwips(normalPixels.y()));
    storeNumber(settings, keys.width, pixelsToTwips(normalPixels.width()));
    storeNumber(settings, keys.height, pixelsToTwips(normalPixels.height()));
}

} // namespace halvana
