#pragma once

#include "core/app/message_sink.h"

#include <QTextStream>

namespace halvana::cli {

// What the program would show in a message box goes to stderr, one line per message.
class CliMessages : public MessageSink {
public:
    explicit CliMessages(QTextStream& err) : m_err(err) {}

    void showMessage(Severity, const QString&, const QString& text) override
    {
        m_err << "halvana-cli: " << QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')) << '\n';
        m_err.flush();
    }

private:
    QTextStream& m_err;
};

} // namespace halvana::cli
