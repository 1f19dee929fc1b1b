#include "windows/ActionsScenes.h"

namespace windows {

using model::PetActivity;
using model::PetLifeScene;

std::string title(PreviewHomeEnvironment environment) {
    return model::L10n::t(model::enumRow(environment).title);
}

pets::PetHome previewHome(PreviewHomeEnvironment environment) {
    pets::PetHome home;
    switch (environment) {
        case PreviewHomeEnvironment::notch:
            home.kind = model::PetHomeKind::notch;
            home.edge = model::HomeEdge::top;
            home.boundaryOffset = 34;
            break;
        case PreviewHomeEnvironment::dockBottom:
            home.edge = model::HomeEdge::bottom;
            home.boundaryOffset = 22;
            break;
        case PreviewHomeEnvironment::dockLeft:
            home.edge = model::HomeEdge::left;
            home.boundaryOffset = 22;
            break;
        case PreviewHomeEnvironment::dockRight:
            home.edge = model::HomeEdge::right;
            home.boundaryOffset = 34;
            break;
    }
    if (environment != PreviewHomeEnvironment::notch) home.kind = model::PetHomeKind::dock;
    return home;
}

platform::Point petPosition(int index, platform::Size size, PreviewHomeEnvironment environment, PetActivity activity,
                            int petCount, double motionOffset) {
    const double travel = index == 0 ? motionOffset : motionOffset * 0.42;
    const double spread = petCount == 1 ? 0 : index == 0 ? -31 : 31;
    const double w = size.width, h = size.height;
    switch (environment) {
        case PreviewHomeEnvironment::notch: {
            // Hanging from the screen's top edge, which is the stage's: resting pets are partly above it.
            double y = 34;
            switch (activity) {
                case PetActivity::home:
                case PetActivity::drowsy:
                case PetActivity::sleeping:
                case PetActivity::dreaming:
                case PetActivity::focusing:
                    y = 16;
                    break;
                case PetActivity::peeking:
                case PetActivity::typing:
                    y = 22;
                    break;
                default:
                    break;
            }
            return {w / 2 + spread + travel, y};
        }
        case PreviewHomeEnvironment::dockBottom:
            return {w / 2 + spread + travel, h - 46};
        case PreviewHomeEnvironment::dockLeft:
            return {38 + travel, h / 2 + spread};
        case PreviewHomeEnvironment::dockRight:
            return {w - 38 + travel, h / 2 + spread};
    }
    return {};
}

std::string_view sceneSymbol(PetLifeScene scene) {
    switch (scene) {
        case PetLifeScene::eating:
            return "fork.knife";
        case PetLifeScene::sleeping:
            return "moon.zzz.fill";
        case PetLifeScene::laughing:
            return "face.smiling.fill";
        case PetLifeScene::crying:
            return "drop.fill";
        case PetLifeScene::showingCount:
            return "number.square.fill";
        case PetLifeScene::running:
            return "figure.run";
    }
    return {};
}

PetActivity openingPose(PetLifeScene scene) {
    switch (scene) {
        case PetLifeScene::sleeping:
            return PetActivity::drowsy;
        case PetLifeScene::laughing:
            return PetActivity::greeting;
        case PetLifeScene::running:
            return PetActivity::stretching;
        default:
            return PetActivity::searching;
    }
}

const std::vector<PreviewBeat>& sceneBeats(PetLifeScene scene) {
    using A = PetActivity;
    static const std::vector<PreviewBeat> eating{
        {0.5, A::eating, A::searching}, {1.4, A::eating, A::eating}, {2.8, A::stretching, A::laughing}, {3.6, A::home, A::home}};
    static const std::vector<PreviewBeat> sleeping{
        {0.8, A::sleeping, A::peeking}, {4.6, A::waking, A::greeting}, {5.5, A::home, A::home}};
    static const std::vector<PreviewBeat> laughing{
        {0.4, A::laughing, A::searching}, {1.2, A::laughing, A::laughing}, {2.5, A::home, A::home}};
    static const std::vector<PreviewBeat> crying{
        {0.4, A::crying, A::searching}, {1.4, A::crying, A::greeting}, {2.4, A::laughing, A::cuddling}, {3.3, A::home, A::home}};
    static const std::vector<PreviewBeat> showingCount{{0.5, A::showingCount, A::peeking}, {3.2, A::home, A::home}};
    static const std::vector<PreviewBeat> running{
        {0.45, A::roaming, A::searching, 72}, {1.65, A::searching, A::chasing, 72}, {2.55, A::home, A::home, 0}};
    switch (scene) {
        case PetLifeScene::eating:
            return eating;
        case PetLifeScene::sleeping:
            return sleeping;
        case PetLifeScene::laughing:
            return laughing;
        case PetLifeScene::crying:
            return crying;
        case PetLifeScene::showingCount:
            return showingCount;
        case PetLifeScene::running:
            return running;
    }
    return eating;
}

model::PetActivityCategory category(PetActivity activity) {
    using C = model::PetActivityCategory;
    switch (activity) {
        case PetActivity::home:
        case PetActivity::idle:
        case PetActivity::peeking:
        case PetActivity::roaming:
        case PetActivity::perched:
            return C::daily;
        case PetActivity::drowsy:
        case PetActivity::sleeping:
        case PetActivity::dreaming:
        case PetActivity::waking:
            return C::rest;
        case PetActivity::typing:
        case PetActivity::lookingFar:
        case PetActivity::focusing:
        case PetActivity::stretching:
        case PetActivity::drinking:
        case PetActivity::eating:
        case PetActivity::showingCount:
            return C::rhythm;
        default:
            return C::play;
    }
}

std::string title(model::PetActivityCategory category) {
    switch (category) {
        case model::PetActivityCategory::daily:
            return model::L10n::t("日常");
        case model::PetActivityCategory::rest:
            return model::L10n::t("休息");
        case model::PetActivityCategory::rhythm:
            return model::L10n::t("节奏");
        case model::PetActivityCategory::play:
            return model::L10n::t("互动");
    }
    return {};
}

}  // namespace windows
