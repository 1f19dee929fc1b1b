#include "windows/qt/MenuBarMealSettings.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QResizeEvent>
#include <QVBoxLayout>

#include "menubar/qt/IconProvider.h"
#include "menubar/stash/MenuBarMealController.h"
#include "menubar/stash/NativeMenuBarMealEngine.h"
#include "model/L10n.h"
#include "platform/Services.h"
#include "platform/qt/SymbolImages.h"
#include "windows/qt/SettingsBlocks.h"
#include "windows/qt/SettingsPages.h"

namespace windows::qt {
namespace {

using menubar::stash::MenuBarMealStage;
using model::L10n;

QColor white(double alpha) {
    QColor c(Qt::white);
    c.setAlphaF(float(alpha));
    return c;
}

const QColor kBlue(0, 122, 255);

double lerp(double a, double b, double t) {
    return a + (b - a) * t;
}

// A template picture from the menu bar drawn in one colour.
void drawTinted(QPainter& p, const menubar::qt::MenuBarImage& image, const QRectF& target, const QColor& color) {
    const qreal dpr = p.device()->devicePixelRatioF();
    QImage canvas((target.size() * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    canvas.setDevicePixelRatio(dpr);
    QPainter c(&canvas);
    c.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    image.draw(c, QRectF(QPointF(0, 0), target.size()));
    c.setCompositionMode(QPainter::CompositionMode_SourceIn);
    c.fillRect(QRectF(QPointF(0, 0), target.size()), color);
    c.end();
    p.drawImage(target.topLeft(), canvas);
}

// The stage's play button: a caption on a faint capsule.
class PlayButton final : public QAbstractButton {
public:
    PlayButton() {
        setText(QString::fromStdString(L10n::t("演示开合")));
        setAccessibleName(text());
        setAccessibleDescription(QString::fromStdString(L10n::t("播放一次图标喂入和吐出的过程")));
        setFont(fontFor(TextStyle::caption, QFont::DemiBold));
        setCursor(Qt::PointingHandCursor);
        setFixedSize(sizeHint());
    }
    QSize sizeHint() const override { return {fontMetrics().horizontalAdvance(text()) + 12 + 5 + 20, 26}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(white(isDown() ? 0.22 : 0.13));
        p.drawRoundedRect(QRectF(rect()), height() / 2.0, height() / 2.0);
        const QPixmap icon = platform::qt::symbolPixmap("play.fill", 12, Qt::white, devicePixelRatioF());
        p.drawPixmap(QPointF(10, (height() - 12) / 2.0), icon);
        p.setPen(Qt::white);
        p.drawText(rect().adjusted(10 + 12 + 5, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, text());
    }
};

// The preview's switch, drawn in the "on" position.
class DrawnSwitch final : public QWidget {
public:
    DrawnSwitch() {
        setFixedSize(50, 28);
        setAccessibleName(QString::fromStdString(L10n::t("图标收纳已开启，样张示意")));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(rect()), 14, 14);
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(width() - 3 - 22, 3, 22, 22));
    }
};

// The large stash button: a symbol and title, white on the accent.
class StashButton final : public QAbstractButton {
public:
    StashButton() {
        setFixedHeight(42);
        setCursor(Qt::PointingHandCursor);
        setFont(fontFor(TextStyle::body, QFont::DemiBold));
    }
    void set(bool collapsed) {
        symbol_ = collapsed ? "arrow.uturn.backward" : "circle.grid.2x2.fill";
        setText(QString::fromStdString(collapsed ? L10n::t("吐出图标") : L10n::t("喂给栗丸")));
        setAccessibleName(text());
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(accentColor());
        if (!isEnabled()) p.setOpacity(0.45);
        p.drawRoundedRect(QRectF(rect()), 10, 10);
        const int textWidth = fontMetrics().horizontalAdvance(text());
        const double left = (width() - (16 + 7 + textWidth)) / 2.0;
        p.drawPixmap(QPointF(left, (height() - 16) / 2.0),
                     platform::qt::symbolPixmap(symbol_, 16, Qt::white, devicePixelRatioF()));
        p.setPen(Qt::white);
        p.drawText(QRectF(left + 16 + 7, 0, textWidth + 2, height()), Qt::AlignVCenter | Qt::AlignLeft, text());
    }

private:
    std::string symbol_;
};

// The card's panel: the control background in a rounded rectangle.
class CardPanel final : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), 17, 17);
        p.fillPath(shape, palette().color(QPalette::Base));
    }
};

// A page as tall as its wrapped lines need at the width it has, so no spare height opens
// between them.
class FittedPage final : public QWidget {
public:
    QSize sizeHint() const override {
        const QSize hint = QWidget::sizeHint();
        return width() > 0 && hasHeightForWidth() ? QSize(hint.width(), heightForWidth(width())) : hint;
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        if (event->size().width() != event->oldSize().width()) updateGeometry();
        QWidget::resizeEvent(event);
    }
};

// A secondary wrapping text no taller than its lines at the width it gets.
QLabel* paragraph(const std::string& text, TextStyle style) {
    auto* label = makeLabel(text, style, true, true);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    label->setSizePolicy(policy);
    return label;
}

QLabel* symbolIcon(std::string_view symbol, int side, const QColor& color) {
    auto* label = new QLabel;
    label->setPixmap(platform::qt::symbolPixmap(symbol, side, color, label->devicePixelRatioF()));
    return label;
}

}  // namespace

MenuBarMealStageView::MenuBarMealStageView(bool isCollapsed, std::optional<double> previewProgress, bool previewSpitting)
    : stage_(isCollapsed, previewProgress, previewSpitting), play_(new PlayButton) {
    setObjectName("mealStage");
    setMinimumHeight(sizeHint().height());
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    play_->setParent(this);
    play_->setObjectName("playDemo");
    from_ = shown_ = stage_.frame();
    transition_.setStartValue(0.0);
    transition_.setEndValue(1.0);
    transition_.setEasingCurve(QEasingCurve::InOutQuad);
    QObject::connect(&transition_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        const auto to = stage_.frame();
        const double t = value.toDouble();
        shown_ = to;
        shown_.visibleFraction = lerp(from_.visibleFraction, to.visibleFraction, t);
        shown_.dividerProgress = lerp(from_.dividerProgress, to.dividerProgress, t);
        shown_.mouth = lerp(from_.mouth, to.mouth, t);
        update();
    });
    stage_.onChange = [this] { follow(); };
    QObject::connect(play_, &QAbstractButton::clicked, this, [this] {
        stage_.setReduceMotion(platform::accessibility().reduceMotion());
        stage_.playDemo();
    });
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(21, 21, 21, 21);
    auto* column = new QVBoxLayout;
    column->addWidget(play_, 0, Qt::AlignRight | Qt::AlignTop);
    column->addStretch(1);
    row->addStretch(1);
    row->addLayout(column);
}

void MenuBarMealStageView::follow() {
    const auto to = stage_.frame();
    const bool demoStep = stage_.demoProgress() != lastDemoProgress_;
    lastDemoProgress_ = stage_.demoProgress();
    transition_.stop();
    if (platform::accessibility().reduceMotion()) {
        from_ = shown_ = to;
        update();
        return;
    }
    from_ = shown_;
    transition_.setDuration(demoStep ? 120 : 220);
    transition_.start();
}

void MenuBarMealStageView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    stage_.cancelDemo();
}

void MenuBarMealStageView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape;
    shape.addRoundedRect(box, 19, 19);
    QLinearGradient fill(box.topLeft(), box.bottomRight());
    fill.setColorAt(0, QColor::fromRgbF(0.14f, 0.19f, 0.28f));
    fill.setColorAt(1, QColor::fromRgbF(0.22f, 0.31f, 0.43f));
    p.fillPath(shape, fill);
    p.strokePath(shape, QPen(white(0.14), 1));

    const auto& f = shown_;
    const bool collapsed = stage_.frame().stageCollapsed;
    const QRectF inner = QRectF(rect()).adjusted(21, 21, -21, -21);
    const QFont caption = fontFor(TextStyle::caption, QFont::DemiBold);
    p.setFont(caption);

    // Title row.
    const QRectF titleRow(inner.left(), inner.top(), inner.width(), play_->height());
    p.setPen(white(0.76));
    p.drawText(titleRow, Qt::AlignVCenter | Qt::AlignLeft, QString::fromStdString(L10n::t("栗丸的小餐桌")));
    p.setPen(white(0.78));
    p.drawText(titleRow.adjusted(0, 0, -(play_->width() + 8), 0), Qt::AlignVCenter | Qt::AlignRight,
               QString::fromStdString(collapsed ? L10n::t("已收好") : L10n::t("全部展开")));

    // Icons row: sliding left and fading as they are eaten.
    const double iconsTop = titleRow.bottom() + 17;
    p.save();
    p.setOpacity(f.visibleFraction);
    double x = inner.left() + (1 - f.visibleFraction) * -18;
    for (const char* symbol : {"wifi", "battery.100percent", "speaker.wave.2.fill", "calendar"}) {
        p.drawPixmap(QPointF(x, iconsTop + 2.5), platform::qt::symbolPixmap(symbol, 18, white(0.87), devicePixelRatioF()));
        x += 18 + 7;
    }
    p.restore();
    if (collapsed) {
        p.drawPixmap(QPointF(inner.left(), iconsTop + 5), platform::qt::symbolPixmap("sparkle", 13, white(0.87), devicePixelRatioF()));
        p.setPen(white(0.87));
        p.drawText(QRectF(inner.left() + 18, iconsTop, inner.width(), 23), Qt::AlignVCenter | Qt::AlignLeft,
                   QString::fromStdString(L10n::t("左侧图标已收好")));
    }

    // Bar row: hint, divider, face, right-click word.
    const QRectF bar(inner.left(), iconsTop + 23 + 17, inner.width(), 35);
    QFont medium = fontFor(TextStyle::caption, QFont::Medium);
    p.setFont(medium);
    const QString action = QString::fromStdString(collapsed ? L10n::t("右键吐出") : L10n::t("右键喂入"));
    const double actionWidth = p.fontMetrics().horizontalAdvance(action);
    p.setPen(Qt::white);
    p.drawText(QRectF(bar.right() - actionWidth - 1, bar.top(), actionWidth + 1, bar.height()), Qt::AlignVCenter | Qt::AlignRight,
               action);
    const QRectF face(bar.right() - actionWidth - 7 - 35, bar.top(), 35, 35);
    const auto faceImage = f.mouth > 0.01 ? menubar::qt::IconProvider::menuBarMealImage(-1, f.mouth)
                                          : menubar::qt::IconProvider::menuBarLeftImage();
    drawTinted(p, *faceImage, face, Qt::white);
    if (f.visibleFraction > 0.01) {
        const QRectF divider(face.left() - 7 - 20 + 1, bar.top() + (35 - 22) / 2.0, 18, 22);
        drawTinted(p, *menubar::qt::IconProvider::menuBarMealDividerImage(f.dividerProgress, f.dividerSpitting), divider,
                   Qt::white);
    }
    p.setFont(fontFor(TextStyle::caption));
    p.setPen(white(0.62));
    p.drawText(QRectF(bar.left(), bar.top(), face.left() - 7 - 20 - 10 - bar.left(), bar.height()),
               Qt::AlignVCenter | Qt::AlignLeft,
               QString::fromStdString(collapsed ? L10n::t("已收好，右键栗丸吐出") : L10n::t("豆子左侧可放入图标")));
    setAccessibleName(QString::fromStdString(collapsed ? L10n::t("收纳示意：左侧图标已收起，点击栗丸吐出")
                                                       : L10n::t("展开示意：图标在三颗豆子左侧")));
}

QWidget* makeMenuBarMealSettings(menubar::stash::MenuBarMealController& controller, const SettingsActions& actions,
                                 bool visualPreview, bool visualPreviewCollapsed) {
    auto& engine = controller.engine();
    auto* page = new FittedPage;
    page->setObjectName("menuBarMealSettings");
    auto* layout = vstack(page, 20);

    auto* header = new QVBoxLayout;
    header->setSpacing(7);
    header->addWidget(eyebrowLabel(L10n::t("图标零食"), TextStyle::caption, 1));
    auto* title = makeLabel(L10n::t("让栗丸帮你收好图标"), TextStyle::largeTitle);
    title->setObjectName("pageTitle");
    QFont titleFont = fontFor(TextStyle::largeTitle, QFont::Bold);
    titleFont.setPixelSize(30);
    title->setFont(titleFont);
    header->addWidget(title);
    header->addWidget(paragraph(L10n::t("留常用的在眼前，暂时不用的先交给它保管。想看时，让栗丸吐出来。"), TextStyle::callout));
    layout->addLayout(header);

    const auto shownCollapsed = [&engine, visualPreview, visualPreviewCollapsed] {
        return visualPreview ? visualPreviewCollapsed : engine.isCollapsed().get();
    };
    auto* stage = new MenuBarMealStageView(shownCollapsed());
    layout->addWidget(stage);

    auto* card = new CardPanel;
    card->setObjectName("mealCard");
    auto* cardLayout = vstack(card, 14);
    cardLayout->setContentsMargins(19, 19, 19, 19);
    auto* switchRow = new QHBoxLayout;
    switchRow->setSpacing(13);
    auto* badge = new QLabel;
    badge->setFixedSize(42, 42);
    badge->setAlignment(Qt::AlignCenter);
    badge->setPixmap(platform::qt::symbolPixmap("menubar.rectangle", 22, kBlue, badge->devicePixelRatioF()));
    badge->setStyleSheet("background: rgba(0, 122, 255, 26); border-radius: 12px;");
    switchRow->addWidget(badge);
    auto* switchTexts = new QVBoxLayout;
    switchTexts->setSpacing(4);
    switchTexts->addWidget(makeLabel(L10n::t("开启图标收纳"), TextStyle::headline));
    switchTexts->addWidget(paragraph(L10n::t("默认关闭；只影响你手动放进收纳区的图标。"), TextStyle::caption));
    switchRow->addLayout(switchTexts, 1);
    Switch* toggle = nullptr;
    if (visualPreview) {
        switchRow->addWidget(new DrawnSwitch);
    } else {
        toggle = new Switch(L10n::t("开启图标收纳"));
        toggle->setObjectName("menuBarMealEnabled");
        // Where the tray places icons itself there is nothing to hide: the reason shows under
        // the switch.
        toggle->setEnabled(controller.isAvailable());
        QObject::connect(toggle, &QAbstractButton::clicked, page, [&engine, toggle] { engine.setEnabled(toggle->isChecked()); });
        switchRow->addWidget(toggle);
    }
    cardLayout->addLayout(switchRow);
    auto* message = new SymbolLabel(TextStyle::callout, 14);
    message->setObjectName("mealMessage");
    message->setContentsMargins(0, 2, 0, 0);
    message->text()->setWordWrap(true);
    // A switch that can never be used says why beside itself, not below the fold.
    const bool reasonAtSwitch = !controller.isAvailable() && !visualPreview;
    // With no tray at all there is no tray that fails to hide icons: there are none to hide.
    const bool noTray = reasonAtSwitch && !trayShowsEntry(actions);
    if (reasonAtSwitch) cardLayout->addWidget(message);
    cardLayout->addWidget(softDivider());
    auto* hintRow = new QWidget;
    hintRow->setObjectName("dragHint");
    auto* hint = new QHBoxLayout(hintRow);
    hint->setContentsMargins(0, 0, 0, 0);
    hint->setSpacing(12);
    const QColor secondary = secondaryColor();
    QColor tertiary = secondary;
    tertiary.setAlphaF(0.35f);
    auto* dragLabel = new QHBoxLayout;
    dragLabel->setSpacing(5);
    dragLabel->addWidget(symbolIcon("hand.draw.fill", 14, secondary));
    auto hintText = [](const std::string& text) {
        auto* label = makeLabel(text, TextStyle::subheadline, true);
        label->setFont(fontFor(TextStyle::subheadline, QFont::Medium));
        return label;
    };
    dragLabel->addWidget(hintText(L10n::t("按住 Command 拖动图标")));
    hint->addLayout(dragLabel);
    hint->addWidget(symbolIcon("arrow.right", 14, tertiary));
    hint->addWidget(hintText(L10n::t("放到三颗豆子左侧")));
    hint->addStretch(1);
    // How to use a stash that can never run here would only mislead: the reason stands alone.
    hintRow->setVisible(!reasonAtSwitch);
    cardLayout->addWidget(hintRow);
    // Without a tray there are no icons that stay in it or come back to it.
    const std::string promise =
        trayShowsEntry(actions) ? L10n::t("栗丸不会读取图标内容，也不会点击其他应用。图标仍由 macOS 持有；关闭此功能或退出栗丸时会全部恢复。")
                                : L10n::t("栗丸不会读取图标内容，也不会点击其他应用。");
    auto* privacy = paragraph(promise, TextStyle::caption);
    privacy->setObjectName("mealPrivacy");
    cardLayout->addWidget(privacy);
    QPushButton* retry = nullptr;
    if (controller.usesNativeVisibility() && !visualPreview) {
        cardLayout->addWidget(paragraph(L10n::t("macOS 27 需要辅助功能权限，仅临时读取图标所属应用和位置，不读取内容或保存顺序。同一应用的多个图标会一起收起；系统图标始终保留。"),
                                        TextStyle::caption));
        retry = pushButton(L10n::t("授权后重试"));
        retry->setObjectName("authorizeAndRetry");
        QObject::connect(retry, &QPushButton::clicked, page, [&engine] {
            if (auto* native = dynamic_cast<menubar::stash::NativeMenuBarMealEngine*>(&engine)) native->authorizeAndRetry();
        });
        cardLayout->addWidget(retry, 0, Qt::AlignLeft);
    }
    layout->addWidget(card);

    auto* stash = new StashButton;
    stash->setObjectName("stashButton");
    QObject::connect(stash, &QAbstractButton::clicked, page, [&engine, visualPreview] {
        if (!visualPreview) engine.toggle();
    });
    layout->addWidget(stash);

    auto* howToBlock = new QWidget;
    howToBlock->setObjectName("howTo");
    auto* howTo = vstack(howToBlock, 8);
    auto* howToTitle = makeLabel(L10n::t("怎么使用"), TextStyle::subheadline);
    howToTitle->setFont(fontFor(TextStyle::subheadline, QFont::DemiBold));
    howTo->addWidget(howToTitle);
    for (const char* line : {"① 开启图标收纳，按住 Command 将想收起的图标拖到三颗豆子左侧。",
                             "② 右键点击菜单栏栗丸，喂入或吐出左侧图标；左键仍打开栗丸面板。",
                             "③ 再点一次“吐出图标”即可展开；关闭上方开关时，图标也会全部恢复。"})
        howTo->addWidget(paragraph(L10n::t(line), TextStyle::callout));
    if (!reasonAtSwitch) howTo->addWidget(message);
    howToBlock->setVisible(!reasonAtSwitch);
    layout->addWidget(howToBlock);

    // Everything shown is read from the engine again after each of its changes.
    auto refresh = [&engine, visualPreview, visualPreviewCollapsed, page, stage, toggle, stash, retry, message,
                    shownCollapsed, noTray] {
        stage->stage().setCollapsed(shownCollapsed());
        const bool enabled = engine.isEnabled().get();
        if (toggle) toggle->setChecked(enabled);
        stash->set(visualPreview ? visualPreviewCollapsed : engine.requestedCollapsed().get());
        stash->setEnabled(visualPreview || enabled);
        if (retry) retry->setEnabled(enabled);
        const std::string text = noTray ? L10n::t("此桌面没有托盘，也就没有可收纳的图标。") : engine.message().get();
        message->setVisible(!visualPreview && !text.empty());
        message->set(text, "info.circle", page->palette().color(QPalette::WindowText));
    };
    refresh();
    if (!visualPreview) {
        auto alive = std::make_shared<char>();
        auto* keeper = new QObject(page);
        auto subscription = std::make_shared<platform::Subscription>(controller.objectWillChange().subscribe(
            [refresh, weak = std::weak_ptr<char>(alive)] {
                // Sent before the change: read the engine once it has happened.
                platform::mainLoop().post([refresh, weak] {
                    if (!weak.expired()) refresh();
                });
            }));
        QObject::connect(keeper, &QObject::destroyed, [alive, subscription]() mutable {
            subscription.reset();
            alive.reset();
        });
    }
    return page;
}

}  // namespace windows::qt
