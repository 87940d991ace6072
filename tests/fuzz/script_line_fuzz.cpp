// Script lines as the runners and the builder read them.
#include "core/scripts/script_builder.h"
#include "core/scripts/script_language.h"
#include "fuzz_input.h"

using namespace halvana;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList lines = fuzz::lines(data, size);
    for (const QString& line : lines) {
        const ScriptLine parsed = script::classify(line);
        if (parsed.kind == ScriptLine::Kind::MeterWrite)
            fuzz::check(parsed.reg >= 1 && parsed.reg <= script::kMaxRegister && parsed.value >= 0
                        && parsed.value <= script::kMaxValue);
        fuzz::check((parsed.kind == ScriptLine::Kind::BadWrite) == !parsed.problem.isEmpty());
        script::deletesMeters(line);
        for (const QString& word : script::collapseBlanks(line).split(QLatin1Char(' ')))
            script::numberValue(word);
    }
    const QString text = ScriptBuilder::textOfLines(lines);
    ScriptBuilder::makeReadFile(text);
    ScriptBuilder::withoutMeterSave(text);
    return 0;
}
