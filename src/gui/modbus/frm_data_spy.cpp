#include "gui/modbus/frm_data_spy.h"

#include "core/modbus/traffic_log.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextCursor>
#include <QVBoxLayout>

namespace halvana {

FrmDataSpy::FrmDataSpy(TrafficLog& log, QWidget* decoded, QWidget* parent) : QWidget(parent), m_log(log)
{
    setObjectName(QStringLiteral("frmDataSpy"));
    setWindowTitle(QStringLiteral("Data Spy"));

    rtbData = new QPlainTextEdit(this);
    rtbData->setObjectName(QStringLiteral("rtbData"));
    rtbData->setReadOnly(true);
    rtbData->setUndoRedoEnabled(false);
    rtbData->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    rtbData->setPlainText(log.text());

    fraBottom = new QWidget(this);
    fraBottom->setObjectName(QStringLiteral("fraBottom"));
    chkPause = new QCheckBox(QStringLiteral("Pause"), fraBottom);
    chkPause->setObjectName(QStringLiteral("chkPause"));
    chkPause->setChecked(log.DataSpyPaused());
    cmdSingleStep = new QPushButton(QStringLiteral("Single Step"), fraBottom);
    cmdSingleStep->setObjectName(QStringLiteral("cmdSingleStep"));
    cmdSingleStep->setEnabled(log.DataSpyPaused());
    chkBrowse = new QCheckBox(QStringLiteral("Browse"), fraBottom);
    chkBrowse->setObjectName(QStringLiteral("chkBrowse"));
    chkHorizontalScroll = new QCheckBox(QStringLiteral("Horizontal Scroll Bar"), fraBottom);
    chkHorizontalScroll->setObjectName(QStringLiteral("chkHorizontalScroll"));

    auto* bottom = new QHBoxLayout(fraBottom);
    bottom->setContentsMargins(4, 2, 4, 2);
    for (QWidget* w : std::initializer_list<QWidget*>{chkPause, cmdSingleStep, chkBrowse, chkHorizontalScroll})
        bottom->addWidget(w);
    bottom->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (decoded) {
        auto* tabs = new QTabWidget(this);
        tabs->setObjectName(QStringLiteral("tabView"));
        tabs->addTab(rtbData, QStringLiteral("Raw"));
        tabs->addTab(decoded, QStringLiteral("Decoded"));
        layout->addWidget(tabs, 1);
    } else {
        layout->addWidget(rtbData, 1);
    }
    layout->addWidget(fraBottom);

    connect(chkPause, &QCheckBox::clicked, this, &FrmDataSpy::chkPause_Click);
    connect(cmdSingleStep, &QPushButton::clicked, this, &FrmDataSpy::cmdSingleStep_Click);
    connect(chkHorizontalScroll, &QCheckBox::clicked, this, &FrmDataSpy::chkHorizontalScroll_Click);
    connect(chkBrowse, &QCheckBox::clicked, this, &FrmDataSpy::scrollToEndUnlessBrowsing);
    connect(&log, &TrafficLog::appended, this, &FrmDataSpy::appendText);
    connect(&log, &TrafficLog::trimmed, this, &FrmDataSpy::removeLeadingText);
    connect(&log, &TrafficLog::cleared, rtbData, &QPlainTextEdit::clear);
    connect(&log, &TrafficLog::pausedChanged, this, [this](bool paused) {
        chkPause->setChecked(paused);
        cmdSingleStep->setEnabled(paused);
    });
    chkHorizontalScroll_Click();
    scrollToEndUnlessBrowsing();
}

void FrmDataSpy::closeEvent(QCloseEvent* event)
{
    // Leaving the window lets polling run on: a hidden pause would look like a dead link.
    m_log.setPaused(false);
    QWidget::closeEvent(event);
}

void FrmDataSpy::chkPause_Click()
{
    m_log.setPaused(chkPause->isChecked());
}

void FrmDataSpy::cmdSingleStep_Click()
{
    m_log.requestSingleStep();
}

void FrmDataSpy::chkHorizontalScroll_Click()
{
    rtbData->setLineWrapMode(chkHorizontalScroll->isChecked() ? QPlainTextEdit::NoWrap
                                                               : QPlainTextEdit::WidgetWidth);
}

void FrmDataSpy::appendText(const QString& chunk)
{
    // Appending through a cursor keeps each call as cheap as the chunk, however long the text.
    QTextCursor cursor(rtbData->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(chunk);
    scrollToEndUnlessBrowsing();
}

void FrmDataSpy::removeLeadingText(int count)
{
    QTextCursor cursor(rtbData->document());
    cursor.setPosition(0);
    cursor.setPosition(count, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void FrmDataSpy::scrollToEndUnlessBrowsing()
{
    if (!chkBrowse->isChecked())
        rtbData->verticalScrollBar()->setValue(rtbData->verticalScrollBar()->maximum());
}

} // namespace halvana
