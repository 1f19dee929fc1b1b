#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <cstdio>

#include "model/AppModel.h"
#include "windows/qt/SettingsBlocks.h"
#include "windows/qt/SettingsPages.h"

namespace windows::qt {
namespace {

using model::L10n;
using model::PetActivityLevel;
using model::PetActivityTuning;

// The slider moves in thousandths of a factor: continuous to the eye, exact at the ends.
constexpr int kSliderScale = 1000;

std::string displayName(PetActivityLevel level) {
    switch (level) {
        case PetActivityLevel::quiet:
            return L10n::t("安静");
        case PetActivityLevel::natural:
            return L10n::t("自然");
        case PetActivityLevel::lively:
            return L10n::t("活泼");
    }
    return {};
}

std::string displayName(model::DragStayDuration duration) {
    switch (duration) {
        case model::DragStayDuration::short_:
            return L10n::t("15 秒");
        case model::DragStayDuration::minute:
            return L10n::t("1 分钟");
        case model::DragStayDuration::untilCalledHome:
            return L10n::t("一直停留");
    }
    return {};
}

std::string activityDescription(PetActivityLevel level) {
    switch (level) {
        case PetActivityLevel::quiet:
            return L10n::t("较少离家，互动更克制。");
        case PetActivityLevel::natural:
            return L10n::t("有休息与玩耍的自然节奏。");
        case PetActivityLevel::lively:
            return L10n::t("更常跑动，也更主动找同伴。");
    }
    return {};
}

std::vector<std::string> levelNames() {
    std::vector<std::string> names;
    for (auto level : model::allCases<PetActivityLevel>) names.push_back(displayName(level));
    return names;
}

class BehaviorSettings final : public QWidget {
public:
    explicit BehaviorSettings(model::AppModel& model) : model_(model), tuningLevel_(PetActivityLevel::natural) {
        auto* page = vstack(this, 18);
        page->addWidget(pageHeader(L10n::t("日常"), L10n::t("它们如何活动"),
                                   L10n::t("在一处调整生活节奏、跑动、拖拽后停留与窗口漫步。")));
        page->addWidget(rhythmCard());
        page->addWidget(tuningCard());
        page->addWidget(walkCard());
        page->addStretch(1);
    }

protected:
    void showEvent(QShowEvent* event) override {
        QWidget::showEvent(event);
        // Each appearance edits the level the pets are on.
        showTuning(model_.activityLevel.get());
    }

private:
    QWidget* rhythmCard() {
        auto* card = new SettingsCard(L10n::t("生活节奏"));
        auto* level = new SegmentedPicker(levelNames(), 222, [this](int i) {
            model_.activityLevel = model::allCases<PetActivityLevel>[static_cast<size_t>(i)];
        });
        level->setObjectName("activityLevel");
        level->setAccessibleName(QString::fromStdString(L10n::t("活跃程度")));
        auto* levelRow = settingRow(L10n::t("活跃程度"), activityDescription(model_.activityLevel), level);
        auto* description = levelRow->findChild<QLabel*>("rowDetail");
        card->add(levelRow);
        card->add(softDivider());

        auto* stay = new QComboBox;
        stay->setObjectName("dragStayDuration");
        stay->setAccessibleName(QString::fromStdString(L10n::t("拖拽后停留")));
        stay->setFixedWidth(150);
        for (auto duration : model::allCases<model::DragStayDuration>)
            stay->addItem(QString::fromStdString(displayName(duration)));
        QObject::connect(stay, &QComboBox::activated, this, [this](int i) {
            model_.dragStayDuration = model::allCases<model::DragStayDuration>[static_cast<size_t>(i)];
        });
        card->add(settingRow(L10n::t("拖拽后停留"), L10n::t("放在别处后安心待着；随时可以叫它们回家。"), stay));

        bindings_.follow(model_.activityLevel, [=](PetActivityLevel value) {
            level->setCurrentIndex(static_cast<int>(value));
            description->setText(QString::fromStdString(activityDescription(value)));
        });
        bindings_.follow(model_.dragStayDuration, [=](model::DragStayDuration value) {
            const QSignalBlocker blocker(stay);
            stay->setCurrentIndex(static_cast<int>(value));
        });
        return card;
    }

    QWidget* tuningCard() {
        auto* card = new SettingsCard(L10n::t("三种节奏的细节"));
        editor_ = new SegmentedPicker(levelNames(), 0, [this](int i) {
            showTuning(model::allCases<PetActivityLevel>[static_cast<size_t>(i)]);
        });
        editor_->setObjectName("tuningLevel");
        editor_->setAccessibleName(QString::fromStdString(L10n::t("编辑节奏")));
        card->add(editor_);
        auto* caption = makeLabel({}, TextStyle::caption, true, true);
        card->add(caption);
        bindings_.follow(model_.activityLevel, [=](PetActivityLevel value) {
            caption->setText(QString::fromStdString(
                L10n::format(L10n::t("三档分别保存；正在使用“%@”时，修改立即生效。"), {displayName(value)})));
        });
        addSlider(card, L10n::t("场景频率"), "sceneFrequency", &PetActivityTuning::sceneFrequency);
        addSlider(card, L10n::t("双宠互动"), "interactionFrequency", &PetActivityTuning::interactionFrequency);
        addSlider(card, L10n::t("跑动距离"), "travelDistance", &PetActivityTuning::travelDistance);

        auto* reset = pushButton(L10n::t("恢复这档默认"));
        reset->setObjectName("resetTuning");
        QObject::connect(reset, &QPushButton::clicked, this,
                         [this] { model_.setTuning(PetActivityTuning{}, tuningLevel_); });
        auto* resetRow = new QHBoxLayout;
        resetRow->addStretch(1);
        resetRow->addWidget(reset);
        card->content()->addLayout(resetRow);
        bindings_.follow(model_.activityTunings, [this](const auto&) { refreshSliders(); });
        showTuning(tuningLevel_);
        return card;
    }

    void addSlider(SettingsCard* card, const std::string& title, const char* name, double PetActivityTuning::*factor) {
        auto* row = new QWidget;
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(12);
        auto* label = makeLabel(title, TextStyle::body);
        label->setFixedWidth(82);
        auto* slider = new QSlider(Qt::Horizontal);
        slider->setObjectName(name);
        slider->setAccessibleName(QString::fromStdString(title));
        slider->setRange(static_cast<int>(PetActivityTuning::minimumFactor * kSliderScale),
                         static_cast<int>(PetActivityTuning::maximumFactor * kSliderScale));
        auto* number = makeLabel({}, TextStyle::caption);
        number->setObjectName(QString(name) + "Text");
        QFont digits = number->font();
        digits.setStyleHint(QFont::Monospace);
        digits.setFamily("DejaVu Sans Mono");
        number->setFont(digits);
        number->setFixedWidth(38);
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        layout->addWidget(label);
        layout->addWidget(slider, 1);
        layout->addWidget(number);
        QObject::connect(slider, &QSlider::valueChanged, this, [this, factor](int value) {
            auto tuning = model_.tuning(tuningLevel_);
            tuning.*factor = static_cast<double>(value) / kSliderScale;
            model_.setTuning(tuning, tuningLevel_);
        });
        sliders_.push_back({slider, number, factor});
        card->add(row);
    }

    void showTuning(PetActivityLevel level) {
        tuningLevel_ = level;
        editor_->setCurrentIndex(static_cast<int>(level));
        refreshSliders();
    }

    // Every read goes back to the model, so the sliders show the stored, clamped values.
    void refreshSliders() {
        const auto tuning = model_.tuning(tuningLevel_);
        for (const auto& s : sliders_) {
            const QSignalBlocker blocker(s.slider);
            const double value = tuning.*(s.factor);
            s.slider->setValue(static_cast<int>(std::lround(value * kSliderScale)));
            char text[16];
            std::snprintf(text, sizeof text, "%.1f×", value);
            s.number->setText(QString::fromUtf8(text));
        }
    }

    QWidget* walkCard() {
        auto* card = new SettingsCard(L10n::t("窗口漫步"));
        auto* walk = new Switch(L10n::t("沿窗口上沿散步"));
        walk->setObjectName("windowWalkingEnabled");
        QObject::connect(walk, &QAbstractButton::clicked, this,
                         [this](bool on) { model_.windowWalkingEnabled = on; });
        bindings_.follow(model_.windowWalkingEnabled, [walk](bool on) { walk->setChecked(on); });
        card->add(settingRow(L10n::t("沿窗口上沿散步"), L10n::t("默认关闭；只在遇到安全的普通窗口时短暂试走。"), walk));
        card->add(makeLabel(L10n::t("仅即时使用窗口的位置、大小和编号，不读取标题或画面，不保存路线。"), TextStyle::caption,
                            true, true));
        return card;
    }

    struct SliderRow {
        QSlider* slider;
        QLabel* number;
        double PetActivityTuning::*factor;
    };

    model::AppModel& model_;
    PetActivityLevel tuningLevel_;
    SegmentedPicker* editor_ = nullptr;
    std::vector<SliderRow> sliders_;
    Bindings bindings_;
};

}  // namespace

QWidget* makeBehaviorSettings(model::AppModel& model) {
    return new BehaviorSettings(model);
}

}  // namespace windows::qt
