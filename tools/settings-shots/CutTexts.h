#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace settingsshots {

// The texts under `root` (itself included) that are shown but do not fit their widget: a
// single line wider than its label or button, or wrapped lines taller than their label.
// Each entry names the widget and the text. Hidden widgets and those marked as allowed to
// elide are passed over.
QStringList cutTexts(QWidget* root);

// The wrapped texts under `root` that are shown a whole line or more taller than their lines
// at their width, so a blank line opens below or around them.
QStringList looseTexts(QWidget* root);

}  // namespace settingsshots
