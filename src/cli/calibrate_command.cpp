#include "cli/cli_command.h"
#include "cli/cli_context.h"
#include "cli/cli_session.h"
#include "cli/register_arguments.h"
#include "core/calibration/calibration_form.h"
#include "core/calibration/calibration_sequence.h"
#include "core/device/register_map.h"
#include "core/device/sequencer.h"

#include <QCommandLineParser>
#include <QTimer>

namespace halvana::cli {

namespace {

using Form = CalibrationForm;

const QString kLevel = QStringLiteral("level");
const QString kType = QStringLiteral("type");
const QString kPanel = QStringLiteral("panel");
const QString kMeter = QStringLiteral("meter");
const QString kCommand = QStringLiteral("command");
const QString kCalType = QStringLiteral("cal-type");
const QString kParam = QStringLiteral("param");
const QString kReading = QStringLiteral("reading");

// The register that selects the register map version.
constexpr int kMapSelectorRegister = 16;
// Longer than any calibration can take: a guard against one that never ends.
constexpr int kGiveUpMs = 60000;

// The index of `text` among `names` (without regard to case), or -1.
int choice(const QString& text, const QStringList& names)
{
    for (int i = 0; i < names.size(); ++i) {
        if (text.compare(names[i], Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

// The command line as the window's choices, made in the window's order so its rules apply;
// what they do not allow is bad usage. `meter` is the 0-based list index asked for.
bool formFromOptions(const QCommandLineParser& parser, Form& form, int* meter, QString* problem)
{
    const auto option = [&](const QString& name, const QString& fallback) {
        return parser.isSet(name) ? parser.value(name) : fallback;
    };
    const auto bad = [problem](const QString& name, const QString& value, const QString& allowed) {
        *problem = QStringLiteral("--%1: \"%2\" is not %3").arg(name, value, allowed);
        return false;
    };
    const int level = choice(option(kLevel, QStringLiteral("meter")), {QStringLiteral("meter"), QStringLiteral("system")});
    if (level < 0)
        return bad(kLevel, parser.value(kLevel), QStringLiteral("meter or system"));
    form.chooseLevel(Form::Level(level));
    const bool system = level == Form::SystemLevel;

    if (system) {
        const int type = choice(option(kType, QStringLiteral("all")),
                                {QStringLiteral("all"), QStringLiteral("branch"), QStringLiteral("pdu-input"),
                                 QStringLiteral("pdu-output"), QStringLiteral("subfeed"), QStringLiteral("panel")});
        if (type < 0)
            return bad(kType, parser.value(kType), QStringLiteral("all, branch, pdu-input, pdu-output, subfeed or panel"));
        form.chooseMeterType(type);
        const int panel = choice(option(kPanel, QStringLiteral("all")), Form::panelLabels());
        if (panel < 0)
            return bad(kPanel, parser.value(kPanel), QStringLiteral("all or 1..4"));
        form.choosePanel(panel);
    } else {
        const int kind = choice(option(kType, QStringLiteral("1-phase")), {QStringLiteral("1-phase"), QStringLiteral("3-phase")});
        if (kind < 0)
            return bad(kType, parser.value(kType), QStringLiteral("1-phase or 3-phase at meter level"));
        if (parser.isSet(kPanel))
            return bad(kPanel, parser.value(kPanel), QStringLiteral("used at meter level"));
        form.chooseThreePhase(kind == 1);
    }

    if (!system && !parser.isSet(kMeter)) {
        *problem = QStringLiteral("a meter-level calibration needs --meter N");
        return false;
    }
    const QString meterText = option(kMeter, QStringLiteral("all"));
    const auto number = system && meterText.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0
        ? std::optional<int>(0)
        : parseNumber(meterText, 1, system ? Form::kSystemMeters : Form::kMeterLevelMeters, QStringLiteral("--meter"),
                      problem);
    if (!number)
        return false;
    *meter = system ? *number : *number - 1;

    const int command = choice(option(kCommand, QStringLiteral("gain")), {QStringLiteral("gain"), QStringLiteral("offset")});
    if (command < 0)
        return bad(kCommand, parser.value(kCommand), QStringLiteral("gain or offset"));
    form.chooseCommand(Form::Command(command));

    const int calType = choice(option(kCalType, QStringLiteral("current")), {QStringLiteral("voltage"), QStringLiteral("current")});
    if (calType < 0)
        return bad(kCalType, parser.value(kCalType), QStringLiteral("voltage or current"));
    if (calType == Form::Voltage && !form.voltageEnabled())
        return bad(kCalType, parser.value(kCalType), QStringLiteral("offered here (voltage is for 3-phase meters at meter level)"));
    form.chooseCalType(Form::CalType(calType));

    const int param = choice(option(kParam, QStringLiteral("all")),
                             {QStringLiteral("all"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                              QStringLiteral("neutral"), QStringLiteral("ground")});
    if (param < 0)
        return bad(kParam, parser.value(kParam), QStringLiteral("all, a, b, c, neutral or ground"));
    if (param != 0 && !form.parameterFrameVisible())
        return bad(kParam, parser.value(kParam), QStringLiteral("offered for branch meters"));
    form.chooseParam(param);

    form.setReading(option(kReading, QString()));
    if (!form.calibrateEnabled()) {
        *problem = QStringLiteral("a gain calibration needs --reading, the standard meter's reading (above 0)");
        return false;
    }
    // Which meters the meter level offers depends on the map version, known once connected.
    form.chooseMeter(system ? *meter : 0);
    return form.request(problem).has_value();
}

QString checkCalibrateArguments(const QStringList&, const QCommandLineParser& parser)
{
    Form form;
    int meter = 0;
    QString problem;
    formFromOptions(parser, form, &meter, &problem);
    return problem;
}

int runCalibrate(CliContext& ctx)
{
    Form form;
    int meter = 0;
    QString problem;
    if (!formFromOptions(ctx.parser(), form, &meter, &problem))
        return ctx.usageError(problem);
    CliSession& session = ctx.session();
    if (form.level() == Form::MeterLevel) {
        const auto selector = session.readRegisters(kMapSelectorRegister, 1, &problem);
        if (!selector)
            return ctx.failure(problem);
        form.setRegisterMapVersion(RegisterMap::mapVersionFromSelector(selector->first()));
        if (meter >= form.meterNumbers().size())
            return ctx.usageError(QStringLiteral("--meter: on Map %1 only 3-phase meters 1..%2 can be calibrated; "
                                                 "the registers of the others lie past the last address")
                                      .arg(form.registerMapVersion())
                                      .arg(form.meterNumbers().size()));
        form.chooseMeter(meter);
    }
    const std::optional<CalibrationRequest> request = form.request(&problem);
    if (!request)
        return ctx.usageError(problem);

    UnitSession& unit = session.unit();
    CalibrationSequence& calibration = unit.calibration();
    Sequencer& sequencer = unit.sequencer();
    // The connections below capture this function's locals: they end with it.
    QObject scope;
    QString shown;
    CalibrationResponse last;
    QObject::connect(&calibration, &CalibrationSequence::calibrationResponse, &scope,
                     [&](const CalibrationResponse& response) {
                         if (response.text != shown)
                             ctx.out() << response.text << '\n';
                         shown = response.text;
                         if (response.responseValue)
                             ctx.out() << "Response: " << *response.responseValue << '\n';
                         ctx.out().flush();
                         last = response;
                         if (response.finished)
                             session.finish(response.verdict == CalibrationResponse::Verdict::Success ? kExitOk : kExitFailed);
                     });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &scope, [&] { session.finish(kExitFailed); });
    guard.start(kGiveUpMs);

    // Polling runs meanwhile: the system-level verdict comes with the system information.
    sequencer.setPollingDisabled(false);
    sequencer.setPollStep(kStepSystemInfo);
    calibration.start(*request);
    const int status = session.exec();
    calibration.cancel();
    sequencer.setPollingDisabled(true);
    sequencer.setMainTimerEnabled(false);
    if (status == kExitOk)
        return kExitOk;
    return ctx.failure(last.finished ? QStringLiteral("the calibration ended with \"%1\"").arg(last.text)
                                     : QStringLiteral("the calibration did not end"));
}

const CliCommandRegistration registration({
    QStringLiteral("calibrate"),
    QString(),
    QStringLiteral(
        "calibrate as the Calibration window does, printing each result text as it comes:\n"
        "--level meter|system (meter), --type 1-phase|3-phase at meter level or\n"
        "all|branch|pdu-input|pdu-output|subfeed|panel at system level, --panel all|1..4,\n"
        "--meter N (system level: all|1..42), --command gain|offset, --cal-type voltage|current,\n"
        "--param all|a|b|c|neutral|ground, --reading VALUE (gain only); exit 0 on \"Success\",\n"
        "1 on \"Fail\", a failed step or no result"),
    {QCommandLineOption(kLevel, QStringLiteral("Calibration level: meter or system."), QStringLiteral("LEVEL")),
     QCommandLineOption(kType, QStringLiteral("Meter kind (meter level) or meter type (system level)."), QStringLiteral("TYPE")),
     QCommandLineOption(kPanel, QStringLiteral("Panel number of a system-level calibration."), QStringLiteral("PANEL")),
     QCommandLineOption(kMeter, QStringLiteral("Meter number."), QStringLiteral("N")),
     QCommandLineOption(kCommand, QStringLiteral("gain or offset."), QStringLiteral("COMMAND")),
     QCommandLineOption(kCalType, QStringLiteral("voltage or current."), QStringLiteral("TYPE")),
     QCommandLineOption(kParam, QStringLiteral("Parameter: all, a, b, c, neutral or ground."), QStringLiteral("PARAM")),
     QCommandLineOption(kReading, QStringLiteral("The standard meter's reading."), QStringLiteral("VALUE"))},
    0,
    0,
    true,
    runCalibrate,
    checkCalibrateArguments,
});

} // namespace

} // namespace halvana::cli
