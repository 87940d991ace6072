#pragma once

#include <QObject>
#include <QString>

namespace halvana {

// The text of the service console (`rtbTerm`) and the rules by which received text reaches it:
// line ends, erase blocks and backspaces, escapes (also across blocks), the length limit and
// password masking. Every change is announced as an edit at the front or the end, or as a
// replacement, so a view can follow it without redrawing the whole text.
//
// Line ends are kept as '\n' whatever the unit sends (CR LF, a lone CR or a lone LF), so that a
// position in this text is the position in a plain-text view.
class ConsoleText : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxCharacters = 250000;
    // Trimming keeps the text from this character (1-based) on, then from the next line.
    static constexpr int kTrimFrom = 20000;

    using QObject::QObject;

    const QString& text() const { return m_text; }

    // The password-masking flag: while it is set the device passwords are shown as asterisks.
    bool isMasking() const { return m_masking; }
    void setMasking(bool masking);

    // The display routine for one received block.
    void receive(const QString& block);

signals:
    void frontRemoved(int count);
    void backRemoved(int count);
    void appended(const QString& text);
    void replaced(int position, const QString& text);

private:
    void trim();
    void removeBack(int count);
    void mask();

    QString m_text;
    bool m_masking = false;
    // A block ended in an escape: the next block's first character goes with it.
    bool m_skipNext = false;
    // The last character received was a CR, so an LF right after it ends no further line.
    bool m_afterCr = false;
    // Where the text not yet searched for passwords begins.
    int m_scanFrom = 0;
};

} // namespace halvana
