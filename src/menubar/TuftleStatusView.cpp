#include "menubar/TuftleStatusView.h"

#include <algorithm>

#include "platform/Services.h"

namespace menubar {
namespace {

TuftleStatusView::Renderer& renderer() {
    static TuftleStatusView::Renderer r;
    return r;
}

struct Fit {
    double scale, x, y;
};

Fit fit(const StatusPicture& p, const platform::Rect& icon) {
    const double width = p.pelletsHidden
                             ? StatusPicture::faceSize.width
                             : StatusPicture::dividerSize.width + StatusPicture::gap + StatusPicture::faceSize.width;
    const double height = StatusPicture::faceSize.height;
    const double scale = std::min(icon.width() / width, icon.height() / height);
    return {scale, icon.midX() - width * scale / 2, icon.midY() - height * scale / 2};
}

}  // namespace

platform::Rect StatusPicture::faceRect(const platform::Rect& icon) const {
    const Fit f = fit(*this, icon);
    const double left = pelletsHidden ? 0 : dividerSize.width + gap;
    return {f.x + left * f.scale, f.y, faceSize.width * f.scale, faceSize.height * f.scale};
}

platform::Rect StatusPicture::dividerRect(const platform::Rect& icon) const {
    const Fit f = fit(*this, icon);
    return {f.x, f.y, dividerSize.width * f.scale, dividerSize.height * f.scale};
}

void TuftleStatusView::setRenderer(Renderer r) {
    renderer() = std::move(r);
}

void TuftleStatusView::show(const stash::MenuBarMealFaceState& state) {
    picture_ = StatusPicture{state.gaze, state.mouth, std::clamp(state.pelletProgress, 0.0, 1.0), state.isSpitting,
                             !state.showsPellets};
    if (renderer()) renderer()(item_, *picture_);
}

std::optional<platform::Rect> TuftleStatusView::recoveryFaceScreenFrame() const {
    const auto icon = item_.geometry();
    if (!picture_ || !item_.isVisible() || !icon || icon->isEmpty()) return std::nullopt;
    const platform::Rect face = picture_->faceRect(*icon);
    // A face partly off every screen counts as not visible.
    for (const auto& screen : platform::screenList().screens())
        if (screen.frame.intersection(face) == face) return face;
    return std::nullopt;
}

}  // namespace menubar
