#include "pets/view/PetView.h"

namespace pets {

void PetView::celebrate() {
    // The sparkles flow until the next activity is applied. The hop is added by the
    // celebration behaviour.
    layers_.sparkleLayer->setBirthRate(reduceMotion() ? 0 : 1);
}

}  // namespace pets
