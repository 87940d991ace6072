#pragma once

#include <QDialog>

namespace halvana {

// The about box: program version and build date, and where the program keeps its settings.
class FrmAbout : public QDialog {
    Q_OBJECT
public:
    FrmAbout(const QString& settingsFile, const QString& programFolder, QWidget* parent = nullptr);
};

} // namespace halvana
