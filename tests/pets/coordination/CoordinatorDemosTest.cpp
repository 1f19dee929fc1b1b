#include "pets/coordination/CoordinatorTestSupport.h"
#include "pets/view/PetView.h"

namespace pets::testing {
namespace {

using model::PetActivity;

// A pose played on the desktop and the same pose in the settings preview show the pet in the
// same place: docked in its home, or out.
TEST_F(CoordinatorPlayTest, desktopPoseAndPreview_dockThePetForTheSamePoses) {
    const struct {
        PetActivity pose;
        bool docked;
    } cases[] = {
        {PetActivity::home, true},          {PetActivity::sleeping, true},    {PetActivity::typing, true},
        {PetActivity::focusing, true},      {PetActivity::perched, false},    {PetActivity::idle, false},
        {PetActivity::showingCount, false}, {PetActivity::celebrating, false}, {PetActivity::roaming, false},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(coordinator->performDesktopPose(c.pose, model::DesktopDemoTarget::first));
        sim.loop.advance(0.5);
        EXPECT_EQ(view(0).isHomeAttached(), c.docked) << "on the desktop: " << int(c.pose);

        PetView preview(model::PetProfile{0, "Lili", true});
        preview.replayPreview(c.pose, model::KeyboardReactionStyle::bounce);
        EXPECT_EQ(preview.isHomeAttached(), c.docked) << "in the preview: " << int(c.pose);
        sim.loop.advance(3);  // the pose's hold ends and the pet goes home
    }
}

}  // namespace
}  // namespace pets::testing