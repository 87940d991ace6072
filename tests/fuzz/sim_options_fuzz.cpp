// The simulator's --faults and --upgrade-faults texts (the first line) and its profile file (the rest).
#include "fuzz_input.h"
#include "sim/fault_plan.h"
#include "sim/unit_profile.h"
#include "sim/xmodem_receiver.h"

using namespace halvana;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = fuzz::text(data, size);
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    const QString options = text.left(end);
    QString error;
    if (const auto faults = FaultOptions::parse(options, &error)) {
        FaultPlan plan(*faults, 1);
        plan.injectException();
        for (FrameKind kind : {FrameKind::Rtu, FrameKind::Tcp})
            plan.shape(QByteArray::fromHex("000100000005010302002a"), kind);
    }
    UpgradeFaults::parse(options, &error);
    error.clear();
    const auto profile = UnitProfile::parse(end < 0 ? QString() : text.mid(end + 1), QStringLiteral("p.txt"), &error);
    fuzz::check(profile.has_value() || !error.isEmpty());
    if (profile)
        fuzz::check(profile->meters.size() <= size_t(UnitProfile::kMaxMeters));
    return 0;
}
