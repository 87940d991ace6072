#pragma once

namespace halvana {

// Link-wide conditions that the connection lifecycle, the reboot and the upgrade set and the
// link obeys.
struct LinkState {
    // Set while the unit reboots: received data is discarded.
    bool IgnoreReceive = false;

    // Firmware transfer: 0 idle, kUpgradeRunning while the transfer uses the line.
    int UpgradeState = 0;
    bool DowngradeReboot = false;

    // Raised by the panelboard views: TCP reads of step 0 take the panel offset too, until a
    // TCP write is acknowledged.
    bool PanelEnableRequested = false;

    static constexpr int kUpgradeRunning = 4;
};

} // namespace halvana
