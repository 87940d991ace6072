#pragma once

#include <QTemporaryDir>

namespace halvana::test {

// Points HOME and the XDG folders at a fresh temporary folder for the life of the object, so
// that tests never touch the user's own documents, data or settings.
class TempHome {
public:
    TempHome();
    ~TempHome();
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
};

} // namespace halvana::test
