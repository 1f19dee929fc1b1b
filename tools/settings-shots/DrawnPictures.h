#pragma once

#include <QStringList>

class QWidget;

namespace settingsshots {

// The pictures under `root` (itself included) drawn smaller than their box or off its centre:
// a label's pixmap or a button's icon whose opaque part is small for its box or lies towards
// one side. Each entry names the widget and what was measured.
QStringList misplacedPictures(QWidget* root);

// The pet preview stages under `root` on which a shown pet is missing: too little of the pet's
// box changes when the pet is drawn over the stage. Measured on the whole window, where each
// pet is painted at its place in the window as it is on the screen.
QStringList emptyStages(QWidget* root);

// The pets on the preview stages under `root` whose dark fur melts into the dark stage: too
// little contrast between the fur and the stage along its outline, so only the eyes show.
QStringList faintPets(QWidget* root);

}  // namespace settingsshots
