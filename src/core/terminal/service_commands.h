#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace halvana {

class MessageSink;

// The ready-made service-port commands of the terminal window: the row of command buttons
// ("SP_Cmd_Buttons.txt", one command per line) and the command list ("BCM2G_SP_Cmds.txt", a
// description, a TAB and the command per line).
namespace service_commands {

inline const QString kButtonsFile = QStringLiteral("SP_Cmd_Buttons.txt");
inline const QString kListFile = QStringLiteral("BCM2G_SP_Cmds.txt");
inline constexpr int kButtonCount = 10;

struct Button {
    QString caption;
    QString command;
};

// A button shows its command when that is at most 9 characters long, else its first 5.
QString buttonCaption(const QString& command);
// The first kButtonCount lines, as buttons; fewer lines give fewer buttons.
QVector<Button> buttons(const QStringList& lines);

// The command of a list entry: the text after its first TAB up to the next one; empty when the
// entry has no TAB or nothing after it.
QString listCommand(const QString& entry);
// The entry as its tool-tip shows it, every TAB three blanks.
QString listToolTip(const QString& entry);
// A command row: command, one blank and argument, trimmed, with every CR LF pair deleted.
QString commandWithArgument(const QString& command, const QString& argument);

// The lines of a definition file in `programFolder`; a missing one is reported.
QStringList readFile(const QString& programFolder, const QString& name, MessageSink& messages);

} // namespace service_commands

} // namespace halvana
