#include "windows/qt/AchievementGalleryView.h"

#include <QApplication>
#include <QEnterEvent>
#include <QGraphicsDropShadowEffect>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>
#include <QVariantAnimation>
#include <cmath>
#include <string_view>

#include "model/AppModel.h"
#include "model/L10n.h"
#include "platform/Services.h"
#include "platform/qt/SymbolImages.h"
#include "windows/qt/ChangeFollower.h"
#include "windows/qt/SettingsBlocks.h"
#include "windows/qt/SettingsPages.h"

namespace windows::qt {
namespace {

using model::CompanionUnlock;
using model::L10n;

struct BadgeLook {
    const char* symbol;
    double red, green, blue;
};

// Each achievement's colour and symbol; only the tile and the medal use them.
BadgeLook look(CompanionUnlock badge) {
    switch (badge) {
        case CompanionUnlock::firstSteps: return {"sparkle", 0.91, 0.58, 0.30};
        case CompanionUnlock::keyboardFriend: return {"keyboard.fill", 0.30, 0.57, 0.87};
        case CompanionUnlock::steadyCompanion: return {"heart.fill", 0.30, 0.66, 0.56};
        case CompanionUnlock::focusBuddy: return {"timer", 0.55, 0.44, 0.84};
        case CompanionUnlock::focusApprentice: return {"hourglass", 0.52, 0.49, 0.79};
        case CompanionUnlock::oldFriend: return {"hands.sparkles.fill", 0.81, 0.57, 0.25};
        case CompanionUnlock::keyRhythm: return {"waveform.path", 0.28, 0.60, 0.85};
        case CompanionUnlock::weekTogether: return {"calendar", 0.76, 0.51, 0.42};
        case CompanionUnlock::typingMeteor: return {"star.fill", 0.25, 0.68, 0.76};
        case CompanionUnlock::longDay: return {"sun.max.fill", 0.86, 0.56, 0.29};
        case CompanionUnlock::focusGuardian: return {"moon.stars.fill", 0.49, 0.55, 0.81};
        case CompanionUnlock::twoWeeks: return {"calendar.badge.clock", 0.74, 0.47, 0.62};
        case CompanionUnlock::keyGalaxy: return {"sparkles", 0.31, 0.55, 0.77};
        case CompanionUnlock::longCompanion: return {"infinity", 0.83, 0.42, 0.54};
        case CompanionUnlock::focusMaster: return {"medal.fill", 0.49, 0.43, 0.78};
        case CompanionUnlock::hundredHours: return {"heart.circle.fill", 0.68, 0.52, 0.75};
    }
    return {"sparkle", 0.5, 0.5, 0.5};
}

QColor accent(CompanionUnlock badge) {
    const BadgeLook l = look(badge);
    return QColor::fromRgbF(float(l.red), float(l.green), float(l.blue));
}

QColor withAlpha(QColor color, double alpha) {
    color.setAlphaF(float(alpha));
    return color;
}

const QColor kSystemGray(142, 142, 147);
// Room around the medal's frame, in medal sizes, for its glow and shadow to fade out.
constexpr double kSpread = 0.25;

// Three box passes come close to a Gaussian blur of about `radius` pixels.
QImage blurred(QImage image, int radius) {
    if (radius < 1) return image;
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = image.width(), h = image.height();
    std::vector<int> line(std::max(w, h) * 4);
    auto pass = [&](bool horizontal) {
        const int count = horizontal ? h : w, length = horizontal ? w : h;
        for (int i = 0; i < count; ++i) {
            auto pixel = [&](int j) -> QRgb& {
                return horizontal ? reinterpret_cast<QRgb*>(image.scanLine(i))[j]
                                  : reinterpret_cast<QRgb*>(image.scanLine(j))[i];
            };
            for (int j = 0; j < length; ++j) {
                const QRgb p = pixel(j);
                line[j * 4] = qAlpha(p), line[j * 4 + 1] = qRed(p), line[j * 4 + 2] = qGreen(p), line[j * 4 + 3] = qBlue(p);
            }
            int sum[4] = {0, 0, 0, 0};
            const int span = 2 * radius + 1;
            for (int j = -radius - 1; j < length; ++j) {
                const int in = j + radius, out = j - radius - 1;
                for (int c = 0; c < 4; ++c) {
                    if (in >= 0 && in < length) sum[c] += line[in * 4 + c];
                    if (out >= 0) sum[c] -= line[out * 4 + c];
                }
                if (j >= 0) pixel(j) = qRgba(sum[1] / span, sum[2] / span, sum[3] / span, sum[0] / span);
            }
        }
    };
    for (int n = 0; n < 3; ++n) {
        pass(true);
        pass(false);
    }
    return image;
}

// A disc of `diameter` around `centre` in `color`, blurred by `radius` points.
void drawSoftDisc(QPainter& p, QPointF centre, double diameter, const QColor& color, double radius, qreal dpr) {
    const double margin = radius * 3;
    const double side = diameter + 2 * margin;
    QImage disc(QSize(qCeil(side * dpr), qCeil(side * dpr)), QImage::Format_ARGB32_Premultiplied);
    disc.fill(Qt::transparent);
    {
        QPainter d(&disc);
        d.setRenderHint(QPainter::Antialiasing);
        d.scale(dpr, dpr);
        d.setPen(Qt::NoPen);
        d.setBrush(color);
        d.drawEllipse(QRectF(margin, margin, diameter, diameter));
    }
    disc = blurred(disc, qRound(radius * dpr));
    disc.setDevicePixelRatio(dpr);
    p.drawImage(QPointF(centre.x() - side / 2, centre.y() - side / 2), disc);
}

// A ribbon band with a V notch cut into its lower edge.
QPainterPath ribbonTail(const QRectF& r) {
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right(), r.top());
    path.lineTo(r.left() + r.width() * 0.88, r.bottom());
    path.lineTo(r.center().x(), r.top() + r.height() * 0.76);
    path.lineTo(r.left() + r.width() * 0.12, r.bottom());
    path.closeSubpath();
    return path;
}

// A line of text cut to the width with an ellipsis.
class OneLineLabel final : public QLabel {
public:
    OneLineLabel(const std::string& text, const QFont& font, const QColor& color) : color_(color) {
        setText(QString::fromStdString(text));
        setFont(font);
        setMinimumWidth(10);
        setProperty(kMayElide, true);
    }
    QSize minimumSizeHint() const override { return {10, QLabel::minimumSizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(color_);
        p.drawText(rect(), Qt::AlignCenter, fontMetrics().elidedText(text(), Qt::ElideRight, width()));
    }

private:
    QColor color_;
};

QFont systemFont(double pixels, QFont::Weight weight) {
    QFont font = QApplication::font();
    font.setPixelSize(std::max(8, qRound(pixels)));
    font.setWeight(weight);
    return font;
}

// The tile's progress bar: a faint track and an accent fill as long as the progress.
class ProgressBar final : public QWidget {
public:
    ProgressBar(double progress, QColor fill) : progress_(std::clamp(progress, 0.0, 1.0)), fill_(fill) {
        setFixedHeight(4);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(withAlpha(palette().color(QPalette::WindowText), 0.08));
        p.drawRoundedRect(QRectF(rect()), 2, 2);
        if (progress_ <= 0) return;
        p.setBrush(fill_);
        p.drawRoundedRect(QRectF(0, 0, width() * progress_, height()), 2, 2);
    }

private:
    double progress_;
    QColor fill_;
};

// A place in a layout of the medal's frame size; the medal itself is the slot's sibling,
// centred on it and behind the other siblings, so its glow may spread past the slot.
class MedalSlot final : public QWidget {
public:
    MedalSlot(const model::CompanionAchievementState& state, double size, double height)
        : medal_(new AchievementMedal(state, size)) {
        setFixedSize(qCeil(size * 1.3), qRound(height));
    }
    ~MedalSlot() override { delete medal_; }

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::ParentChange && medal_) {
            medal_->setParent(parentWidget());
            medal_->lower();
            medal_->setVisible(isVisible());
        }
        return QWidget::event(e);
    }
    void moveEvent(QMoveEvent*) override { place(); }
    void resizeEvent(QResizeEvent*) override { place(); }
    void showEvent(QShowEvent*) override {
        place();
        if (medal_) medal_->show();
    }

private:
    void place() {
        if (!medal_) return;
        QRect frame(QPoint(0, 0), medal_->size());
        frame.moveCenter(geometry().center());
        medal_->setGeometry(frame);
    }
    QPointer<AchievementMedal> medal_;
};

QLabel* tinted(QLabel* label, const QColor& color) {
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, color);
    label->setPalette(pal);
    return label;
}

}  // namespace

// ---- Medal ----

AchievementMedal::AchievementMedal(model::CompanionAchievementState state, double size, QWidget* parent)
    : QWidget(parent), state_(std::move(state)), size_(size) {
    setObjectName("medal");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setFixedSize(sizeHint());
}

QSize AchievementMedal::sizeHint() const {
    return {qCeil(size_ * (1.3 + 2 * kSpread)), qCeil(size_ * (1.35 + 2 * kSpread))};
}

void AchievementMedal::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (appeared_) return;
    appeared_ = true;
    if (platform::accessibility().reduceMotion()) {
        sparkle_ = 1;
        return;
    }
    auto* animation = new QVariantAnimation(this);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    animation->setDuration(350);
    animation->setEasingCurve(QEasingCurve::OutCubic);
    QObject::connect(animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        sparkle_ = v.toDouble();
        update();
    });
    appear_ = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

QImage AchievementMedal::body(qreal dpr) const {
    const double s = size_;
    const bool lit = state_.isUnlocked;
    const QColor c = lit ? accent(state_.badge) : kSystemGray;
    const QSizeF box(s * (1.3 + 2 * kSpread), s * (1.35 + 2 * kSpread));
    QImage image(QSize(qCeil(box.width() * dpr), qCeil(box.height() * dpr)), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(dpr);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const QPointF o(box.width() / 2, box.height() / 2);
    auto square = [&](double side, QPointF centre) { return QRectF(centre.x() - side / 2, centre.y() - side / 2, side, side); };

    if (lit) drawSoftDisc(p, o, s * 1.3, withAlpha(c, 0.17), s * 0.17, dpr);

    p.setPen(Qt::NoPen);
    p.setBrush(lit ? withAlpha(c, 0.85) : withAlpha(kSystemGray, 0.28));
    const QSizeF ribbon(s * 0.59, s * 0.43);
    p.drawPath(ribbonTail(QRectF(o.x() - ribbon.width() / 2, o.y() + s * 0.39 - ribbon.height() / 2, ribbon.width(),
                                 ribbon.height())));

    drawSoftDisc(p, o + QPointF(0, 4), s, withAlpha(c, lit ? 0.2 : 0.06), 7, dpr);
    // Clockwise from three o'clock, as the ring's light runs; Qt's conical gradient turns the
    // other way, so its stops are mirrored.
    QConicalGradient ring(o, 0);
    ring.setColorAt(0.0, c);
    ring.setColorAt(0.25, withAlpha(Qt::white, 0.5));
    ring.setColorAt(0.5, withAlpha(c, 0.95));
    ring.setColorAt(0.75, withAlpha(Qt::white, 0.86));
    ring.setColorAt(1.0, withAlpha(c, 0.78));
    p.setBrush(ring);
    p.drawEllipse(square(s, o));

    const QRectF face = square(s * 0.82, o);
    QRadialGradient shine(face.topLeft() + QPointF(face.width() * 0.37, face.height() * 0.27), s * 0.65);
    shine.setColorAt(std::min(1.0, 2 / (s * 0.65)), withAlpha(c, lit ? 0.94 : 0.4));
    shine.setColorAt(1.0, withAlpha(c, lit ? 0.64 : 0.25));
    p.setBrush(shine);
    p.drawEllipse(face);

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(withAlpha(Qt::white, lit ? 0.48 : 0.17), 1));
    p.drawEllipse(square(s * 0.7 - 1, o));

    const double glyph = s * 0.36;
    const std::string_view symbol = lit ? look(state_.badge).symbol : "lock.fill";
    const QPixmap shadow = platform::qt::symbolPixmap(symbol, qRound(glyph), withAlpha(Qt::black, 0.15), dpr);
    if (!shadow.isNull()) {
        QImage soft(shadow.size() + QSize(8, 8) * dpr, QImage::Format_ARGB32_Premultiplied);
        soft.fill(Qt::transparent);
        QPainter sp(&soft);
        sp.drawPixmap(QPointF(4 * dpr, 4 * dpr), shadow, QRectF(QPointF(0, 0), QSizeF(shadow.size())));
        sp.end();
        soft = blurred(soft, qRound(2 * dpr));
        soft.setDevicePixelRatio(dpr);
        p.drawImage(o - QPointF(glyph / 2 + 4, glyph / 2 + 4 - 2), soft);
    }
    const QPixmap mark = platform::qt::symbolPixmap(symbol, qRound(glyph), withAlpha(Qt::white, lit ? 0.96 : 0.55), dpr);
    if (!mark.isNull()) p.drawPixmap(square(glyph, o).topLeft(), mark);
    return image;
}

void AchievementMedal::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const qreal dpr = devicePixelRatioF();
    if (cache_.isNull() || cache_.devicePixelRatio() != dpr) cache_ = body(dpr);
    const QSizeF box = cache_.deviceIndependentSize();
    const QPointF topLeft((width() - box.width()) / 2, (height() - box.height()) / 2);
    p.drawImage(topLeft, cache_);
    if (!state_.isUnlocked || sparkle_ <= 0) return;
    const double side = size_ * 0.21;
    const QPointF centre = topLeft + QPointF(box.width() / 2 + size_ * 0.36, box.height() / 2 - size_ * 0.32);
    const QPixmap sparkle = platform::qt::symbolPixmap("sparkle", qRound(side), Qt::white, dpr);
    p.setOpacity(sparkle_);
    if (!sparkle.isNull()) p.drawPixmap(centre - QPointF(side / 2, side / 2), sparkle);
}

// ---- Tile ----

AchievementBadgeTile::AchievementBadgeTile(model::CompanionAchievementState state, QWidget* parent)
    : QAbstractButton(parent), state_(std::move(state)) {
    setFixedHeight(218);
    setMinimumWidth(10);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(13, 16, 13, 16);
    column->setSpacing(8);
    auto* shadow = new QGraphicsDropShadowEffect(this);
    setGraphicsEffect(shadow);
    build();
    setHovering(false);
}

void AchievementBadgeTile::setState(model::CompanionAchievementState state) {
    if (state == state_) return;
    state_ = std::move(state);
    build();
    setHovering(hovering_);
}

void AchievementBadgeTile::build() {
    auto* column = static_cast<QVBoxLayout*>(layout());
    // The slot takes its medal with it.
    while (QLayoutItem* item = column->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QColor tint = accent(state_.badge);
    const bool lit = state_.isUnlocked;
    column->addWidget(new MedalSlot(state_, 88, 107), 0, Qt::AlignHCenter);
    column->addWidget(new OneLineLabel(model::title(state_.badge), systemFont(14, QFont::Bold),
                                       palette().color(QPalette::WindowText)));
    column->addWidget(new OneLineLabel(model::story(state_.badge), systemFont(10.5, QFont::Medium), secondaryColor()));
    column->addSpacing(4);
    column->addWidget(new ProgressBar(state_.progress, withAlpha(tint, lit ? 0.9 : 0.56)));
    auto* status = new OneLineLabel(tileStatus(state_), systemFont(10, QFont::DemiBold), lit ? tint : secondaryColor());
    status->setObjectName("tileStatus");
    column->addWidget(status);
    column->addStretch(1);
    setToolTip(QString::fromStdString(tileHelp(state_)));
    setAccessibleName(QString::fromStdString(tileAccessibilityLabel(state_)));
}

void AchievementBadgeTile::setHovering(bool hovering) {
    hovering_ = hovering;
    if (auto* shadow = static_cast<QGraphicsDropShadowEffect*>(graphicsEffect())) {
        shadow->setColor(withAlpha(accent(state_.badge), state_.isUnlocked && hovering ? 0.14 : 0.03));
        shadow->setBlurRadius(hovering ? 24 : 10);
        shadow->setOffset(0, hovering ? 5 : 2);
    }
    update();
}

void AchievementBadgeTile::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    setHovering(true);
}

void AchievementBadgeTile::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    setHovering(false);
}

void AchievementBadgeTile::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor tint = accent(state_.badge);
    const bool lit = state_.isUnlocked;
    const double line = hovering_ ? 1.4 : 1.0;
    const QRectF r = QRectF(rect()).adjusted(line / 2, line / 2, -line / 2, -line / 2);
    QLinearGradient fill(r.topLeft(), r.bottomRight());
    fill.setColorAt(0, withAlpha(tint, lit ? 0.11 : 0.035));
    fill.setColorAt(1, withAlpha(palette().color(QPalette::Base), 1));
    QPainterPath shape;
    shape.addRoundedRect(r, 17, 17);
    p.fillPath(shape, palette().color(QPalette::Base));
    p.fillPath(shape, fill);
    const double border = lit ? (hovering_ ? 0.6 : 0.25) : 0.11;
    p.strokePath(shape, QPen(withAlpha(tint, border), line));
    if (hasFocus()) p.strokePath(shape, QPen(withAlpha(accentColor(), 0.7), 2));
}

// ---- Wall ----

AchievementGalleryView::AchievementGalleryView(AchievementStates states, QWidget* parent)
    : QWidget(parent), states_(std::move(states)) {
    setObjectName("achievementWall");
    auto* layout = vstack(this, 21);

    auto* header = new QVBoxLayout;
    header->setSpacing(6);
    header->addWidget(eyebrowLabel(L10n::t("一起留下的光"), TextStyle::caption, 1.1));
    auto* title = makeLabel(L10n::t("栗丸的成就墙"), TextStyle::largeTitle);
    title->setFont(systemFont(30, QFont::Bold));
    title->setObjectName("pageTitle");
    header->addWidget(title);
    header->addWidget(makeLabel(L10n::t("没有排名，也不用赶进度。相处的每一段时间，都会慢慢点亮这里。"), TextStyle::callout,
                                true, true));
    layout->addLayout(header);
    layout->addWidget(hero());

    auto* section = new QHBoxLayout;
    auto* sectionTitle = makeLabel(L10n::t("徽章收藏"), TextStyle::title3);
    sectionTitle->setFont(fontFor(TextStyle::title3, QFont::Bold));
    section->addWidget(sectionTitle);
    section->addStretch(1);
    summary_ = makeLabel(unlockedSummary(states_), TextStyle::caption, true);
    summary_->setObjectName("unlockedSummary");
    summary_->setFont(fontFor(TextStyle::caption, QFont::DemiBold));
    section->addWidget(summary_);
    layout->addLayout(section);

    auto* grid = new QGridLayout;
    grid->setSpacing(13);
    for (int i = 0; i < int(states_.size()); ++i) {
        const auto& state = states_[size_t(i)];
        auto* tile = new AchievementBadgeTile(state);
        tile->setObjectName(QString::fromUtf8(state.id().data(), int(state.id().size())));
        tiles_.push_back(tile);
        QObject::connect(tile, &QAbstractButton::clicked, this, [this, badge = state.badge] { selectBadge(badge); });
        grid->addWidget(tile, i / 3, i % 3);
    }
    for (int column = 0; column < 3; ++column) grid->setColumnStretch(column, 1);
    layout->addLayout(grid);
}

void AchievementGalleryView::setStates(AchievementStates states) {
    if (states == states_ || states.size() != states_.size()) return;
    states_ = std::move(states);
    count_->setText(QString::number(unlockedCount(states_)));
    next_->setText(QString::fromStdString(nextBadgeLine(states_)));
    summary_->setText(QString::fromStdString(unlockedSummary(states_)));
    for (size_t i = 0; i < states_.size(); ++i) tiles_[i]->setState(states_[i]);
}

QList<AchievementBadgeTile*> AchievementGalleryView::tiles() const {
    return findChildren<AchievementBadgeTile*>();
}

QWidget* AchievementGalleryView::hero() {
    class Card final : public QWidget {
    protected:
        void paintEvent(QPaintEvent*) override {
            QPainter p(this);
            p.setRenderHint(QPainter::Antialiasing);
            QPainterPath shape;
            shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 20, 20);
            QLinearGradient fill(rect().topLeft(), rect().bottomRight());
            fill.setColorAt(0, QColor::fromRgbF(0.13f, 0.19f, 0.31f));
            fill.setColorAt(1, QColor::fromRgbF(0.22f, 0.29f, 0.46f));
            p.fillPath(shape, fill);
            p.strokePath(shape, QPen(withAlpha(Qt::white, 0.11), 1));
        }
    };
    class Art final : public QWidget {
    public:
        Art() {
            setFixedSize(130, 130);
            placeMark(this, 78, {26, 26});
        }

    protected:
        void paintEvent(QPaintEvent*) override {
            QPainter p(this);
            p.setRenderHint(QPainter::Antialiasing);
            const QPointF c = QRectF(rect()).center();
            p.setPen(QPen(withAlpha(Qt::white, 0.18), 1));
            p.setBrush(withAlpha(Qt::white, 0.08));
            p.drawEllipse(c, 57, 57);
        }
    };
    const QColor gold = QColor::fromRgbF(1.0f, 0.84f, 0.54f);
    auto* card = new Card;
    card->setObjectName("hero");
    auto* row = new QHBoxLayout(card);
    row->setContentsMargins(24, 19, 24, 19);
    row->setSpacing(18);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(11);
    auto* top = new QHBoxLayout;
    top->setSpacing(7);
    auto* star = new QLabel;
    star->setPixmap(platform::qt::symbolPixmap("sparkles", 14, gold, devicePixelRatioF()));
    top->addWidget(star);
    auto* collection = tinted(makeLabel(L10n::t("我们的收藏"), TextStyle::caption), withAlpha(Qt::white, 0.85));
    QFont collectionFont = fontFor(TextStyle::caption, QFont::DemiBold);
    collectionFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.8);
    collection->setFont(collectionFont);
    top->addWidget(collection);
    top->addStretch(1);
    texts->addLayout(top);
    auto* counts = new QHBoxLayout;
    counts->setSpacing(5);
    count_ = tinted(new QLabel(QString::number(unlockedCount(states_))), Qt::white);
    count_->setObjectName("unlockedCount");
    count_->setFont(systemFont(44, QFont::Bold));
    counts->addWidget(count_, 0, Qt::AlignBaseline);
    auto* total = tinted(new QLabel(QString("/ %1").arg(states_.size())), withAlpha(Qt::white, 0.67));
    total->setFont(fontFor(TextStyle::title3, QFont::Medium));
    counts->addWidget(total, 0, Qt::AlignBaseline);
    counts->addStretch(1);
    texts->addLayout(counts);
    next_ = tinted(makeLabel(nextBadgeLine(states_), TextStyle::caption), withAlpha(Qt::white, 0.82));
    next_->setObjectName("nextBadge");
    next_->setFont(fontFor(TextStyle::caption, QFont::Medium));
    texts->addWidget(next_);
    row->addLayout(texts);
    row->addStretch(1);
    auto* art = new Art;
    auto* starMark = new QLabel(art);
    starMark->setPixmap(platform::qt::symbolPixmap("star.fill", 17, gold, devicePixelRatioF()));
    starMark->setGeometry(65 + 40 - 9, 65 - 38 - 9, 18, 18);
    row->addWidget(art);
    return card;
}

QWidget* AchievementGalleryView::badgeDetail(const model::CompanionAchievementState& state) {
    auto* popup = new QFrame(this, Qt::Popup);
    popup->setObjectName("badgeDetail");
    popup->setAttribute(Qt::WA_DeleteOnClose);
    popup->setFrameShape(QFrame::StyledPanel);
    popup->setFixedWidth(270);
    auto* column = vstack(popup, 13);
    column->setContentsMargins(27, 27, 27, 27);
    column->addWidget(new MedalSlot(state, 106, 106 * 1.35), 0, Qt::AlignHCenter);
    auto* title = makeLabel(model::title(state.badge), TextStyle::title2, false, true);
    title->setObjectName("detailTitle");
    title->setFont(fontFor(TextStyle::title2, QFont::Bold));
    title->setAlignment(Qt::AlignCenter);
    column->addWidget(title);
    auto* story = makeLabel(model::story(state.badge), TextStyle::callout, true, true);
    story->setObjectName("detailStory");
    story->setAlignment(Qt::AlignCenter);
    column->addWidget(story);
    auto* status = makeLabel(detailStatus(state), TextStyle::caption, !state.isUnlocked, true);
    status->setObjectName("detailStatus");
    status->setFont(fontFor(TextStyle::caption, QFont::DemiBold));
    status->setAlignment(Qt::AlignCenter);
    if (state.isUnlocked) tinted(status, liveColor());
    column->addWidget(status);
    return popup;
}

void AchievementGalleryView::selectBadge(model::CompanionUnlock badge) {
    if (detail_) detail_->close();
    const auto state = std::find_if(states_.begin(), states_.end(), [badge](const auto& s) { return s.badge == badge; });
    if (state == states_.end()) return;
    QWidget* popup = badgeDetail(*state);
    detail_ = popup;
    popup->adjustSize();
    // Anchored at the wall, within the part of it in view.
    const QRect visible = visibleRegion().boundingRect();
    QPoint centre = mapToGlobal(visible.isEmpty() ? rect().center() : visible.center());
    QRect frame(QPoint(0, 0), popup->sizeHint());
    frame.moveCenter(centre);
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        frame.moveLeft(std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() - frame.width())));
        frame.moveTop(std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() - frame.height())));
    }
    popup->move(frame.topLeft());
    popup->show();
}

QWidget* makeAchievementGallery(model::AppModel& model) {
    auto states = [&model] { return model.companionRecord.get().achievementStates(model.ledger.get().allTimeCount); };
    auto* wall = new AchievementGalleryView(states());
    // A minute together, a key press or a focus end can move a badge while the wall is open.
    new ChangeFollower(wall, model.objectWillChange, [wall, states] { wall->setStates(states()); });
    return wall;
}

}  // namespace windows::qt
