#pragma once

#include <QPushButton>
#include <QString>

namespace halvana {

// A button known by its control name; it never becomes its window's default button, so Enter
// in a text box presses nothing.
inline QPushButton* namedButton(const QString& name, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace halvana
