#pragma once

namespace halvana {

// What the link and the connection lifecycle need from the polling sequencer (tmrMain and
// its step). The sequencer implements it; a tool without polling may leave it unset.
class PollingControl {
public:
    virtual ~PollingControl() = default;

    // Enables or disables tmrMain. Enabling a running tmrMain keeps its rhythm.
    virtual void setMainTimerEnabled(bool enabled) = 0;
    virtual bool PollingDisabled() const = 0;
    virtual void setPollingDisabled(bool disabled) = 0;
    virtual int PollStep() const = 0;
    // PollStep and the meter position back to the start of the cycle.
    virtual void resetPollStep() = 0;
    // A reply (or one that failed its checks) ended an exchange, and every receiver of the
    // outcome has handled it: the line is free for the next request.
    virtual void exchangeAnswered() {}
};

} // namespace halvana
