#include "sim/unit_profile.h"

#include "core/app/definition_file.h"
#include "core/device/meter_types.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace halvana {

namespace {

struct Kind {
    const char* name;
    int type;
    int breakerAmps;
    int loadPercent;
};
constexpr Kind kKinds[] = {
    {"pdu-input", kTypePduInput, 400, 45}, {"pdu-output", kTypePduOutput, 400, 40},
    {"subfeed", kTypeSubfeed, 225, 40},    {"multipole", kTypeMultipole, 30, 35},
    {"panel", kTypePanel, 225, 40},        {"branch", kTypeBranch, 20, 30},
};

std::optional<int> number(const QString& text, int min, int max)
{
    bool ok = false;
    const int value = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? text.mid(2).toInt(&ok, 16)
                                                                                  : text.toInt(&ok, 10);
    if (!ok || value < min || value > max)
        return std::nullopt;
    return value;
}

// Reads one statement into the profile; an error text when it is not one.
QString readStatement(const QStringList& words, UnitProfile& profile, std::vector<std::pair<int, QString>>& conditions,
                      int line)
{
    const QString& keyword = words.first();
    if (keyword == QLatin1String("firmware")) {
        const QStringList parts = words.value(1).split(QLatin1Char('.'));
        const auto major = number(parts.value(0), 0, 255);
        const auto minor = number(parts.value(1), 0, 255);
        const auto build = number(parts.value(2), 0, 65535);
        if (words.size() != 2 || parts.size() != 3 || !major || !minor || !build)
            return QStringLiteral("firmware wants MAJOR.MINOR.BUILD, for example 2.5.13");
        profile.firmwareMajor = *major;
        profile.firmwareMinor = *minor;
        profile.firmwareBuild = *build;
        return {};
    }
    if (keyword == QLatin1String("thermal-modules")) {
        const auto count = number(words.value(1), 0, 6);
        if (words.size() != 2 || !count)
            return QStringLiteral("thermal-modules wants a number from 0 to 6");
        profile.thermalModules = *count;
        return {};
    }
    if (keyword == QLatin1String("input-board")) {
        if (words.size() != 2 || (words[1] != QLatin1String("on") && words[1] != QLatin1String("off")))
            return QStringLiteral("input-board wants on or off");
        profile.inputBoard = words[1] == QLatin1String("on");
        return {};
    }
    if (keyword == QLatin1String("calibration-time")) {
        const auto ms = number(words.value(1), 0, 600000);
        if (words.size() != 2 || !ms)
            return QStringLiteral("calibration-time wants milliseconds from 0 to 600000");
        profile.calibrationTimeMs = *ms;
        return {};
    }
    if (keyword == QLatin1String("calibration-fail")) {
        if (words.size() != 2 || !number(words[1], 1, UnitProfile::kMaxMeters))
            return QStringLiteral("calibration-fail wants a meter number (1-250)");
        conditions.emplace_back(line, words.join(QLatin1Char(' ')));
        return {};
    }
    if (keyword == QLatin1String("alarm") || keyword == QLatin1String("warning")) {
        if (words.size() != 3 || !number(words[1], 1, UnitProfile::kMaxMeters) || !number(words[2], 0, 65535))
            return keyword + QStringLiteral(" wants a meter number (1-250) and a word, for example 0x0001");
        conditions.emplace_back(line, words.join(QLatin1Char(' ')));
        return {};
    }
    if (keyword != QLatin1String("meter"))
        return QStringLiteral("unknown statement \"%1\"").arg(keyword);

    UnitProfile::Meter meter;
    int count = 1;
    const QString kind = words.value(1);
    const auto known = std::find_if(std::begin(kKinds), std::end(kKinds),
                                    [&](const Kind& k) { return kind == QLatin1String(k.name); });
    if (known != std::end(kKinds)) {
        meter.type = known->type;
        meter.breakerAmps = known->breakerAmps;
        meter.loadPercent = known->loadPercent;
    } else if (kind.startsWith(QLatin1String("type="))) {
        const auto type = number(kind.mid(5), 0, 15);
        if (!type)
            return QStringLiteral("a meter type code is 0 to 15");
        meter.type = *type;
    } else {
        return QStringLiteral("unknown meter kind \"%1\" (pdu-input, pdu-output, subfeed, multipole, panel, "
                              "branch or type=N)")
            .arg(kind);
    }
    for (int i = 2; i < words.size(); ++i) {
        const QString key = words[i].section(QLatin1Char('='), 0, 0);
        const QString value = words[i].section(QLatin1Char('='), 1);
        std::optional<int> parsed;
        if (key == QLatin1String("count") && (parsed = number(value, 1, UnitProfile::kMaxMeters)))
            count = *parsed;
        else if (key == QLatin1String("breaker") && (parsed = number(value, 1, 4000)))
            meter.breakerAmps = *parsed;
        else if (key == QLatin1String("load") && (parsed = number(value, 0, 150)))
            meter.loadPercent = *parsed;
        else
            return QStringLiteral("bad meter option \"%1\" (count=N, breaker=A, load=P)").arg(words[i]);
    }
    if (int(profile.meters.size()) + count > UnitProfile::kMaxMeters)
        return QStringLiteral("a unit has at most %1 meters").arg(UnitProfile::kMaxMeters);
    profile.meters.insert(profile.meters.end(), size_t(count), meter);
    return {};
}

} // namespace

UnitProfile UnitProfile::defaultProfile()
{
    const auto profile = parse(QStringLiteral("meter pdu-input\n"
                                              "meter pdu-output\n"
                                              "meter subfeed count=2\n"
                                              "meter panel count=2\n"
                                              "meter branch count=84\n"
                                              "alarm 9 0x0001\n"
                                              "warning 20 0x0004\n"
                                              "warning 3 0x0001\n"),
                               QStringLiteral("default profile"), nullptr);
    return *profile;
}

std::optional<UnitProfile> UnitProfile::parse(const QString& text, const QString& fileName, QString* error)
{
    UnitProfile profile;
    std::vector<std::pair<int, QString>> conditions;
    const QStringList lines = splitLines(text);
    const auto fail = [&](int line, const QString& message) -> std::optional<UnitProfile> {
        if (error)
            *error = QStringLiteral("%1 line %2: %3").arg(fileName).arg(line).arg(message);
        return std::nullopt;
    };
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList words = lines[i].section(QLatin1Char('#'), 0, 0).split(blanks, Qt::SkipEmptyParts);
        if (words.isEmpty())
            continue;
        const QString message = readStatement(words, profile, conditions, i + 1);
        if (!message.isEmpty())
            return fail(i + 1, message);
    }
    // Conditions name meters by their place in the whole list, so they are applied last.
    for (const auto& [line, statement] : conditions) {
        const QStringList words = statement.split(QLatin1Char(' '));
        const int meter = *number(words[1], 1, kMaxMeters);
        if (meter > int(profile.meters.size()))
            return fail(line, QStringLiteral("there is no meter %1 (the profile has %2)").arg(meter).arg(profile.meters.size()));
        if (words[0] == QLatin1String("calibration-fail")) {
            profile.calibrationFailMeters.push_back(meter);
            continue;
        }
        Meter& m = profile.meters[size_t(meter - 1)];
        (words[0] == QLatin1String("alarm") ? m.alarmWord : m.warningWord) = quint16(*number(words[2], 0, 65535));
    }
    return profile;
}

std::optional<UnitProfile> UnitProfile::load(const QString& path, QString* error)
{
    const std::optional<QString> text = readWholeTextFile(path);
    if (!text) {
        if (error)
            *error = QStringLiteral("cannot read the profile \"%1\"").arg(QFileInfo(path).absoluteFilePath());
        return std::nullopt;
    }
    return parse(*text, QFileInfo(path).fileName(), error);
}

} // namespace halvana
