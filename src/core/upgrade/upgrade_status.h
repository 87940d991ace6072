#pragma once

#include <QString>

namespace halvana::upgrade_status {

// The outcome and progress codes of a firmware transfer.
inline constexpr int kNoFile = -500;
inline constexpr int kTooManyErrors = -400;
inline constexpr int kCanceled = -300;
inline constexpr int kNoReceiveFile = -200;
inline constexpr int kNotAbleToStart = -100;
inline constexpr int kNotStarted = 0;
inline constexpr int kStarting = 100;
inline constexpr int kInProcess = 200;
inline constexpr int kSucceeded = 1000;

// What the status box shows for `code`; empty for a code that leaves the previous text.
QString text(int code);
// The transfer has ended with this code.
inline bool isFinal(int code)
{
    return code < 0 || code == kSucceeded;
}

} // namespace halvana::upgrade_status
