#pragma once

#include <QAbstractButton>
#include <QVariantAnimation>
#include <QWidget>

#include "menubar/stash/MenuBarMealStage.h"

namespace windows::qt {

// The stash card's small dark table: a miniature menu bar with four icons, the bean divider
// and the pet's face, in the state it is given or playing its demonstration.
class MenuBarMealStageView final : public QWidget {
public:
    explicit MenuBarMealStageView(bool isCollapsed, std::optional<double> previewProgress = std::nullopt,
                                  bool previewSpitting = false);
    menubar::stash::MenuBarMealStage& stage() { return stage_; }
    QAbstractButton* playButton() const { return play_; }
    // What is drawn now, part way through an animated change.
    const menubar::stash::MenuBarMealStage::Frame& shownFrame() const { return shown_; }
    QSize sizeHint() const override { return {560, 164}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void follow();

    menubar::stash::MenuBarMealStage stage_;
    menubar::stash::MenuBarMealStage::Frame from_, shown_;
    std::optional<double> lastDemoProgress_;
    QVariantAnimation transition_;
    QAbstractButton* play_;
};

}  // namespace windows::qt
