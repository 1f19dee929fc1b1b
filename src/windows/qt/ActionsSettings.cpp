#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTextLayout>
#include <QTimer>
#include <QToolButton>
#include <QVariantAnimation>

#include "model/AppModel.h"
#include "platform/Accessibility.h"
#include "platform/Services.h"
#include "platform/qt/SymbolImages.h"
#include "windows/ActionsScenes.h"
#include "windows/qt/PageTiles.h"
#include "windows/qt/PetPreviewStage.h"
#include "windows/qt/SettingsBlocks.h"
#include "windows/qt/SettingsPages.h"

namespace windows::qt {
namespace {

using model::DesktopDemoTarget;
using model::L10n;
using model::PetActivity;
using model::PetLifeScene;

constexpr int kLoopInterval = 6400;  // ms

// A scene's name beside its desktop button, on one rounded fill.
class SceneTile final : public QWidget {
public:
    SceneTile(PetLifeScene scene, std::function<void()> preview, std::function<void()> desktop) {
        setObjectName(QString::fromStdString("scene-" + std::to_string(static_cast<int>(scene))));
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(0);
        auto* name = new Tile(std::string(sceneSymbol(scene)), model::title(scene), 36, 0, 0);
        name->setObjectName("scenePreview");
        QObject::connect(name, &QAbstractButton::clicked, this, std::move(preview));
        auto* onDesktop = new QToolButton;
        onDesktop->setObjectName("sceneOnDesktop");
        onDesktop->setAutoRaise(true);
        onDesktop->setFixedSize(34, 36);
        onDesktop->setIcon(platform::qt::symbolIcon("macwindow", QApplication::palette().color(QPalette::WindowText)));
        onDesktop->setIconSize(QSize(16, 16));
        onDesktop->setToolTip(QString::fromStdString(L10n::t("在真实桌面演出")));
        QObject::connect(onDesktop, &QToolButton::clicked, this, std::move(desktop));
        row->addWidget(name, 1);
        row->addWidget(onDesktop);
    }
    void setChosen(bool chosen) {
        chosen_ = chosen;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QColor fill = chosen_ ? accentColor() : QApplication::palette().color(QPalette::WindowText);
        fill.setAlphaF(chosen_ ? 0.16f : 0.035f);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), 8, 8);
        p.fillPath(path, fill);
    }

private:
    bool chosen_ = false;
};

// The outcome line beside the stage's controls: at most two lines at its width, each whole; a
// longer text ends the second line in an ellipsis and shows whole in the tooltip. Its room is
// kept while it is empty, so the controls never move when a message comes or goes.
class OutcomeLine final : public QLabel {
public:
    OutcomeLine() {
        setTextFormat(Qt::PlainText);
        setFont(fontFor(TextStyle::caption2, QFont::Normal));
        QPalette palette = this->palette();
        palette.setColor(QPalette::WindowText, secondaryColor());
        setPalette(palette);
        QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        policy.setRetainSizeWhenHidden(true);
        setSizePolicy(policy);
        fitHeight();
    }
    void say(const QString& text) {
        full_ = text;
        setToolTip(text);
        fit();
        setVisible(!text.isEmpty());
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        fit();
    }
    void changeEvent(QEvent* event) override {
        QLabel::changeEvent(event);
        if (event->type() == QEvent::FontChange) {
            fitHeight();
            fit();
        }
    }

private:
    void fitHeight() { setFixedHeight(fontMetrics().lineSpacing() * 2 + 2); }
    // The lines are broken here, not by the label, so that no third line can ever open: the
    // first as the text wraps, then the rest.
    void fit() {
        const int width = contentsRect().width();
        if (width <= 0 || fontMetrics().horizontalAdvance(full_) <= width) {
            setText(full_);
            return;
        }
        QTextLayout layout(full_, font());
        layout.beginLayout();
        QTextLine first = layout.createLine();
        first.setLineWidth(width);
        layout.endLayout();
        const int split = first.textStart() + first.textLength();
        setText(full_.left(split).trimmed() + '\n' +
                fontMetrics().elidedText(full_.mid(split).trimmed(), Qt::ElideRight, width));
    }

    QString full_;
};

class ActionsSettings final : public QWidget {
public:
    ActionsSettings(model::AppModel& model, const SettingsActions& actions) : model_(model), actions_(actions) {
        auto* page = vstack(this, 12);
        page->addLayout(headerRow());
        page->addWidget(stageCard());
        auto* scroll = new QScrollArea;
        scroll->setObjectName("actionsScroll");
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidgetResizable(true);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        auto* galleries = new QWidget;
        auto* stack = vstack(galleries, 18);
        stack->setContentsMargins(0, 0, 0, 20);
        stack->addWidget(sceneCard());
        stack->addWidget(poseCard());
        stack->addStretch(1);
        scroll->setWidget(galleries);
        page->addWidget(scroll, 1);

        loopTimer_ = new QTimer(this);
        loopTimer_->setObjectName("loopTimer");
        loopTimer_->setInterval(kLoopInterval);
        loopTimer_->setTimerType(Qt::PreciseTimer);
        QObject::connect(loopTimer_, &QTimer::timeout, this, [this] { tick(); });
        loopTimer_->start();

        bindings_.follow(model_.petCount, [this](int count) {
            if (count == 1) demoTarget_ = DesktopDemoTarget::first;
            showTarget();
        });
        bindings_.follow(model_.petNames, [this](const auto&) { showTarget(); });
        bindings_.follow(model_.petAccessories, [this](const auto&) { render(); });
        render();
    }

    // The loop's tick, also reached by tests without waiting for the timer.
    void tick() {
        if (!loops_ || !isPlaying_) return;
        if (selectedScene_) {
            playScenePreview(*selectedScene_);
        } else {
            ++replayToken_;
            render();
        }
    }

private:
    QHBoxLayout* headerRow() {
        auto* row = new QHBoxLayout;
        auto* texts = new QVBoxLayout;
        texts->setSpacing(2);
        auto* title = makeLabel(L10n::t("动作工作室"), TextStyle::title2);
        title->setFont(fontFor(TextStyle::title2, QFont::Bold));
        title->setObjectName("pageTitle");
        texts->addWidget(title);
        texts->addWidget(makeLabel(L10n::t("点选下方动作，预览始终留在这里；巡演会收起设置窗口。"), TextStyle::caption, true, true));
        row->addLayout(texts, 1);
        target_ = new QComboBox;
        target_->setObjectName("demoTarget");
        target_->setAccessibleName(QString::fromStdString(L10n::t("演出角色")));
        target_->setFixedWidth(112);
        QObject::connect(target_, &QComboBox::activated, this,
                         [this](int i) { demoTarget_ = model::allCases<DesktopDemoTarget>[static_cast<size_t>(i)]; });
        soloLine_ = makeLabel({}, TextStyle::caption, true);
        soloLine_->setObjectName("soloPerformer");
        auto* tour = pushButton(L10n::t("桌面巡演全部"));
        tour->setObjectName("tour");
        QObject::connect(tour, &QPushButton::clicked, this, [this] {
            const bool started = actions_.demonstrateAll && actions_.demonstrateAll(demoTarget_);
            if (started && actions_.hideSettingsWindow) actions_.hideSettingsWindow();
            // Without a tray the panel that sends the pets home opens only by starting again.
            const std::string howToStop = trayShowsEntry(actions_)
                                              ? L10n::t("已开始实景巡演；点击菜单栏“回家”可停止。")
                                              : L10n::t("已开始实景巡演；再次启动栗丸，在打开的面板中点击“让栗丸回家”可停止。");
            say(started ? howToStop : L10n::t("请先显示栗丸并退出全屏。"));
        });
        row->addWidget(target_, 0, Qt::AlignVCenter);
        row->addWidget(soloLine_, 0, Qt::AlignVCenter);
        row->addWidget(tour, 0, Qt::AlignVCenter);
        return row;
    }

    void showTarget() {
        const bool two = model_.petCount == 2;
        target_->setVisible(two);
        soloLine_->setVisible(!two);
        const QSignalBlocker blocker(target_);
        target_->clear();
        target_->addItem(QString::fromStdString(model_.name(0)));
        target_->addItem(QString::fromStdString(model_.name(1)));
        target_->addItem(QString::fromStdString(L10n::t("两只")));
        target_->setCurrentIndex(static_cast<int>(demoTarget_));
        soloLine_->setText(QString::fromStdString(L10n::format(L10n::t("%@演出"), {model_.name(0)})));
    }

    QWidget* stageCard() {
        auto* card = new SettingsCard;
        card->content()->setSpacing(14);
        auto* titleRow = new QHBoxLayout;
        auto* texts = new QVBoxLayout;
        texts->setSpacing(3);
        shown_ = new SymbolLabel(TextStyle::headline, 16);
        shown_->setObjectName("previewTitle");
        environmentLine_ = makeLabel({}, TextStyle::caption, true);
        texts->addWidget(shown_);
        texts->addWidget(environmentLine_);
        titleRow->addLayout(texts, 1);
        auto* environment = new QComboBox;
        environment->setObjectName("environment");
        environment->setAccessibleName(QString::fromStdString(L10n::t("环境")));
        environment->setFixedWidth(120);
        for (auto e : model::allCases<PreviewHomeEnvironment>) environment->addItem(QString::fromStdString(title(e)));
        QObject::connect(environment, &QComboBox::activated, this, [this](int i) {
            environment_ = model::allCases<PreviewHomeEnvironment>[static_cast<size_t>(i)];
            ++replayToken_;
            render();
        });
        auto* count = new SegmentedPicker({L10n::t("1 只"), L10n::t("2 只")}, 0, [this](int i) {
            previewCount_ = i + 1;
            ++replayToken_;
            render();
        });
        count->setObjectName("previewCount");
        count->setAccessibleName(QString::fromStdString(L10n::t("数量")));
        count->setCurrentIndex(1);
        titleRow->addWidget(environment, 0, Qt::AlignVCenter);
        titleRow->addWidget(count, 0, Qt::AlignVCenter);
        card->content()->addLayout(titleRow);

        stage_ = new PetPreviewStage;
        card->add(stage_);

        auto* controls = new QHBoxLayout;
        controls->setSpacing(8);
        play_ = pushButton({}, true);
        play_->setObjectName("play");
        QObject::connect(play_, &QPushButton::clicked, this, [this] {
            isPlaying_ = true;
            if (selectedScene_) {
                playScenePreview(*selectedScene_);
            } else {
                ++replayToken_;
                render();
            }
        });
        auto* stop = pushButton(L10n::t("停止"));
        stop->setObjectName("stop");
        setButtonSymbol(stop, "stop.fill");
        QObject::connect(stop, &QPushButton::clicked, this, [this] {
            isPlaying_ = false;
            ++generation_;
            stopOffsetAnimation();
            previewOffset_ = 0;
            secondaryActivity_.reset();
            ++replayToken_;
            render();
        });
        auto* loop = new QCheckBox(QString::fromStdString(L10n::t("循环")));
        loop->setObjectName("loops");
        loop->setFont(fontFor(TextStyle::callout));
        loop->setChecked(true);
        QObject::connect(loop, &QCheckBox::toggled, this, [this](bool on) { loops_ = on; });
        message_ = new OutcomeLine;
        message_->setObjectName("desktopMessage");
        message_->hide();
        controls->addWidget(play_);
        controls->addWidget(stop);
        controls->addWidget(loop);
        controls->addSpacing(4);
        controls->addWidget(message_, 1);
        card->content()->addLayout(controls);
        return card;
    }

    QWidget* sceneCard() {
        auto* card = new SettingsCard(L10n::t("生活片段 · 从头看到尾"));
        card->add(makeLabel(L10n::t("点击名称在上方预览；右侧按钮让选中的角色在真实桌面演出。巡演包含 6 个生活片段和 26 个姿态，与按键反馈勾选无关；拎起需手动拖拽。"),
                            TextStyle::caption, true, true));
        auto* grid = new QWidget;
        auto* layout = new QGridLayout(grid);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(8);
        constexpr int kColumns = 2;  // 200-point columns
        int i = 0;
        for (auto scene : model::allCases<PetLifeScene>) {
            auto* tile = new SceneTile(
                scene,
                [this, scene] {
                    selectedScene_ = scene;
                    isPlaying_ = true;
                    playScenePreview(scene);
                },
                [this, scene] {
                    const bool ok = actions_.demonstrateScene && actions_.demonstrateScene(scene, demoTarget_);
                    sayDesktop(ok, model::title(scene));
                });
            layout->addWidget(tile, i / kColumns, i % kColumns);
            sceneTiles_.emplace_back(scene, tile);
            ++i;
        }
        for (int c = 0; c < kColumns; ++c) layout->setColumnStretch(c, 1);
        card->add(grid);
        return card;
    }

    QWidget* poseCard() {
        auto* card = new SettingsCard(L10n::t("全部动作"));
        auto* top = new QHBoxLayout;
        top->addWidget(makeLabel(L10n::t("选中动作后，可在真实桌面单独演出。拎起需要亲手拖拽。"), TextStyle::caption, true, true), 1);
        poseOnDesktop_ = pushButton(L10n::t("桌面演出"));
        poseOnDesktop_->setObjectName("poseOnDesktop");
        QObject::connect(poseOnDesktop_, &QPushButton::clicked, this, [this] {
            const bool ok = actions_.demonstratePose && actions_.demonstratePose(activity_, demoTarget_);
            sayDesktop(ok, model::title(activity_));
        });
        top->addWidget(poseOnDesktop_);
        card->content()->addLayout(top);
        for (auto section : model::allCases<model::PetActivityCategory>) {
            auto* block = new QWidget;
            auto* stack = vstack(block, 8);
            auto* heading = makeLabel(title(section), TextStyle::caption, true);
            heading->setFont(fontFor(TextStyle::caption, QFont::DemiBold));
            stack->addWidget(heading);
            auto* grid = new QGridLayout;
            grid->setSpacing(8);
            constexpr int kColumns = 4;  // 112-point columns
            int i = 0;
            for (auto pose : model::allCases<PetActivity>) {
                if (category(pose) != section) continue;
                auto* tile = new Tile(std::string(model::symbol(pose)), model::title(pose), 34, 0.16, 0.035);
                tile->setObjectName(QString::fromUtf8(model::rawValue(pose).data()));
                QObject::connect(tile, &QAbstractButton::clicked, this, [this, pose] { choosePose(pose); });
                grid->addWidget(tile, i / kColumns, i % kColumns);
                poseTiles_.emplace_back(pose, tile);
                ++i;
            }
            for (int c = 0; c < kColumns; ++c) grid->setColumnStretch(c, 1);
            stack->addLayout(grid);
            card->add(block);
            if (section != model::PetActivityCategory::play) card->add(softDivider());
        }
        return card;
    }

    void choosePose(PetActivity pose) {
        ++generation_;
        selectedScene_.reset();
        secondaryActivity_.reset();
        stopOffsetAnimation();
        previewOffset_ = 0;
        activity_ = pose;
        isPlaying_ = true;
        ++replayToken_;
        render();
    }

    void playScenePreview(PetLifeScene scene) {
        const int generation = ++generation_;
        stopOffsetAnimation();
        previewOffset_ = 0;
        secondaryActivity_ = PetActivity::peeking;
        activity_ = openingPose(scene);
        ++replayToken_;
        render();
        for (const PreviewBeat& beat : sceneBeats(scene)) {
            QTimer::singleShot(static_cast<int>(beat.delay * 1000), this, [this, generation, beat] {
                if (generation != generation_ || !isPlaying_) return;
                activity_ = beat.first;
                secondaryActivity_ = beat.second;
                moveOffset(beat.offset, beat.first == PetActivity::roaming ? 1400 : 350);
                ++replayToken_;
                render();
            });
        }
    }

    void moveOffset(double target, int duration) {
        stopOffsetAnimation();
        if (platform::accessibility().reduceMotion() || target == previewOffset_) {
            previewOffset_ = target;
            return;
        }
        offsetAnimation_ = new QVariantAnimation(this);
        offsetAnimation_->setStartValue(previewOffset_);
        offsetAnimation_->setEndValue(target);
        offsetAnimation_->setDuration(duration);
        offsetAnimation_->setEasingCurve(QEasingCurve::InOutQuad);
        QObject::connect(offsetAnimation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
            previewOffset_ = value.toDouble();
            render();
        });
        offsetAnimation_->start(QAbstractAnimation::DeleteWhenStopped);
    }

    void stopOffsetAnimation() {
        if (offsetAnimation_) offsetAnimation_->stop();
        offsetAnimation_ = nullptr;
    }

    void sayDesktop(bool ok, const std::string& what) {
        say(ok ? L10n::format(L10n::t("正在桌面演出：%@"), {what}) : L10n::t("请先显示栗丸并退出全屏。"));
    }

    void say(const std::string& text) {
        message_->say(QString::fromStdString(text));
    }

    // Everything the page shows follows its state from here.
    void render() {
        PetPreviewStage::State state;
        state.activity = isPlaying_ ? activity_ : PetActivity::home;
        state.secondaryActivity = isPlaying_ ? secondaryActivity_ : std::nullopt;
        state.environment = environment_;
        state.petCount = previewCount_;
        state.accessories = model_.petAccessories;
        state.motionOffset = isPlaying_ ? previewOffset_ : 0;
        state.replayToken = replayToken_;
        stage_->setState(state);

        if (selectedScene_) {
            shown_->set(model::title(*selectedScene_), std::string(sceneSymbol(*selectedScene_)), QApplication::palette().color(QPalette::WindowText));
        } else {
            shown_->set(model::title(activity_), std::string(model::symbol(activity_)), QApplication::palette().color(QPalette::WindowText));
        }
        shown_->text()->setFont(fontFor(TextStyle::headline));
        environmentLine_->setText(QString::fromStdString(L10n::format(L10n::t("在%@环境预览"), {title(environment_)})));
        play_->setText(QString::fromStdString(isPlaying_ ? L10n::t("重播") : L10n::t("播放")));
        setButtonSymbol(play_, isPlaying_ ? "arrow.clockwise" : "play.fill");
        poseOnDesktop_->setEnabled(activity_ != PetActivity::dragged);
        for (auto [scene, tile] : sceneTiles_) tile->setChosen(selectedScene_ == scene);
        for (auto [pose, tile] : poseTiles_) tile->setChosen(pose == activity_);
    }

    model::AppModel& model_;
    const SettingsActions actions_;

    PetActivity activity_ = PetActivity::peeking;
    std::optional<PetActivity> secondaryActivity_;
    std::optional<PetLifeScene> selectedScene_;
    double previewOffset_ = 0;
    int generation_ = 0;
    PreviewHomeEnvironment environment_ = PreviewHomeEnvironment::notch;
    int previewCount_ = 2;
    int replayToken_ = 0;
    bool isPlaying_ = true;
    bool loops_ = true;
    DesktopDemoTarget demoTarget_ = DesktopDemoTarget::both;

    QTimer* loopTimer_ = nullptr;
    // The animation deletes itself when it ends.
    QPointer<QVariantAnimation> offsetAnimation_;
    PetPreviewStage* stage_ = nullptr;
    SymbolLabel* shown_ = nullptr;
    QLabel* environmentLine_ = nullptr;
    QComboBox* target_ = nullptr;
    QLabel* soloLine_ = nullptr;
    QPushButton* play_ = nullptr;
    QPushButton* poseOnDesktop_ = nullptr;
    OutcomeLine* message_ = nullptr;
    std::vector<std::pair<PetLifeScene, SceneTile*>> sceneTiles_;
    std::vector<std::pair<PetActivity, Tile*>> poseTiles_;
    Bindings bindings_;
};

}  // namespace

QWidget* makeActionsSettings(model::AppModel& model, const SettingsActions& actions) {
    return new ActionsSettings(model, actions);
}

}  // namespace windows::qt
