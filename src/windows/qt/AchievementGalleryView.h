#pragma once

#include <QAbstractButton>
#include <QPointer>
#include <QWidget>

#include "windows/AchievementWall.h"

class QLabel;
class QVariantAnimation;

namespace windows::qt {

// The medal of one achievement: a gradient ring with a ribbon, a face with the achievement's
// symbol (a lock while locked) and, once lit, a glow and a sparkle that fades in on first show.
class AchievementMedal final : public QWidget {
public:
    AchievementMedal(model::CompanionAchievementState state, double size, QWidget* parent = nullptr);
    QSize sizeHint() const override;
    // The sparkle's opacity, 0 ... 1.
    double sparkleOpacity() const { return sparkle_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QImage body(qreal dpr) const;

    model::CompanionAchievementState state_;
    double size_;
    double sparkle_ = 0;
    bool appeared_ = false;
    mutable QImage cache_;
    QPointer<QVariantAnimation> appear_;
};

// One cell of the wall: medal, title, condition, progress bar and status; it lights up under
// the pointer.
class AchievementBadgeTile final : public QAbstractButton {
public:
    explicit AchievementBadgeTile(model::CompanionAchievementState state, QWidget* parent = nullptr);
    const model::CompanionAchievementState& state() const { return state_; }
    // Shows `state` (redrawn only when it differs).
    void setState(model::CompanionAchievementState state);
    bool isHovering() const { return hovering_; }
    QSize sizeHint() const override { return {200, 218}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void setHovering(bool hovering);
    void build();

    model::CompanionAchievementState state_;
    bool hovering_ = false;
};

// The achievement wall: header, the collection's hero card, and the three-column grid of
// tiles; a click on a tile opens the achievement's detail.
class AchievementGalleryView final : public QWidget {
public:
    explicit AchievementGalleryView(AchievementStates states, QWidget* parent = nullptr);

    // Shows newer states of the same achievements in place: the count, the next badge, the
    // summary and every tile that changed.
    void setStates(AchievementStates states);
    // Opens the detail of `badge` (nothing when no state has it); it closes by itself.
    void selectBadge(model::CompanionUnlock badge);
    // The open detail, if any.
    QWidget* detail() const { return detail_; }
    QList<AchievementBadgeTile*> tiles() const;

private:
    QWidget* hero();
    QWidget* badgeDetail(const model::CompanionAchievementState& state);

    AchievementStates states_;
    QPointer<QWidget> detail_;
    std::vector<AchievementBadgeTile*> tiles_;
    QLabel* count_ = nullptr;
    QLabel* next_ = nullptr;
    QLabel* summary_ = nullptr;
};

}  // namespace windows::qt
