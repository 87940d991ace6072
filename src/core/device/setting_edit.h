#pragma once

#include "core/app/login_level.h"

#include <QString>

#include <optional>

namespace halvana {

class Sequencer;
class SettingWrites;

// A double-clicked cell of a meter table, as the grid's double-click handler sees it.
struct SettingCell {
    int table = -1;
    QString caption;
    LoginLevel level = LoginLevel::LoggedOut;
    int RegisterMapVersion = 2;
    // Grid coordinates: row 0 is the heading, column 1 the description, column 2 the first meter.
    int row = 0;
    int column = 0;
    QString text;
};

// What editing a cell writes: one register of a meter's setting, or a global value for a panel.
struct SettingEditTarget {
    enum class Kind { None, Single, Global };
    Kind kind = Kind::None;
    int WriteRegister = 0;
    // The step the cycle resumes at after a single write, so the changed block is read again.
    int PollStep = 0;
    int GlobalWriteRegister = 0;

    bool editable() const { return kind != Kind::None; }
};

namespace SettingEdit {

inline constexpr int kMaxValue = 32767;
inline const QString kCaption = QStringLiteral("Change Setting");
inline const QString kRangeMessage = QStringLiteral("Please enter a value from 0 to 32767.");
inline const QString kNewValuePrompt = QStringLiteral("Please enter a new value . . .");
inline const QString kGlobalPrompt = QStringLiteral("Please enter a Parent ID and a Global Value for that panel . . .");

// The grid double-click's gate and register arithmetic; Kind::None when the cell is not edited.
SettingEditTarget target(const SettingCell& cell);
// Rows a level-1 user may not change on a map-version-2 unit.
bool rowLocked(int table, int row, LoginLevel level, int mapVersion);
// The register of row `row`, meter column `column` of a settings table (0, 2, 9); 0 for others.
int singleWriteRegister(int table, int mapVersion, int row, int column);
// The global register (52..63) a row of the branch or three-phase settings table selects; 0
// for any other row.
int globalWriteRegister(int table, int mapVersion, int row);

// The decimal scale of a cell's text: 10, 100 or 1000 for one, two or three digits after the
// first "."; 1 otherwise.
int scaleOf(const QString& text);
// True for what the value box accepts: an optional sign, digits and at most one ".", with at
// least one digit.
bool isNumeric(const QString& text);
// How scaledValue treats a product with a fraction left.
enum class Fraction { RoundHalfEven, MustBeWhole };
// The raw register value of `text` x `scale`, computed exactly in decimal and rounded halves
// to even (or refused with MustBeWhole); nothing when the text is not numeric or the exact
// product lies outside 0..maxValue.
std::optional<int> scaledValue(const QString& text, int scale, int maxValue = kMaxValue,
                               Fraction fraction = Fraction::RoundHalfEven);
// The panel box: text whose value is not 1..6 (empty text counts as 0) becomes "1".
QString panelBoxText(const QString& text);

// Hands a confirmed edit to the writes; the write leaves on the next tick. False when a write
// is already under way.
bool start(const SettingEditTarget& target, int value, int panel, SettingWrites& writes, Sequencer& sequencer);

} // namespace SettingEdit

// The logic of the change-setting dialog `frmChangeSetting`: what its value box starts with,
// what it reverts to and what OK hands back. The global prompt starts empty at scale 1: the
// description cell's text is no value.
class ChangeSettingForm {
public:
    ChangeSettingForm(const QString& CurrentSettingText, bool global);

    bool isGlobal() const { return m_global; }
    int scale() const { return m_scale; }
    QString initialText() const { return m_current; }
    // The value box's text after a change: non-numeric text goes back to the current value.
    QString valueTextChanged(const QString& text) const;
    // OK is taken only for numeric text.
    bool canAccept(const QString& valueText) const { return SettingEdit::isNumeric(valueText); }

    struct Result {
        // The raw value to write; nothing with `refusal` set when it is out of range.
        std::optional<int> value;
        int PanelNumber = 1;
        QString refusal;
    };
    Result accept(const QString& valueText, const QString& panelText) const;

private:
    QString m_current;
    bool m_global;
    int m_scale;
};

} // namespace halvana
