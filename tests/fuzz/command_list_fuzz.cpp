// The terminal's command-button file and command list.
#include "core/terminal/service_commands.h"
#include "fuzz_input.h"

using namespace halvana;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList lines = fuzz::lines(data, size);
    const auto buttons = service_commands::buttons(lines);
    fuzz::check(buttons.size() <= service_commands::kButtonCount && buttons.size() <= lines.size());
    for (const auto& button : buttons)
        fuzz::check(button.caption.size() <= 9);
    for (const QString& entry : lines) {
        fuzz::check(!service_commands::listCommand(entry).contains(QLatin1Char('\t')));
        fuzz::check(!service_commands::listToolTip(entry).contains(QLatin1Char('\t')));
    }
    // The argument is typed text and may hold line ends.
    const QString typed = fuzz::text(data, size);
    fuzz::check(!service_commands::commandWithArgument(lines.value(0), typed).contains(QLatin1String("\r\n")));
    return 0;
}
