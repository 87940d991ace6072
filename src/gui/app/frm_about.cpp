#include "gui/app/frm_about.h"

#include "core/app/app_title.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QVBoxLayout>

namespace halvana {

FrmAbout::FrmAbout(const QString& settingsFile, const QString& programFolder, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ") + kAppTitle);

    auto* text = new QLabel(this);
    text->setObjectName(QStringLiteral("lblAbout"));
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text->setText(QStringLiteral("<h3>%1</h3>"
                                 "<p>Version %2, built %3</p>"
                                 "<p>Qt %4</p>"
                                 "<p>Settings file:<br>%5</p>"
                                 "<p>Program folder:<br>%6</p>")
                      .arg(kAppTitle.toHtmlEscaped(), QStringLiteral(HALVANA_VERSION),
                           QStringLiteral(__DATE__), QString::fromLatin1(qVersion()),
                           QDir::toNativeSeparators(settingsFile).toHtmlEscaped(),
                           QDir::toNativeSeparators(programFolder).toHtmlEscaped()));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
}

} // namespace halvana
