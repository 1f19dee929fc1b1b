#include "menubar/qt/MenuBarContentView.h"

#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPropertyAnimation>
#include <QTimer>
#include <QVBoxLayout>

#include "menubar/MenuBarEntryController.h"
#include "menubar/qt/GlassMenuBackdrop.h"
#include "menubar/qt/MenuPanelControls.h"
#include "menubar/qt/TuftleMark.h"
#include "platform/Services.h"
#include "platform/qt/QtColorScheme.h"
#include "platform/qt/QtStatusBar.h"

namespace menubar::qt {
namespace {

// Font sizes of the panel's text styles.
constexpr double subheadline = 11, caption = 10, caption2 = 10, footnote = 11.5;
// Fixed heights of the sections; the panel is their sum with the spacing between them.
constexpr int headerHeight = 50, noticeHeight = 28, feedbackHeight = 16, footerHeight = 15;

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

QHBoxLayout* row(QWidget* owner, int spacing, QMargins margins = {}) {
    auto* layout = new QHBoxLayout(owner);
    layout->setSpacing(spacing);
    layout->setContentsMargins(margins);
    return layout;
}

QWidget* fixedHeight(QWidget* w, int height) {
    w->setFixedHeight(height);
    return w;
}

}  // namespace

MenuBarContentView::MenuBarContentView(MenuBarContent& content, QWidget* parent) : QWidget(parent), content_(content) {
    setFixedWidth(panelWidth);
    build();
    subscriptions_.push_back(content_.changed.subscribe([this] { refreshSoon(); }));
    subscriptions_.push_back(platform::notificationCenter().addObserver(
        platform::notifications::reduceTransparencyChanged, [this] { update(); }));
    connect(&platform::qt::QtColorScheme::shared(), &platform::qt::QtColorScheme::changed, this, [this] {
        for (QWidget* w : findChildren<QWidget*>()) w->update();
        update();
    });
    refresh();
}

MenuBarContentView::~MenuBarContentView() = default;

void MenuBarContentView::build() {
    auto* stack = new QVBoxLayout(this);
    stack->setSpacing(14);
    stack->setContentsMargins(18, 17, 18, 10);
    stack->setSizeConstraint(QLayout::SetNoConstraint);

    // Header: the mark tile, the name with its dot over the companion line, the switch.
    auto* header = fixedHeight(new QWidget, headerHeight);
    auto* headerRow = row(header, 12);
    auto* tile = new MenuCard(14, true);
    tile->setFixedSize(50, 50);
    // The fur overhangs the mark's 45-point square, so the mark takes the whole tile.
    auto* mark = new TuftleMark(tile);
    mark->setGeometry(0, 0, 50, 50);
    mark->setContentsMargins(3, 3, 2, 2);
    headerRow->addWidget(tile);
    auto* names = new QVBoxLayout;
    names->setSpacing(2);
    names->addStretch();
    auto* nameRow = new QHBoxLayout;
    nameRow->setSpacing(7);
    name_ = new MenuText(18, QFont::Bold, MenuTint::ink);
    dot_ = new MenuSymbolView("", MenuTint::green, {7, 7}, 7);
    nameRow->addWidget(name_);
    nameRow->addWidget(dot_);
    nameRow->addStretch();
    names->addLayout(nameRow);
    subtitle_ = new MenuText(12.5, QFont::Normal, MenuTint::secondary);
    names->addWidget(subtitle_);
    names->addStretch();
    headerRow->addLayout(names, 1);
    visibility_ = new MenuSwitch;
    connect(visibility_, &QAbstractButton::clicked, this, [this](bool on) { content_.setPetsVisible(on); });
    headerRow->addWidget(visibility_);
    stack->addWidget(header);

    for (int i = 0; i < 2; ++i) {
        auto* card = new MenuCard(8, false);
        card->setFixedHeight(noticeHeight);
        auto* line = row(card, 6, {10, 7, 10, 7});
        auto* symbol = new MenuSymbolView("", MenuTint::secondary, {12, 14}, 11);
        auto* text = new MenuText(caption, QFont::Medium, MenuTint::ink);
        line->addWidget(symbol);
        line->addWidget(text, 1);
        noticeCards_.push_back(card);
        noticeSymbols_.push_back(symbol);
        noticeTexts_.push_back(text);
        stack->addWidget(card);
    }

    // Controls card: pet count, activity level, window walks.
    auto* controls = new MenuCard(15, true);
    controls->setFixedHeight(3 + 47 + 1 + 47 + 1 + 53 + 3);
    auto* rows = new QVBoxLayout(controls);
    rows->setSpacing(0);
    rows->setContentsMargins(13, 3, 13, 3);
    auto controlRow = [&](const char* symbol, MenuText*& title, MenuSegmentedControl*& control, int width) {
        auto* r = fixedHeight(new QWidget, 47);
        auto* line = row(r, 6);
        line->addWidget(new MenuSymbolView(symbol, MenuTint::ink, {16, 16}, 13));
        title = new MenuText(subheadline, QFont::DemiBold, MenuTint::ink);
        line->addWidget(title, 1);
        line->addSpacing(6);
        control = new MenuSegmentedControl;
        control->setFixedWidth(width);
        line->addWidget(control);
        rows->addWidget(r);
    };
    auto indentedHairline = [&] {
        auto* holder = fixedHeight(new QWidget, 1);
        row(holder, 0, {12, 0, 0, 0})->addWidget(new Hairline);
        rows->addWidget(holder);
    };
    controlRow("circle.grid.2x1", petCountTitle_, petCount_, 148);
    indentedHairline();
    controlRow("waveform.path", activityTitle_, activity_, 198);
    indentedHairline();
    auto* walk = fixedHeight(new QWidget, 53);
    auto* walkRow = row(walk, 10);
    walkRow->addWidget(new MenuSymbolView("macwindow", MenuTint::secondary, {22, 18}, 15));
    auto* walkTexts = new QVBoxLayout;
    walkTexts->setSpacing(2);
    walkTexts->addStretch();
    walkTitle_ = new MenuText(subheadline, QFont::DemiBold, MenuTint::ink);
    walkStatus_ = new MenuText(caption2, QFont::Normal, MenuTint::secondary);
    walkTexts->addWidget(walkTitle_);
    walkTexts->addWidget(walkStatus_);
    walkTexts->addStretch();
    walkRow->addLayout(walkTexts, 1);
    walkSwitch_ = new MenuSwitch;
    connect(walkSwitch_, &QAbstractButton::clicked, this, [this](bool on) { content_.setWindowWalkingEnabled(on); });
    walkRow->addWidget(walkSwitch_);
    rows->addWidget(walk);
    stack->addWidget(controls);

    // Quick actions.
    auto* actions = fixedHeight(new QWidget, 46);
    auto* actionRow = row(actions, 8);
    home_ = new MenuActionButton;
    focus_ = new MenuActionButton;
    connect(home_, &QAbstractButton::clicked, this, [this] { content_.sendHome(); });
    connect(focus_, &QAbstractButton::clicked, this, [this] { content_.focusAction(); });
    actionRow->addWidget(home_, 1);
    actionRow->addWidget(focus_, 1);
    stack->addWidget(actions);

    // Keyboard card.
    auto* keyboard = new MenuCard(14, true);
    keyboard->setFixedHeight(62);
    auto* keyRow = row(keyboard, 11, {13, 0, 13, 0});
    keyRow->addWidget(new MenuSymbolView("keyboard", MenuTint::secondary, {20, 18}, 15));
    auto* keyTexts = new QVBoxLayout;
    keyTexts->setSpacing(3);
    keyTexts->addStretch();
    auto* keyTop = new QHBoxLayout;
    keyTop->setSpacing(7);
    keyTitle_ = new MenuText(subheadline, QFont::DemiBold, MenuTint::ink);
    todayCount_ = new MenuText(caption, QFont::Normal, MenuTint::secondary);
    keyTop->addWidget(keyTitle_);
    keyTop->addWidget(todayCount_, 1);
    keyTexts->addLayout(keyTop);
    auto* keyBottom = new QHBoxLayout;
    keyBottom->setSpacing(5);
    keyDot_ = new MenuSymbolView("", MenuTint::muted, {6, 6}, 6);
    keySummary_ = new MenuText(caption2, QFont::Medium, MenuTint::secondary);
    keyBottom->addWidget(keyDot_);
    keyBottom->addWidget(keySummary_, 1);
    keyTexts->addLayout(keyBottom);
    keyTexts->addStretch();
    keyRow->addLayout(keyTexts, 1);
    permission_ = new MenuTextButton("", 11, true);
    connect(permission_, &QAbstractButton::clicked, this, [this] { content_.grantPermission(); });
    keyRow->addWidget(permission_);
    keySwitch_ = new MenuSwitch;
    connect(keySwitch_, &QAbstractButton::clicked, this, [this](bool on) { content_.setKeyCountingEnabled(on); });
    keyRow->addWidget(keySwitch_);
    stack->addWidget(keyboard);

    // Feedback line.
    feedbackRow_ = fixedHeight(new QWidget, feedbackHeight);
    auto* feedbackLine = row(feedbackRow_, 6);
    feedbackSymbol_ = new MenuSymbolView("", MenuTint::accent, {14, 14}, 12.5);
    feedbackText_ = new MenuText(footnote, QFont::Medium, MenuTint::ink);
    feedbackLine->addWidget(feedbackSymbol_);
    feedbackLine->addWidget(feedbackText_, 1);
    feedbackOpacity_ = new QGraphicsOpacityEffect(feedbackRow_);
    feedbackOpacity_->setOpacity(1);
    feedbackRow_->setGraphicsEffect(feedbackOpacity_);
    feedbackFade_ = new QPropertyAnimation(feedbackOpacity_, "opacity", this);
    feedbackFade_->setEasingCurve(QEasingCurve::OutCubic);
    connect(feedbackFade_, &QPropertyAnimation::finished, this, [this] {
        if (!shownFeedback_) {
            feedbackRow_->hide();
            fitHeight();
        }
    });
    feedbackRow_->hide();
    stack->addWidget(feedbackRow_);

    stack->addWidget(new Hairline);

    auto* footer = footer_ = fixedHeight(new QWidget, footerHeight);
    auto* footerRow = row(footer, 14, {2, 1, 2, 0});
    settings_ = new MenuTextButton("slider.horizontal.3", footnote, false);
    connect(settings_, &QAbstractButton::clicked, this, [this] { content_.openSettings(); });
    version_ = new MenuText(footnote, QFont::Medium, MenuTint::secondary);
    quit_ = new MenuTextButton("", footnote, false);
    connect(quit_, &QAbstractButton::clicked, this, [this] { content_.quit(); });
    footerRow->addWidget(settings_);
    footerRow->addStretch(1);
    footerRow->addWidget(version_);
    footerRow->addWidget(quit_);
    stack->addWidget(footer);
}

QRect MenuBarContentView::quitRow() const {
    const int left = version_->mapTo(this, QPoint(version_->width(), 0)).x();
    const int top = footer_->mapTo(this, QPoint(0, 0)).y() - layout()->spacing() / 2;
    return QRect(QPoint(left, top), QPoint(width() - 1, height() - 1));
}

// The controls take their own clicks; what reaches the panel fell between them.
void MenuBarContentView::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && quitRow().contains(e->position().toPoint())) {
        quit_->setDown(true);
        return;
    }
    QWidget::mousePressEvent(e);
}

void MenuBarContentView::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && quit_->isDown()) {
        quit_->setDown(false);
        if (quitRow().contains(e->position().toPoint())) quit_->click();
        return;
    }
    QWidget::mouseReleaseEvent(e);
}

std::vector<MenuText*> MenuBarContentView::texts() const {
    std::vector<MenuText*> all;
    for (MenuText* t : findChildren<MenuText*>())
        if (t->isVisibleTo(this) && !t->text().isEmpty()) all.push_back(t);
    return all;
}

void MenuBarContentView::refreshSoon() {
    // A closed panel is read again when it opens: typing changes the model many times a second.
    if (refreshPending_ || !isVisible()) return;
    refreshPending_ = true;
    QTimer::singleShot(0, this, [this] { refresh(); });
}

void MenuBarContentView::refresh() {
    refreshPending_ = false;
    name_->setText(content_.productName());
    dot_->setSymbol("", content_.headerDot());
    subtitle_->setText(content_.headerSubtitle());
    visibility_->setChecked(content_.petsVisible());
    visibility_->setAccessibleName(q(content_.visibilityLabel()));

    const auto notices = content_.notices();
    for (size_t i = 0; i < noticeCards_.size(); ++i) {
        const bool shown = i < notices.size();
        noticeCards_[i]->setVisible(shown);
        if (!shown) continue;
        noticeSymbols_[i]->setSymbol(notices[i].symbol, notices[i].tint);
        noticeTexts_[i]->setText(notices[i].message);
    }

    petCountTitle_->setText(content_.petCountTitle());
    petCount_->setLabel(q(content_.petCountTitle()));
    bindSegments<int>(
        *petCount_, content_.petCountChoices(), [this] { return content_.petCount(); },
        [this](int n) { content_.setPetCount(n); });
    activityTitle_->setText(content_.activityTitle());
    activity_->setLabel(q(content_.activityTitle()));
    bindSegments<model::PetActivityLevel>(
        *activity_, content_.activityChoices(), [this] { return content_.activityLevel(); },
        [this](model::PetActivityLevel level) { content_.setActivityLevel(level); });
    walkTitle_->setText(content_.windowWalkTitle());
    walkStatus_->setText(content_.windowWalkStatus());
    walkSwitch_->setChecked(content_.windowWalkingEnabled());
    walkSwitch_->setAccessibleName(q(content_.windowWalkTitle()));

    home_->setContent(content_.homeButton());
    focus_->setContent(content_.focusButton());

    keyTitle_->setText(content_.keyboardTitle());
    const auto today = content_.todayCountText();
    todayCount_->setVisible(today.has_value());
    todayCount_->setText(today.value_or(""));
    keyDot_->setSymbol("", content_.keyboardStatusColor());
    keySummary_->setText(content_.keyboardSummary());
    permission_->setText(q(content_.permissionButtonTitle()));
    permission_->setVisible(content_.showsPermissionButton());
    keySwitch_->setChecked(content_.keyCountingEnabled());
    keySwitch_->setAccessibleName(q(content_.keyboardTitle()));

    settings_->setText(q(content_.settingsTitle()));
    version_->setText(content_.versionText());
    quit_->setText(q(content_.quitTitle()));

    updateFeedback();
    for (QWidget* w : findChildren<QWidget*>()) w->update();
    update();
    fitHeight();
}

void MenuBarContentView::updateFeedback() {
    const auto& feedback = content_.feedback();
    if (feedback == shownFeedback_) return;
    const double fade = content_.feedbackTransition();
    const bool appearing = feedback.has_value();
    const bool wasShown = shownFeedback_.has_value();
    shownFeedback_ = feedback;
    feedbackFade_->stop();
    if (appearing) {
        feedbackSymbol_->setSymbol(feedback->symbol, feedback->tint);
        feedbackText_->setText(feedback->message);
        feedbackRow_->show();
    }
    if (fade <= 0) {
        feedbackOpacity_->setOpacity(1);
        feedbackRow_->setVisible(appearing);
        return;
    }
    // A line replacing another stays; a new one fades in, a cleared one fades out.
    if (appearing && wasShown) return;
    feedbackFade_->setDuration(int(fade * 1000));
    feedbackFade_->setStartValue(appearing ? 0.0 : 1.0);
    feedbackFade_->setEndValue(appearing ? 1.0 : 0.0);
    feedbackFade_->start();
}

void MenuBarContentView::fitHeight() {
    layout()->activate();
    const int h = layout()->sizeHint().height();
    if (h == height()) return;
    setFixedHeight(h);
    // On the next turn: the height may change while the popup is being shown.
    QTimer::singleShot(0, this, [this, h] {
        if (h != height()) return;
        if (onHeightChange) onHeightChange(h);
        if (window() != this && window()->isVisible()) setSeeThrough(MenuWindowTransparencyBridge::update(window()));
    });
}

void MenuBarContentView::setSeeThrough(bool on) {
    if (on == seeThrough_) return;
    seeThrough_ = on;
    update();
}

void MenuBarContentView::showEvent(QShowEvent*) {
    if (window() != this) setSeeThrough(MenuWindowTransparencyBridge::update(window()));
    refresh();
}

void MenuBarContentView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const bool opaque = !seeThrough_ || platform::accessibility().reduceTransparency();
    GlassMenuBackdrop::paint(p, rect(), menuIsDark(), opaque);
}

namespace {

// Puts a panel view into the popup when it opens and releases it when it closes: an idle
// program keeps no panel widgets.
class PanelViewHolder final : public QObject {
public:
    PanelViewHolder(QWidget* window, MenuBarContent& content, std::function<void(double)> heightChanged)
        : QObject(window), window_(window), content_(content), heightChanged_(std::move(heightChanged)) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show && !view_) {
            view_ = new MenuBarContentView(content_, window_);
            view_->move(0, 0);
            view_->onHeightChange = heightChanged_;
            view_->show();
            if (heightChanged_) heightChanged_(view_->height());
        } else if (event->type() == QEvent::Hide && view_) {
            view_->hide();
            view_->deleteLater();
            view_ = nullptr;
        }
        return false;
    }

private:
    QWidget* window_;
    MenuBarContent& content_;
    std::function<void(double)> heightChanged_;
    QPointer<MenuBarContentView> view_;
};

}  // namespace

void installMenuPanel() {
    MenuBarEntryController::setPanelHost(
        [](platform::Popover& popover, MenuBarContent& content, std::function<void(double)> heightChanged) {
            QWidget* window = platform::qt::popoverWidget(popover);
            if (!window) return;
            MenuWindowTransparencyBridge::attach(window);
            new PanelViewHolder(window, content, std::move(heightChanged));
        });
}

}  // namespace menubar::qt
