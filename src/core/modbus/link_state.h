#pragma once

namespace halvana {

// The flags that tie a request to what its reply must advance. The write, global-write,
// calibration and upgrade code set them before sending; the reply path reads and advances
// them (ModbusLink::dispatchReply).
struct LinkState {
    // A single setting write is outstanding; its reply (or time-out) reports the outcome.
    bool WritePending = false;
    // Two-step global write: 0 idle, 1 step 1 sent, 2 step 2 due, 3 step 2 sent.
    int GlobalWriteStep = 0;

    // Calibration requests waiting for the sequencer, and the ones sent and awaiting a reply.
    bool CalCommandPending = false;
    bool CalValueWritePending = false;
    bool CalCommandSent = false;
    bool CalValueWriteSent = false;
    bool FollowUpWritePending = false;
    bool ReadBackPending = false;
    bool CalStatusWaitRequested = false;
    bool CalStatusWaiting = false;
    // Set after a calibration status reply: the next frame-gap tick only resumes polling.
    bool CalFinishPending = false;

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
