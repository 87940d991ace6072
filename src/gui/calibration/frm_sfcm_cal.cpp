#include "gui/calibration/frm_sfcm_cal.h"

#include "core/calibration/calibration_sequence.h"
#include "core/device/device_data.h"
#include "core/session/unit_session.h"
#include "gui/app/child_window_slot.h"
#include "gui/app/mdi_form1.h"
#include "gui/app/shell_services.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <functional>

namespace halvana {

namespace {

const QString kCaption = QStringLiteral("Calibration");

QGroupBox* framed(const char* name, const QString& caption, QWidget* parent)
{
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    new QVBoxLayout(box);
    return box;
}

// Two options in a frame, named as the control array `name` with indexes 0 and 1.
std::array<QRadioButton*, 2> options(QGroupBox* box, const QString& name, const char* first, const char* second)
{
    std::array<QRadioButton*, 2> buttons{};
    const char* const captions[] = {first, second};
    for (int i = 0; i < 2; ++i) {
        buttons[size_t(i)] = new QRadioButton(QString::fromUtf8(captions[i]), box);
        buttons[size_t(i)]->setObjectName(name + QString::number(i));
        box->layout()->addWidget(buttons[size_t(i)]);
    }
    return buttons;
}

QListWidget* list(QGroupBox* box, const QString& name, int visibleRows)
{
    auto* widget = new QListWidget(box);
    widget->setObjectName(name);
    widget->setFixedHeight(visibleRows * widget->fontMetrics().height() + 8);
    box->layout()->addWidget(widget);
    return widget;
}

} // namespace

FrmSfcmCal::FrmSfcmCal(CalibrationSequence& calibration, DeviceData& data, MessageSink& messages, QWidget* parent)
    : QWidget(parent), m_calibration(&calibration), m_messages(messages)
{
    setObjectName(QStringLiteral("frmSFCM_Cal"));
    setWindowTitle(kCaption);
    m_form.setRegisterMapVersion(data.model().RegisterMapVersion);

    QGroupBox* fraCalLevel = framed("fraCalLevel", QStringLiteral("Calibration Level"), this);
    optCalLevel = options(fraCalLevel, QStringLiteral("optCalLevel"), "Meter", "System");
    fraMeterKind = framed("fraMtrType", QStringLiteral("Mtr. Type"), this);
    optMeterType = options(fraMeterKind, QStringLiteral("optMeterType"), "1 Phase", "3 Phase");
    fraPanelNo = framed("fraPanelNo", QStringLiteral("Panel No."), this);
    lstPanelNo = list(fraPanelNo, QStringLiteral("lstPanelNo"), 5);
    QGroupBox* fraCommand = framed("fraCommand", QStringLiteral("Command"), this);
    optCommand = options(fraCommand, QStringLiteral("optCommand"), "Gain", "Offset");
    QGroupBox* fraCalType = framed("fraCalType", QStringLiteral("Cal. Type"), this);
    optType = options(fraCalType, QStringLiteral("optType"), "Voltage", "Current");
    QGroupBox* fraMeterType = framed("fraMeterType", QStringLiteral("Meter Type"), this);
    lstMeterType = list(fraMeterType, QStringLiteral("lstMeterType"), 6);
    QGroupBox* fraMeterNo = framed("fraMeterNo", QStringLiteral("Meter No."), this);
    lstMeterNo = list(fraMeterNo, QStringLiteral("lstMeterNo"), 12);
    fraParameter = framed("fraParameter", QStringLiteral("Parameter"), this);
    lstParam = list(fraParameter, QStringLiteral("lstParam"), 6);

    QGroupBox* fraPoint = framed("fraCalPoint", QStringLiteral("Calibration Point"), this);
    lblReading = new QLabel(QStringLiteral("Std. Meter Reading:"), fraPoint);
    lblReading->setObjectName(QStringLiteral("lblReading"));
    txtReading = new QLineEdit(fraPoint);
    txtReading->setObjectName(QStringLiteral("txtReading"));
    fraPoint->layout()->addWidget(lblReading);
    fraPoint->layout()->addWidget(txtReading);
    QGroupBox* fraResponse = framed("fraResponse", QStringLiteral("Response"), this);
    txtResultResponse = new QLineEdit(fraResponse);
    txtResultResponse->setObjectName(QStringLiteral("txtResultResponse"));
    txtResultResponse->setReadOnly(true);
    fraResponse->layout()->addWidget(txtResultResponse);

    cmdCalibrate = new QPushButton(QStringLiteral("&Calibrate"), this);
    cmdCalibrate->setObjectName(QStringLiteral("cmdCalibrate"));
    cmdExit = new QPushButton(QStringLiteral("&Exit"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));

    // "Panel No." takes the place of "Mtr. Type" at system level.
    auto* grid = new QGridLayout;
    grid->addWidget(fraCalLevel, 0, 0);
    grid->addWidget(fraMeterKind, 0, 1, Qt::AlignTop);
    grid->addWidget(fraPanelNo, 0, 1, Qt::AlignTop);
    grid->addWidget(fraCommand, 1, 0);
    grid->addWidget(fraCalType, 2, 0, Qt::AlignTop);
    grid->addWidget(fraMeterType, 1, 1, 2, 1, Qt::AlignTop);
    grid->addWidget(fraMeterNo, 0, 2, 3, 1, Qt::AlignTop);
    grid->addWidget(fraParameter, 0, 3, 3, 1, Qt::AlignTop);
    grid->addWidget(fraPoint, 3, 0, 1, 2);
    grid->addWidget(fraResponse, 3, 2, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdCalibrate);
    buttons->addWidget(cmdExit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    fillList(lstMeterType, CalibrationForm::meterTypeLabels(), -1);
    fillList(lstPanelNo, CalibrationForm::panelLabels(), 0);
    fillList(lstParam, CalibrationForm::paramLabels(), 0);

    using Form = CalibrationForm;
    const auto onChoice = [this](QRadioButton* button, std::function<void()> choose) {
        connect(button, &QRadioButton::toggled, this, [this, choose](bool on) {
            if (on) {
                choose();
                refresh();
            }
        });
    };
    for (int i = 0; i < 2; ++i) {
        onChoice(optCalLevel[size_t(i)], [this, i] { m_form.chooseLevel(Form::Level(i)); });
        onChoice(optMeterType[size_t(i)], [this, i] { m_form.chooseThreePhase(i == 1); });
        onChoice(optCommand[size_t(i)], [this, i] { m_form.chooseCommand(Form::Command(i)); });
        onChoice(optType[size_t(i)], [this, i] { m_form.chooseCalType(Form::CalType(i)); });
    }
    const auto onRow = [this](QListWidget* widget, void (Form::*choose)(int)) {
        connect(widget, &QListWidget::currentRowChanged, this, [this, choose](int row) {
            if (row >= 0) {
                (m_form.*choose)(row);
                refresh();
            }
        });
    };
    onRow(lstMeterType, &Form::chooseMeterType);
    onRow(lstPanelNo, &Form::choosePanel);
    onRow(lstMeterNo, &Form::chooseMeter);
    onRow(lstParam, &Form::chooseParam);
    connect(txtReading, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_form.setReading(text);
        refresh();
    });
    connect(cmdCalibrate, &QPushButton::clicked, this, &FrmSfcmCal::cmdCalibrate_Click);
    const auto closeWindow = [this] {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
            sub->close();
        else
            close();
    };
    connect(cmdExit, &QPushButton::clicked, this, closeWindow);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, closeWindow);
    connect(&calibration, &CalibrationSequence::calibrationResponse, this, &FrmSfcmCal::showResponse);
    connect(&data, &DeviceData::registerMapVersionChanged, this, [this](int version) {
        m_form.setRegisterMapVersion(version);
        refresh();
    });
    refresh();
}

// A calibration still running ends with the window; a reply on its way changes nothing.
FrmSfcmCal::~FrmSfcmCal()
{
    if (m_calibration)
        m_calibration->cancel();
}

void FrmSfcmCal::install(MDIForm1& form, UnitSession& session)
{
    const auto key = [](const char* n) { return SettingKey{QStringLiteral("frmSFCM_CalPos"), QString::fromLatin1(n)}; };
    auto* slot = new ChildWindowSlot(form, GeometryKeys{key("0"), key("1"), std::nullopt, std::nullopt, key("2")});
    form.setMenuCommand(QStringLiteral("mnuBCM_Cal_Top"), [&form, &session, slot] {
        if (slot->isOpen())
            form.mdiArea()->setActiveSubWindow(slot->window());
        else
            slot->open(new FrmSfcmCal(session.calibration(), session.data(), form.shell()));
    });
}

void FrmSfcmCal::fillList(QListWidget* widget, const QStringList& entries, int selected)
{
    const QSignalBlocker block(widget);
    if (widget->count() != entries.size() || (widget->count() > 0 && widget->item(0)->text() != entries.first())) {
        widget->clear();
        widget->addItems(entries);
    }
    widget->setCurrentRow(selected);
    if (selected < 0)
        widget->clearSelection();
}

// The widgets show what the form's rules say.
void FrmSfcmCal::refresh()
{
    const CalibrationForm& f = m_form;
    for (QRadioButton* button : {optCalLevel[size_t(f.level())], optMeterType[f.threePhase() ? 1u : 0u],
                                 optCommand[size_t(f.command())], optType[size_t(f.calType())]}) {
        const QSignalBlocker block(button);
        button->setChecked(true);
    }
    fraMeterKind->setVisible(f.meterKindFrameVisible());
    fraPanelNo->setVisible(f.panelFrameVisible());
    lstMeterType->setEnabled(f.meterTypeListEnabled());
    fillList(lstMeterType, CalibrationForm::meterTypeLabels(), f.meterType());
    fillList(lstPanelNo, CalibrationForm::panelLabels(), f.panel());
    fillList(lstMeterNo, f.meterNumbers(), f.meter());
    optType[0]->setVisible(f.voltageVisible());
    optType[0]->setEnabled(f.voltageEnabled());
    fraParameter->setVisible(f.parameterFrameVisible());
    fillList(lstParam, CalibrationForm::paramLabels(), f.param());
    cmdCalibrate->setEnabled(f.calibrateEnabled());
}

void FrmSfcmCal::cmdCalibrate_Click()
{
    if (!m_calibration || m_calibration->running())
        return;
    QString refusal;
    const std::optional<CalibrationRequest> request = m_form.request(&refusal);
    if (!request) {
        m_messages.showMessage(MessageSink::Severity::Warning, kCaption, refusal);
        return;
    }
    txtResultResponse->clear();
    txtResultResponse->setStyleSheet(QString());
    txtReading->setText(m_form.readingAfterCalibrate());
    m_form.setRunning(true);
    refresh();
    m_calibration->start(*request);
}

void FrmSfcmCal::showResponse(const CalibrationResponse& response)
{
    using Verdict = CalibrationResponse::Verdict;
    txtResultResponse->setText(response.responseValue
                                   ? QStringLiteral("%1  (Response %2)").arg(response.text).arg(*response.responseValue)
                                   : response.text);
    txtResultResponse->setStyleSheet(response.verdict == Verdict::Fail      ? QStringLiteral("background-color: rgb(255, 0, 0);")
                                     : response.verdict == Verdict::Success ? QStringLiteral("background-color: rgb(0, 255, 0);")
                                                                            : QString());
    if (response.finished) {
        m_form.setRunning(false);
        refresh();
    }
}

} // namespace halvana
