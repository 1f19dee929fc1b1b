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

}  // namespace settingsshots
