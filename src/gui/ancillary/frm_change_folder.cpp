#include "gui/ancillary/frm_change_folder.h"

#include "core/app/shell_settings.h"
#include "gui/ancillary/folder_drop_edit.h"
#include "gui/app/shell_services.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace halvana {

FrmChangeFolder::FrmChangeFolder(int folderIndex, AppSettings& settings, const AppFolders& folders,
                                 ShellServices& shell, QWidget* parent)
    : QDialog(parent), m_folderIndex(folderIndex), m_settings(settings), m_locations(settings, folders), m_shell(shell)
{
    setObjectName(QStringLiteral("frmChangeFolder"));
    setWindowTitle(FolderLocations::changeCaption(folderIndex));

    auto* grid = new QGridLayout;
    const char* const labels[] = {"Default", "Custom"};
    for (int i = 0; i < 2; ++i) {
        optFolderSelection[size_t(i)] = new QRadioButton(QString::fromLatin1(labels[i]), this);
        optFolderSelection[size_t(i)]->setObjectName(QStringLiteral("optFolderSelection%1").arg(i));
        txtFolder[size_t(i)] = new FolderDropEdit(this);
        txtFolder[size_t(i)]->setObjectName(QStringLiteral("txtFolder%1").arg(i));
        txtFolder[size_t(i)]->setMinimumWidth(420);
        grid->addWidget(optFolderSelection[size_t(i)], i, 0);
        grid->addWidget(txtFolder[size_t(i)], i, 1);
    }
    txtFolder[0]->setReadOnly(true);
    txtFolder[0]->setText(QDir::toNativeSeparators(m_locations.defaultFolder(folderIndex)));
    txtFolder[1]->setText(QDir::toNativeSeparators(m_locations.customFolder(folderIndex)));
    cmdBrowse = new QPushButton(QStringLiteral("Browse..."), this);
    cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
    grid->addWidget(cmdBrowse, 1, 2);
    connect(cmdBrowse, &QPushButton::clicked, this, &FrmChangeFolder::browseForCustomFolder);
    // Typing into the custom box means the custom folder is wanted.
    connect(txtFolder[1], &QLineEdit::textEdited, optFolderSelection[1], [this] { optFolderSelection[1]->setChecked(true); });

    optFolderSelection[size_t(m_locations.storedOption(folderIndex))]->setChecked(true);

    cmdSave = new QPushButton(QStringLiteral("Save"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdSave, &QPushButton::clicked, this, &FrmChangeFolder::cmdSave_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
}

void FrmChangeFolder::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Once the dialog is up, the box of the chosen option takes the typing.
    QTimer::singleShot(0, this, [this] {
        txtFolder[optFolderSelection[1]->isChecked() ? 1 : 0]->setFocus();
    });
}

void FrmChangeFolder::browseForCustomFolder()
{
    const QString chosen = m_shell.chooseFolder(windowTitle(), QDir::fromNativeSeparators(txtFolder[1]->text()));
    if (chosen.isEmpty())
        return;
    txtFolder[1]->setText(QDir::toNativeSeparators(chosen));
    optFolderSelection[1]->setChecked(true);
}

void FrmChangeFolder::cmdSave_Click()
{
    const bool custom = optFolderSelection[1]->isChecked();
    m_locations.save(m_folderIndex, custom ? FolderLocations::CustomFolder : FolderLocations::DefaultFolder,
                     QDir::fromNativeSeparators(txtFolder[1]->text().trimmed()));
    // A folder that could not be stored stays as it was; the dialog stays open.
    if (!saveSettings(m_settings, m_shell))
        return;
    accept();
}

} // namespace halvana
