#include "gui/app/main_menu.h"

#include "core/app/app_title.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <initializer_list>

namespace halvana {

namespace {

struct Item {
    const char* name;
    const char* caption; // "-" is a separator
    bool checkable = false;
};

struct TopMenu {
    const char* name;
    const char* caption;
    std::initializer_list<Item> items;
};

// The main menu, item by item, with the captions and check marks the users know.
const std::initializer_list<TopMenu> kMenuTree = {
    {"mnuFile", "&File",
     {{"mnuLogin", "&Login"},
      {"mnuLogout", "&Logout"},
      {"mnuChangePassword", "&Change Password"},
      {"mnuCommPortSettings", "PC Setup"},
      {"mnuOpenAppFolder", "&Open Application Folder "},
      {"mnuUsersFolders", "Folder Locations"},
      {"mnuDeleteReg", "Use Application's Default Settings"},
      {"mnuExit", "E&xit"}}},
    {"mnuView", "&View",
     {{"mnuSystemandPanelSettings", "&System Configuration", true},
      {"mnuMeterTable0", "1ø (Branch) Meter Settings", true},
      {"mnuMeterTable1", "1ø (Branch) Meter Readings", true},
      {"mnuMeterTable2", "3ø Meter Settings", true},
      {"mnuMeterTable3", "3ø Meter Readings", true},
      {"mnuMeterTable4", "System Settings", true},
      {"mnuMeterTable5", "Meter Info", true},
      {"mnuMeterTable6", "-"},
      {"mnuMeterTable7", "Input Board Status", true},
      {"mnuMeterTable8", "-"},
      {"mnuMeterTable9", "Thermal Settings", true},
      {"mnuMeterTable10", "Thermal Readings", true},
      {"mnuBCM_Panel_CB_View0", "Branch Panelboard View", true},
      {"mnuBCM_Panel_CB_View1", "Subfeed Panelboard View", true},
      {"mnuBCM_Panel_CB_View2", "Panel View", true},
      {"mnuBCM_Panel_CB_View3", "PDU View", true},
      {"mnuTrend", "&Trend", true}}},
    {"mnuConnect_Top", "&Polling",
     {{"mnuConnect", "&Connect"},
      {"mnuDisconnect", "&Disconnect"},
      {"mnuModbusPolling", "Modbus Polling", true},
      {"mnuFastPolling", "Fast Polling", true},
      {"mnuReboot", "&Reboot"}}},
    {"mnuService", "Service",
     {{"mnuTerminal", "&Terminal", true},
      {"mnuScriptGrid", "&Create Scripts"},
      {"mnuRunScript", "&Run Script via Terminal "},
      {"mnuAllSettings", "Capture All Settings"},
      {"mnuCompareSettings", "&Compare Settings"},
      {"mnuBCM_Cal_Top", "&Calibration"},
      {"mnuUpgrade", "&Upgrade"},
      {"mnuDataSpy", "Data Spy", true},
      {"mnuLinkStatistics", "Link &Statistics", true}}},
    {"mnuWindow", "&Window",
     {{"mnuWindowCascade", "&Cascade"},
      {"mnuTile", "&Tile"},
      {"mnuScrollDown", "Scroll Mode"},
      {"mnuWindowTileVertical", "Tile Subforms - &Vertically"},
      {"mnuWindowTileHorizontal", "Tile Subforms - &Two Columns"},
      {"mnuWindowArrangeIcons", "&Arrange Icons"},
      {"mnuNormalizeAll", "Normalize All Windows"},
      {"mnuCloseAll", "&Close All Windows"},
      {"mnuCloseSubfeedWindows", "C&lose Subfeed Windows"}}},
    {"mnuHelp", "&Help", {{"mnuInstructions", "&User's Manual"}, {"mnuAbout", nullptr}}},
};

} // namespace

QHash<QString, QAction*> buildMainMenu(QMenuBar* menuBar)
{
    QHash<QString, QAction*> actions;
    for (const TopMenu& top : kMenuTree) {
        QMenu* menu = menuBar->addMenu(QString::fromUtf8(top.caption));
        menu->setObjectName(QString::fromLatin1(top.name));
        menu->menuAction()->setObjectName(QString::fromLatin1(top.name));
        actions.insert(menu->objectName(), menu->menuAction());
        for (const Item& item : top.items) {
            const QString caption = item.caption ? QString::fromUtf8(item.caption)
                                                 : QStringLiteral("&About ") + kAppTitle;
            QAction* action = caption == QLatin1String("-") ? menu->addSeparator() : menu->addAction(caption);
            action->setObjectName(QString::fromLatin1(item.name));
            action->setCheckable(item.checkable);
            actions.insert(action->objectName(), action);
        }
    }
    return actions;
}

} // namespace halvana
