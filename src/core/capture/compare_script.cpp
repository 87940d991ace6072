#include "core/capture/compare_script.h"

#include "core/capture/settings_comparison.h"
#include "core/device/setting_edit.h"
#include "core/grid/grid_model.h"

#include <optional>

namespace halvana {

namespace {

const QString kLineEnd = QStringLiteral("\r\n");

std::optional<int> registerNumber(const QString& text)
{
    bool ok = false;
    const int reg = text.toInt(&ok);
    return ok && reg >= 1 && reg <= CompareScript::kMaxRawValue && text == QString::number(reg) ? std::optional(reg)
                                                                                                   : std::nullopt;
}

std::optional<int> rawValue(const QString& text)
{
    return SettingEdit::scaledValue(text, SettingEdit::scaleOf(text), CompareScript::kMaxRawValue,
                                    SettingEdit::Fraction::MustBeWhole);
}

} // namespace

QString CompareScript::leftOutNote() const
{
    if (leftOutCount == 0)
        return {};
    QString note = QStringLiteral("%1 row(s) left out, with no register or no whole register value: %2")
                       .arg(leftOutCount)
                       .arg(leftOut.join(QStringLiteral("; ")));
    return leftOutCount > leftOut.size() ? note + QStringLiteral("; ...") : note;
}

CompareScript CompareScript::CreateScriptText(const GridModel& differences)
{
    CompareScript script;
    for (int r = 1; r < differences.rowCount(); ++r) {
        if (differences.background(r, 0) == SettingsComparison::kVersionCyan)
            continue;
        const std::optional<int> reg = registerNumber(differences.text(r, 0));
        const std::optional<int> value = rawValue(differences.text(r, 2));
        if (reg && value) {
            script.text += kLineEnd + QStringLiteral("meter write %1 %2").arg(*reg).arg(*value);
            continue;
        }
        if (++script.leftOutCount <= kNamedLeftOut)
            script.leftOut << QStringLiteral("%1 %2 = %3").arg(differences.text(r, 0), differences.text(r, 1),
                                                               differences.text(r, 2));
    }
    script.text += kLineEnd + kLineEnd + QStringLiteral("meter save") + kLineEnd;
    return script;
}

} // namespace halvana
