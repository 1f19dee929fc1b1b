#include "windows/qt/PetPreviewStage.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "model/L10n.h"
#include "pets/view/PetView.h"
#include "platform/qt/LayerHostWidget.h"

namespace windows::qt {
namespace {

constexpr int kPetSide = 52;
constexpr double kRadius = 13;
// The light behind each pet: reaching a little past its fur, one grey wherever the stage's
// gradient puts the pet, and dark enough to stay a dark stage.
constexpr double kGlowRadius = 30;
const QColor kGlow(72, 72, 74);

QPainterPath stageShape(const QRectF& rect) {
    QPainterPath path;
    path.addRoundedRect(rect, kRadius, kRadius);
    return path;
}

// The home in front of the pets, and the stage's hairline border.
class HomeOverlay final : public QWidget {
public:
    HomeOverlay(PetPreviewStage* stage) : QWidget(stage), stage_(stage) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = rect();
        p.setClipPath(stageShape(r));
        const QColor material(255, 255, 255, 34);
        const QColor line(255, 255, 255, 46);
        constexpr double bar = 42;
        switch (stage_->state().environment) {
            case PreviewHomeEnvironment::notch:
                // A plain screen edge: the pets hang from the stage's top, which hides what lies above it.
                p.fillRect(QRectF(0, 0, r.width(), 1), line);
                break;
            case PreviewHomeEnvironment::dockBottom:
                p.fillRect(QRectF(0, r.height() - bar, r.width(), bar), material);
                p.fillRect(QRectF(0, r.height() - bar, r.width(), 1), line);
                break;
            case PreviewHomeEnvironment::dockLeft:
                p.fillRect(QRectF(0, 0, bar, r.height()), material);
                p.fillRect(QRectF(bar - 1, 0, 1, r.height()), line);
                break;
            case PreviewHomeEnvironment::dockRight:
                p.fillRect(QRectF(r.width() - bar, 0, bar, r.height()), material);
                p.fillRect(QRectF(r.width() - bar, 0, 1, r.height()), line);
                break;
        }
        p.setClipping(false);
        p.setPen(QPen(QColor(255, 255, 255, 26), 0.5));
        p.drawPath(stageShape(r.adjusted(0.25, 0.25, -0.25, -0.25)));
    }

private:
    PetPreviewStage* stage_;
};

}  // namespace

PetRenderer::PetRenderer(int index, QWidget* parent)
    : view_(std::make_unique<pets::PetView>(model::PetProfile{
          index, index == 0 ? model::L10n::t("栗栗") : model::L10n::t("丸丸"), index == 0})),
      host_(new platform::qt::LayerHostWidget(parent)) {
    view_->setFrame({0, 0, kPetSide, kPetSide});
    host_->setFixedSize(kPetSide, kPetSide);
    host_->setAttribute(Qt::WA_TranslucentBackground);
    host_->setRootLayer(view_->layer());
}

PetRenderer::~PetRenderer() = default;

void PetRenderer::update(model::PetActivity activity, PreviewHomeEnvironment environment, model::PetAccessory accessory,
                         int replayToken) {
    if (lastAccessory_ != accessory) {
        view_->setAccessory(accessory);
        lastAccessory_ = accessory;
    }
    if (lastEnvironment_ != environment) {
        view_->configureHome(previewHome(environment));
        lastEnvironment_ = environment;
    }
    if (lastActivity_ != activity || lastReplayToken_ != replayToken) {
        view_->replayPreview(activity, model::KeyboardReactionStyle::bounce);
        lastActivity_ = activity;
        lastReplayToken_ = replayToken;
    }
}

PetPreviewStage::PetPreviewStage(QWidget* parent) : QWidget(parent) {
    setObjectName("previewStage");
    setFixedHeight(150);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    for (int i = 0; i < 2; ++i) renderers_[static_cast<size_t>(i)] = std::make_unique<PetRenderer>(i, this);
    overlay_ = new HomeOverlay(this);
    setState(state_);
}

PetPreviewStage::~PetPreviewStage() = default;

PetRenderer* PetPreviewStage::renderer(int index) const {
    return index >= 0 && index < state_.petCount ? renderers_[static_cast<size_t>(index)].get() : nullptr;
}

void PetPreviewStage::setState(const State& state) {
    state_ = state;
    state_.petCount = std::clamp(state_.petCount, 1, 2);
    for (int i = 0; i < 2; ++i) {
        auto& renderer = *renderers_[static_cast<size_t>(i)];
        renderer.widget()->setVisible(i < state_.petCount);
        if (i >= state_.petCount) continue;
        const auto activity = i == 0 ? state_.activity : state_.secondaryActivity.value_or(state_.activity);
        const auto accessory = static_cast<size_t>(i) < state_.accessories.size() ? state_.accessories[static_cast<size_t>(i)]
                                                                                  : model::PetAccessory::none;
        renderer.update(activity, state_.environment, accessory, state_.replayToken);
    }
    place();
    overlay_->update();
}

void PetPreviewStage::place() {
    const platform::Size size{static_cast<double>(width()), static_cast<double>(height())};
    for (int i = 0; i < state_.petCount; ++i) {
        const auto centre = petPosition(i, size, state_.environment, state_.activity, state_.petCount, state_.motionOffset);
        renderers_[static_cast<size_t>(i)]->widget()->move(qRound(centre.x - kPetSide / 2.0),
                                                           qRound(centre.y - kPetSide / 2.0));
    }
    overlay_->setGeometry(rect());
    overlay_->raise();
    update();  // the light behind the pets follows them
}

void PetPreviewStage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    place();
}

void PetPreviewStage::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = rect();
    const QPainterPath shape = stageShape(r);
    QLinearGradient base(r.topLeft(), r.bottomRight());
    base.setColorAt(0, QColor::fromRgbF(0.15f, 0.15f, 0.15f));
    base.setColorAt(1, QColor::fromRgbF(0.08f, 0.08f, 0.08f));
    p.fillPath(shape, base);
    QLinearGradient sheen(r.topLeft(), r.bottomLeft());
    sheen.setColorAt(0, QColor(255, 255, 255, 9));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillPath(shape, sheen);
    // The pets' black fur would melt into the dark stage, leaving only their eyes: a soft light
    // behind each lifts the stage around its outline.
    p.setClipPath(shape);
    for (int i = 0; i < state_.petCount; ++i) {
        const QRectF pet = renderers_[static_cast<size_t>(i)]->widget()->geometry();
        QRadialGradient glow(pet.center(), kGlowRadius);
        QColor edge = kGlow;
        edge.setAlpha(0);
        glow.setColorAt(0, kGlow);
        glow.setColorAt(0.6, kGlow);
        glow.setColorAt(1, edge);
        p.fillRect(QRectF(pet.center() - QPointF(kGlowRadius, kGlowRadius), QSizeF(2 * kGlowRadius, 2 * kGlowRadius)),
                   glow);
    }
}

}  // namespace windows::qt
