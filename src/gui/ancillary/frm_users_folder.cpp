#include "gui/ancillary/frm_users_folder.h"

#include "core/app/app_title.h"
#include "gui/ancillary/frm_change_folder.h"
#include "gui/app/shell_services.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QUrl>
#include <QVBoxLayout>

namespace halvana {

FrmUsersFolder::FrmUsersFolder(AppSettings& settings, const AppFolders& folders, ShellServices& shell,
                               QWidget* parent)
    : QWidget(parent), m_settings(settings), m_locations(settings, folders), m_shell(shell)
{
    setObjectName(QStringLiteral("frmUsersFolder"));
    setWindowTitle(QStringLiteral("Folder Locations"));

    auto* layout = new QVBoxLayout(this);
    const char* const frames[] = {"Downloads Folder", "Scripts Folder", "App Settings Folder"};
    for (int i = 0; i < 3; ++i) {
        auto* frame = new QGroupBox(QString::fromLatin1(frames[i]), this);
        auto* row = new QHBoxLayout(frame);
        txtFolder[size_t(i)] = new QLineEdit(frame);
        txtFolder[size_t(i)]->setObjectName(QStringLiteral("txtFolder%1").arg(i));
        txtFolder[size_t(i)]->setReadOnly(true);
        txtFolder[size_t(i)]->setMinimumWidth(420);
        cmdOpen[size_t(i)] = new QPushButton(QStringLiteral("Open"), frame);
        cmdOpen[size_t(i)]->setObjectName(QStringLiteral("cmdOpen%1").arg(i));
        cmdChange[size_t(i)] = new QPushButton(QStringLiteral("Change"), frame);
        cmdChange[size_t(i)]->setObjectName(QStringLiteral("cmdChange%1").arg(i));
        row->addWidget(txtFolder[size_t(i)], 1);
        row->addWidget(cmdOpen[size_t(i)]);
        row->addWidget(cmdChange[size_t(i)]);
        layout->addWidget(frame);
        connect(cmdOpen[size_t(i)], &QPushButton::clicked, this, [this, i] { cmdOpen_Click(i); });
        connect(cmdChange[size_t(i)], &QPushButton::clicked, this, [this, i] { cmdChange_Click(i); });
    }
    // The settings live beside the store the program was started with; they do not move.
    cmdChange[FolderLocations::Settings]->setEnabled(false);
    cmdChange[FolderLocations::Settings]->setToolTip(QStringLiteral("The settings folder cannot be changed."));

    cmdCancel = new QPushButton(QStringLiteral("Close"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdCancel, &QPushButton::clicked, this, [this] { parentWidget() ? parentWidget()->close() : close(); });
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, cmdCancel, &QPushButton::click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons);

    showFolders();
}

void FrmUsersFolder::showFolders()
{
    for (int i = 0; i < 3; ++i)
        txtFolder[size_t(i)]->setText(QDir::toNativeSeparators(m_locations.folderInUse(i)));
}

void FrmUsersFolder::cmdOpen_Click(int index)
{
    const QString folder = m_locations.folderInUse(index);
    if (!QFileInfo(folder).isDir()) {
        m_shell.showMessage(MessageSink::Severity::Warning, kAppTitle,
                            QStringLiteral("The folder, '%1', was not found.").arg(QDir::toNativeSeparators(folder)));
        return;
    }
    if (!m_shell.openUrl(QUrl::fromLocalFile(folder)))
        m_shell.showMessage(MessageSink::Severity::Warning, kAppTitle,
                            QStringLiteral("No file browser could open '%1'.").arg(QDir::toNativeSeparators(folder)));
}

void FrmUsersFolder::cmdChange_Click(int index)
{
    if (!m_locations.canChange(index))
        return;
    QLineEdit* box = txtFolder[size_t(index)];
    const QString oldStyle = box->styleSheet();
    box->setStyleSheet(QStringLiteral("QLineEdit { background: #fff3b0; }"));
    FrmChangeFolder dialog(index, m_settings, m_locations.folders(), m_shell, this);
    m_shell.runDialog(dialog);
    box->setStyleSheet(oldStyle);
    showFolders();
}

} // namespace halvana
