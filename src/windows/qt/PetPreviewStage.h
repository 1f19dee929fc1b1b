#pragma once

#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "model/PetEnums.h"
#include "windows/ActionsScenes.h"

namespace pets {
class PetView;
}
namespace platform::qt {
class LayerHostWidget;
}

namespace windows::qt {

// One live pet on the stage: the desktop's pet view hosted in a widget. It remembers what it
// last applied, so an update only makes the calls that changed something; a new replay token
// replays the pose even when the pose stayed.
class PetRenderer {
public:
    PetRenderer(int index, QWidget* parent);
    ~PetRenderer();
    void update(model::PetActivity activity, PreviewHomeEnvironment environment, model::PetAccessory accessory,
                int replayToken);
    platform::qt::LayerHostWidget* widget() const { return host_; }
    pets::PetView& view() const { return *view_; }

private:
    std::unique_ptr<pets::PetView> view_;
    platform::qt::LayerHostWidget* host_;
    std::optional<model::PetActivity> lastActivity_;
    std::optional<PreviewHomeEnvironment> lastEnvironment_;
    std::optional<model::PetAccessory> lastAccessory_;
    std::optional<int> lastReplayToken_;
};

// A small dark stage with a mock home (the screen's top edge, or a Dock along one edge) and one
// or two live pets on it; the home is drawn in front of them, so it hides what lies behind it.
class PetPreviewStage final : public QWidget {
public:
    struct State {
        model::PetActivity activity = model::PetActivity::peeking;
        std::optional<model::PetActivity> secondaryActivity;
        PreviewHomeEnvironment environment = PreviewHomeEnvironment::notch;
        int petCount = 2;
        std::vector<model::PetAccessory> accessories;
        double motionOffset = 0;
        int replayToken = 0;
    };

    explicit PetPreviewStage(QWidget* parent = nullptr);
    ~PetPreviewStage() override;
    void setState(const State& state);
    const State& state() const { return state_; }
    PetRenderer* renderer(int index) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void place();

    State state_;
    std::array<std::unique_ptr<PetRenderer>, 2> renderers_;
    QWidget* overlay_;
};

}  // namespace windows::qt
