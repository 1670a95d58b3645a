// Controls whose accessible name stays put while what they show changes: a
// screen reader says what the control is by its name and reads what it shows
// as its value.
#pragma once

#include <QString>

class QComboBox;
class QLabel;

namespace StableAccessible {

// A label that shows a number between minimum and maximum: the name stays,
// the shown number is its value and its text.
void MarkValueLabel(QLabel* label, const QString& name, int minimum, int maximum);
// Tells assistive tools that the label's shown number changed.
void ValueChanged(QLabel* label);
// A combo box: the name stays whatever is typed or chosen; the text is its
// value (and the text of its edit field).
void MarkComboBox(QComboBox* combo, const QString& name);

}  // namespace StableAccessible
