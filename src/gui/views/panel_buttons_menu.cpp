#include "gui/views/panel_buttons_menu.h"

#include <QActionGroup>

namespace halvana {

namespace {
const QString kNotAvailableTip = QStringLiteral("Not available in this version yet.");

QAction* addItem(QMenu* menu, const QString& name, const QString& caption, bool checkable = false)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setCheckable(checkable);
    return action;
}
} // namespace

PanelButtonsMenu::PanelButtonsMenu(QWidget* parent) : QMenu(parent)
{
    setObjectName(QStringLiteral("mnuPanelButtons"));
    m_rename = addItem(this, QStringLiteral("mnuRename"), QStringLiteral("Rename"));
    addSeparator();
    auto* modes = new QActionGroup(this);
    const char* const captions[] = {"Show Current / Channel Mapping", "Show Voltage / Channel Mapping",
                                    "Show Parent ID"};
    for (int i = 0; i < 3; ++i) {
        m_viewModes[size_t(i)] =
            addItem(this, QStringLiteral("mnuViewMode%1").arg(i), QString::fromLatin1(captions[i]), true);
        if (i < 2)
            modes->addAction(m_viewModes[size_t(i)]);
    }
    addSeparator();
    m_columnWidth = addItem(this, QStringLiteral("mnuBCM_ColWidth"), QStringLiteral("Column-Width View"), true);
    m_enable = addItem(this, QStringLiteral("mnuEnable"), QStringLiteral("Enable"));
    m_copyText = addItem(this, QStringLiteral("mnuCopyText"), QStringLiteral("CopyText"));
    for (QAction* unavailable : {m_rename, m_enable}) {
        unavailable->setEnabled(false);
        unavailable->setToolTip(kNotAvailableTip);
        unavailable->setStatusTip(kNotAvailableTip);
    }
    setToolTipsVisible(true);
}

void PanelButtonsMenu::prepare(int labelMode, bool showParentId, bool columnWidthLayout, const QString& branchValue)
{
    m_viewModes[size_t(labelMode == 1 ? 1 : 0)]->setChecked(true);
    m_viewModes[2]->setChecked(showParentId);
    m_columnWidth->setChecked(columnWidthLayout);
    m_enable->setText(branchValue == QLatin1String("Off") ? QStringLiteral("Disable") : QStringLiteral("Enable"));
}

} // namespace halvana
