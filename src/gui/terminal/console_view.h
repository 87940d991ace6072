#pragma once

#include <QPlainTextEdit>

namespace halvana {

class ConsoleText;

// `rtbTerm`: shows a console text and follows its edits one by one, so a block costs what the
// block is, however long the text has grown; the caret stays at the end.
class ConsoleView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ConsoleView(ConsoleText& text, QWidget* parent = nullptr);

private:
    void append(const QString& text);
    void removeFront(int count);
    void removeBack(int count);
    void replace(int position, const QString& text);
    void toEnd();
};

} // namespace halvana
