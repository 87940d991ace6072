#include "core/terminal/terminal_capture.h"

#include "core/app/app_folders.h"
#include "core/app/app_title.h"
#include "core/app/message_sink.h"
#include "core/files/numbered_file.h"
#include "core/files/text_codec.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace halvana {

TerminalCapture::TerminalCapture(MessageSink& messages) : m_messages(messages)
{
}

TerminalCapture::~TerminalCapture()
{
    if (isCapturing())
        stop();
}

QString TerminalCapture::fileName() const
{
    return QFileInfo(m_path).fileName();
}

QString TerminalCapture::capturingText(const QString& fileName)
{
    return QStringLiteral("Capturing data to: ") + fileName + QStringLiteral(";  Click 'Stop' when finished.");
}

QString TerminalCapture::capturedText(const QString& fileName)
{
    return QStringLiteral("Data was captured to: ") + fileName;
}

void TerminalCapture::showWriteFailure(const QString& path, const QString& reason)
{
    m_messages.showMessage(MessageSink::Severity::Warning, kAppTitle,
                           QStringLiteral("%1 cannot be written: %2").arg(QDir::toNativeSeparators(path), reason));
}

bool TerminalCapture::start(const QString& folder)
{
    FolderNotFound(folder, m_messages);
    const QString path = NumberedFileName::terminalCapture().nextFreePath(folder);
    auto file = std::make_unique<QSaveFile>(path);
    if (!file->open(QIODevice::WriteOnly)) {
        showWriteFailure(path, file->errorString());
        return false;
    }
    m_file = std::move(file);
    m_path = path;
    m_masker.flush();
    return true;
}

void TerminalCapture::write(const QString& block, bool masking)
{
    if (isCapturing())
        m_file->write(toWindows1252(m_masker.feed(block, masking)));
}

bool TerminalCapture::stop()
{
    if (!isCapturing())
        return false;
    m_file->write(toWindows1252(m_masker.flush()));
    const bool written = m_file->commit();
    if (!written)
        showWriteFailure(m_path, m_file->errorString());
    m_file.reset();
    return written;
}

bool TerminalCapture::rename(const QString& newName)
{
    const auto refuse = [this](const QString& text) {
        m_messages.showMessage(MessageSink::Severity::Information, kAppTitle, text);
        return false;
    };
    const QString name = newName.trimmed();
    if (name.isEmpty() || m_path.isEmpty())
        return false;
    if (name.indexOf(QStringLiteral(".txt"), 1) < 0)
        return refuse(QStringLiteral("Filename must end with '.txt'."));
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return refuse(QStringLiteral("Please enter a file name without a folder."));
    const QString target = QFileInfo(m_path).dir().filePath(name);
    if (name == fileName())
        return false;
    if (QFileInfo::exists(target))
        return refuse(QStringLiteral("A file named \"%1\" exists already.").arg(name));
    QFile file(m_path);
    if (!file.rename(target))
        return refuse(QStringLiteral("%1 cannot be renamed: %2").arg(fileName(), file.errorString()));
    m_path = target;
    return true;
}

} // namespace halvana
