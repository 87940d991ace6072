#include "support/temp_home.h"

#include <QStandardPaths>

namespace halvana::test {

TempHome::TempHome() : m_oldHome(qgetenv("HOME"))
{
    qputenv("HOME", m_dir.path().toUtf8());
    qputenv("XDG_DATA_HOME", (m_dir.path() + "/.local/share").toUtf8());
    qputenv("XDG_CONFIG_HOME", (m_dir.path() + "/.config").toUtf8());
    qputenv("XDG_DOCUMENTS_DIR", (m_dir.path() + "/Documents").toUtf8());
}

TempHome::~TempHome()
{
    qputenv("HOME", m_oldHome);
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_DOCUMENTS_DIR");
}

} // namespace halvana::test
