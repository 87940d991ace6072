#pragma once

#include <QFile>
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

// Puts an empty file at `path`, so that nothing can be made beneath it (a store or folder there
// cannot be written); false when the file could not be made.
inline bool makeBlockingFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

} // namespace halvana::test
