#pragma once

#include "core/app/message_sink.h"

#include <QStringList>

namespace halvana::test {

// Collects the messages that would have been shown, so tests can check them and never block.
class RecordingMessages : public MessageSink {
public:
    void showMessage(Severity, const QString& title, const QString& text) override
    {
        titles << title;
        texts << text;
    }
    QString all() const { return texts.join(QLatin1Char('\n')); }

    QStringList titles;
    QStringList texts;
};

} // namespace halvana::test
