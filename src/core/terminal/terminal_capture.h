#pragma once

#include "core/terminal/password_masking.h"

#include <QString>

#include <memory>

class QSaveFile;

namespace halvana {

class MessageSink;

// A capture of what the unit sends on the service port into the next free "Download_###.txt"
// of the downloads folder: the bytes as they came, with the device passwords masked while the
// console masks them. The file appears whole when the capture stops, never half written.
class TerminalCapture {
public:
    explicit TerminalCapture(MessageSink& messages);
    ~TerminalCapture();

    bool isCapturing() const { return m_file != nullptr; }
    // The file of the capture running or last made; empty before the first.
    QString fileName() const;
    const QString& filePath() const { return m_path; }

    // `lblFilename` while capturing and after.
    static QString capturingText(const QString& fileName);
    static QString capturedText(const QString& fileName);

    // Makes the folder when it is missing and opens the next free file there; false, with the
    // reason shown, when that fails.
    bool start(const QString& folder);
    // A block as the console received it.
    void write(const QString& block, bool masking);
    // Puts the file in place; false, with the reason shown, when it could not be written.
    bool stop();
    // Renames the captured file in its folder. An empty name does nothing; a name without
    // ".txt" after its first character, or one in use, is refused with a message.
    bool rename(const QString& newName);

private:
    void showWriteFailure(const QString& path, const QString& reason);

    MessageSink& m_messages;
    std::unique_ptr<QSaveFile> m_file;
    StreamMasker m_masker;
    QString m_path;
};

} // namespace halvana
