#include "model/PetCountSign.h"
#include "pets/view/PetView.h"

namespace pets {

void PetView::showCount(int64_t count) {
    displayedCount_ = count;
    layers_.signTextLayer->setString(model::PetCountSign::label(count));
    model::PetActivity previous = activity_;
    // A new showing raises the sign through the scene decor; one already shown is raised
    // again with the new number.
    setActivity(model::PetActivity::showingCount);
    if (previous == model::PetActivity::showingCount) playSceneAccent();
}

}  // namespace pets
