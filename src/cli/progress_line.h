#pragma once

#include <QString>
#include <QTextStream>

#include <cstdio>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace halvana::cli {

inline bool stderrIsTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr));
#else
    return isatty(fileno(stderr));
#endif
}

// What a long command is doing ("Getting B3 Settings"), on one line of a terminal that each step
// overwrites; nothing when stderr goes to a file or a pipe.
class ProgressLine {
public:
    explicit ProgressLine(QTextStream& err) : m_err(err), m_shown(stderrIsTerminal()) {}
    ~ProgressLine() { clear(); }

    void show(const QString& text)
    {
        if (!m_shown)
            return;
        m_err << "\r" << text.trimmed() << "\x1b[K";
        m_err.flush();
        m_dirty = true;
    }
    void clear()
    {
        if (!m_dirty)
            return;
        m_err << "\r\x1b[K";
        m_err.flush();
        m_dirty = false;
    }

private:
    QTextStream& m_err;
    bool m_shown;
    bool m_dirty = false;
};

} // namespace halvana::cli
