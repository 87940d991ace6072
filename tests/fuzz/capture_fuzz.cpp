// Two settings captures (split at the first NUL byte, which no capture holds) compared, their
// differences listed and turned into a script.
#include "core/capture/compare_script.h"
#include "core/capture/settings_comparison.h"
#include "core/grid/grid_model.h"
#include "core/scripts/script_language.h"
#include "fuzz_input.h"

using namespace halvana;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray all = fuzz::bytes(data, size);
    const int nul = all.indexOf('\0');
    const QByteArray first = nul < 0 ? all : all.left(nul);
    const QByteArray second = nul < 0 ? all : all.mid(nul + 1);
    std::vector<CaptureTable> tables;
    for (const QByteArray& file : {first, second}) {
        auto read = SettingsComparison::parseCapture(QStringLiteral("Settings_001.txt"), decodeFileText(file));
        fuzz::check(read.table.has_value() == read.problem.isEmpty());
        if (read.table)
            tables.push_back(std::move(*read.table));
    }
    GridModel comparison, differences;
    SettingsComparison::fillComparison(tables, comparison);
    fuzz::check(comparison.columnCount() == int(tables.size()) + 2);
    SettingsComparison::alignmentNote(tables);
    SettingsComparison::markedLines(comparison);
    SettingsComparison::clipText(comparison);
    if (tables.size() < 2)
        return 0;
    SettingsComparison::ListDiffs(comparison, differences);
    fuzz::check(differences.rowCount() <= comparison.rowCount());
    // Every write of the generated script is one the script runner can carry out.
    const CompareScript script = CompareScript::CreateScriptText(differences);
    for (const QString& line : splitLines(script.text))
        if (line.startsWith(QLatin1String("meter write")))
            fuzz::check(script::classify(line).kind == ScriptLine::Kind::MeterWrite);
    return 0;
}
