#pragma once

#include <QString>

namespace halvana {

// Where core logic reports what the user must hear about: message boxes in the program,
// stderr in the command-line tool, a list in the tests.
class MessageSink {
public:
    enum class Severity { Information, Warning, Critical };

    virtual ~MessageSink() = default;
    virtual void showMessage(Severity severity, const QString& title, const QString& text) = 0;
};

} // namespace halvana
