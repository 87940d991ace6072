#include "gui/terminal/console_view.h"

#include "core/terminal/console_text.h"

#include <QFontDatabase>
#include <QScrollBar>
#include <QTextCursor>

namespace halvana {

ConsoleView::ConsoleView(ConsoleText& text, QWidget* parent) : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("rtbTerm"));
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setPlainText(text.text());
    connect(&text, &ConsoleText::appended, this, &ConsoleView::append);
    connect(&text, &ConsoleText::frontRemoved, this, &ConsoleView::removeFront);
    connect(&text, &ConsoleText::backRemoved, this, &ConsoleView::removeBack);
    connect(&text, &ConsoleText::replaced, this, &ConsoleView::replace);
    toEnd();
}

void ConsoleView::append(const QString& text)
{
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    toEnd();
}

void ConsoleView::removeFront(int count)
{
    QTextCursor cursor(document());
    cursor.setPosition(count, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void ConsoleView::removeBack(int count)
{
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor, count);
    cursor.removeSelectedText();
}

void ConsoleView::replace(int position, const QString& text)
{
    QTextCursor cursor(document());
    cursor.setPosition(position);
    cursor.setPosition(position + int(text.size()), QTextCursor::KeepAnchor);
    cursor.insertText(text);
    toEnd();
}

void ConsoleView::toEnd()
{
    moveCursor(QTextCursor::End);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

} // namespace halvana
