// Tooltips show their text as typed. Qt takes a tooltip that merely looks
// like markup ("<b>x</b>" in a folder name) as rich text; this filter shows
// every widget's tooltip as plain text instead, spaces and line breaks kept.
// A widget's toolTip() stays the plain text, which is also what assistive
// tools read.
#pragma once

#include <QString>

namespace PlainToolTips {

// Installs the filter on the application, once.
void Install();
// The rich text that shows `text` literally.
QString Literal(const QString& text);

}  // namespace PlainToolTips
