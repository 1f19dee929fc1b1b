#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include "model/AppModel.h"
#include "windows/qt/SettingsBlocks.h"
#include "windows/qt/SettingsPages.h"

namespace windows::qt {
namespace {

using model::L10n;
using model::PetAccessory;
using model::PetHomeCommandResult;
using model::PetHomePreference;

constexpr int kFeedbackMilliseconds = 2200;
constexpr int kNoteIndent = 48;

std::string homeTitle(PetHomePreference preference) {
    switch (preference) {
        case PetHomePreference::automatic:
            return L10n::t("自动");
        case PetHomePreference::notch:
            return L10n::t("刘海");
        case PetHomePreference::dock:
            return L10n::t("任务栏");
    }
    return {};
}

std::string accessoryTitle(PetAccessory accessory) {
    switch (accessory) {
        case PetAccessory::none:
            return L10n::t("原本的样子");
        case PetAccessory::starPin:
            return L10n::t("小星星");
        case PetAccessory::scarf:
            return L10n::t("小围巾");
    }
    return {};
}

struct Feedback {
    std::string_view text;
    const char* symbol;
    bool warning;
};

Feedback feedbackFor(PetHomeCommandResult result) {
    switch (result) {
        case PetHomeCommandResult::moved:
            return {L10n::key("正在回到刘海或 Dock"), "house.fill", false};
        case PetHomeCommandResult::alreadyHome:
            return {L10n::key("已经乖乖在家"), "checkmark.circle.fill", false};
        case PetHomeCommandResult::hidden:
            return {L10n::key("已经回家藏好"), "eye.slash.fill", false};
        case PetHomeCommandResult::unavailable:
            break;
    }
    return {L10n::key("暂时找不到合适的家"), "exclamationmark.triangle.fill", true};
}

QWidget* indented(QWidget* widget) {
    auto* box = new QWidget;
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(kNoteIndent, 0, 0, 0);
    layout->addWidget(widget);
    return box;
}

// The name editor keeps what the user types while editing; the model's rules (trimmed, at
// most 12 characters, the default name for an empty one) apply once the edit is committed
// with Return or by leaving the field.
class PetNameField final : public QLineEdit {
public:
    PetNameField(model::AppModel& model, int id) : model_(model), id_(id) {
        setObjectName(QString("petName%1").arg(id));
        setFrame(false);
        setStyleSheet("QLineEdit { background: transparent; padding: 0; }");
        setFont(fontFor(TextStyle::body, QFont::DemiBold));
        setPlaceholderText(QString::fromStdString(id == 0 ? L10n::t("第一只") : L10n::t("第二只")));
        connect(this, &QLineEdit::editingFinished, this, [this] { commit(); });
        subscription_ = model_.petNames.subscribe([this](const auto&) {
            if (!hasFocus()) setText(QString::fromStdString(model_.name(id_)));
        });
    }

    void commit() {
        if (!isModified()) return;
        setModified(false);
        model_.setName(text().toStdString(), id_);
        setText(QString::fromStdString(model_.name(id_)));
    }

protected:
    void hideEvent(QHideEvent* event) override {
        commit();
        QLineEdit::hideEvent(event);
    }

private:
    model::AppModel& model_;
    int id_;
    platform::Subscription subscription_;
};

class GeneralSettings final : public QWidget {
public:
    GeneralSettings(model::AppModel& model, SettingsActions actions) : model_(model), actions_(std::move(actions)) {
        auto* page = vstack(this, 18);
        page->addWidget(pageHeader(L10n::t("它们的房间"), L10n::t("让栗丸住得舒服一点"),
                                   L10n::t("决定谁陪着你、它们的名字与装饰，以及各自住在哪里。")));
        page->addWidget(heroCard());
        page->addWidget(screenCard());
        page->addWidget(homeCard());
        page->addWidget(namesCard());
        page->addWidget(accessoryCard());
        page->addStretch(1);
        bindings_.follow(model_.petCount, [this](int) { showPetCount(); });
        bindings_.follow(model_.petsAwayFromHome, [this](int) { showHeroTitle(); });
        bindings_.follow(model_.petNames, [this](const auto&) { renameRows(); });
    }

private:
    QWidget* heroCard() {
        auto* card = new SettingsCard;
        auto* row = new QHBoxLayout;
        row->setSpacing(24);
        heroMarks_ = new MarkRow(2, 58, 8, 5, false, {150, 96});
        heroMarks_->setObjectName("heroMarks");
        row->addWidget(heroMarks_);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(6);
        heroTitle_ = makeLabel({}, TextStyle::title3);
        heroTitle_->setFont(fontFor(TextStyle::title3, QFont::DemiBold));
        heroTitle_->setObjectName("heroTitle");
        auto* line = makeLabel({}, TextStyle::callout, true, true);
        bindings_.follow(model_.petsVisible, [line](bool visible) {
            line->setText(QString::fromStdString(visible ? L10n::t("它们会从屏幕边缘探头，安静陪你工作。")
                                                         : L10n::t("目前已经藏好，随时可以叫它们回来。")));
        });
        texts->addStretch(1);
        texts->addWidget(heroTitle_);
        texts->addWidget(line);
        texts->addStretch(1);
        row->addLayout(texts, 1);
        card->content()->addLayout(row);
        return card;
    }

    // One pet is simply on duty; of two, the headline says which are at home this moment. The
    // texts keep the default names.
    void showHeroTitle() {
        const int away = model_.petsAwayFromHome.get();
        const std::string title = model_.petCount.get() == 1 ? L10n::t("今天由栗栗值班")
                                  : away == 0                ? L10n::t("栗栗和丸丸都在家")
                                  : away == 1                ? L10n::t("一只在家，一只出门了")
                                                             : L10n::t("栗栗和丸丸都出门了");
        heroTitle_->setText(QString::fromStdString(title));
    }

    Switch* boundSwitch(platform::Published<bool>& property, const char* name, const std::string& title) {
        auto* toggle = new Switch(title);
        toggle->setObjectName(name);
        QObject::connect(toggle, &QAbstractButton::clicked, this, [&property](bool on) { property = on; });
        bindings_.follow(property, [toggle](bool on) { toggle->setChecked(on); });
        return toggle;
    }

    QWidget* screenCard() {
        auto* card = new SettingsCard(L10n::t("在屏幕上"));
        const std::string whenOff = trayShowsEntry(actions_) ? L10n::t("关闭后只保留菜单栏入口。")
                                                              : L10n::t("关闭后屏幕上什么都不留；再次启动栗丸可打开面板。");
        card->add(settingRow(L10n::t("显示栗丸"), whenOff,
                             boundSwitch(model_.petsVisible, "petsVisible", L10n::t("显示栗丸"))));
        card->add(softDivider());
        auto* count = new SegmentedPicker({L10n::t("一只"), L10n::t("两只")}, 180,
                                          [this](int i) { model_.petCount = i + 1; });
        count->setObjectName("petCount");
        count->setAccessibleName(QString::fromStdString(L10n::t("宠物数量")));
        bindings_.follow(model_.petCount, [count](int n) { count->setCurrentIndex(n - 1); });
        card->add(settingRow(L10n::t("宠物数量"), std::nullopt, count));
        card->add(softDivider());
        card->add(settingRow(L10n::t("全屏时藏起来"), L10n::t("看电影或演示时不打扰你。"),
                             boundSwitch(model_.hideInFullScreen, "hideInFullScreen", L10n::t("全屏时藏起来"))));
        return card;
    }

    QWidget* homeCard() {
        auto* card = new SettingsCard(L10n::t("家"));
        auto* top = new QHBoxLayout;
        top->setSpacing(14);
        auto* icon = new SymbolLabel(TextStyle::title2, 24);
        icon->set({}, "house.and.flag.fill", accentColor());
        icon->setFixedWidth(34);
        top->addWidget(icon, 0, Qt::AlignTop);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(5);
        auto* choose = makeLabel(L10n::t("选择它们的家"), TextStyle::body);
        choose->setFont(fontFor(TextStyle::body, QFont::DemiBold));
        texts->addWidget(choose);
        texts->addWidget(makeLabel(L10n::t("默认自动安排，也可以让每只住在自己喜欢的地方。"), TextStyle::callout, true, true));
        top->addLayout(texts, 1);
        auto* sendHome = pushButton(L10n::t("现在回家"), true);
        sendHome->setObjectName("sendHome");
        QObject::connect(sendHome, &QPushButton::clicked, this, [this] { this->sendHome(); });
        top->addWidget(sendHome, 0, Qt::AlignTop);
        card->content()->addLayout(top);

        std::vector<std::string> titles;
        for (auto preference : model::allCases<PetHomePreference>) titles.push_back(homeTitle(preference));
        for (int i = 0; i < 2; ++i) {
            auto* picker = new SegmentedPicker(titles, 222, [this, i](int choice) {
                model_.setHomePreference(model::allCases<PetHomePreference>[static_cast<size_t>(choice)], i);
            });
            picker->setObjectName(QString("homePreference%1").arg(i));
            if (i == 1) {
                homeDivider_ = softDivider();
                card->add(homeDivider_);
            }
            homeRows_[i] = settingRow({}, std::nullopt, picker);
            card->add(homeRows_[i]);
            bindings_.follow(model_.homePreferences,
                             [this, picker, i](const auto&) { picker->setCurrentIndex(static_cast<int>(model_.homePreference(i))); });
        }
        card->add(indented(makeLabel(L10n::t("没有可用刘海时，“刘海”会自动退回 Dock；显示器变化后重新安家。"),
                                     TextStyle::caption, true, true)));
        notchNotice_ = new SymbolLabel(TextStyle::caption, 12);
        notchNotice_->setObjectName("notchNotice");
        notchNotice_->set(L10n::t("当前没有可用的刘海屏，已暂住 Dock。"), "info.circle", warningColor());
        card->add(indented(notchNotice_));
        feedback_ = new SymbolLabel(TextStyle::caption, 12);
        feedback_->setObjectName("homeFeedback");
        card->add(indented(feedback_));
        feedback_->parentWidget()->hide();
        bindings_.follow(model_.homePreferences, [this](const auto&) { refreshNotchNotice(); });
        return card;
    }

    QWidget* namesCard() {
        auto* card = new SettingsCard(L10n::t("名字与性格"));
        const std::string_view personalities[] = {L10n::key("好奇、活泼，喜欢先跑出去看看。"), L10n::key("慢热、爱困，更喜欢呆在家里。")};
        for (int i = 0; i < 2; ++i) {
            auto* row = new QWidget;
            auto* layout = new QHBoxLayout(row);
            layout->setContentsMargins(0, 0, 0, 0);
            layout->setSpacing(14 - markOverhang(34));
            layout->addWidget(makeMark(34));
            auto* texts = new QVBoxLayout;
            texts->setSpacing(3);
            texts->addWidget(new PetNameField(model_, i));
            texts->addWidget(makeLabel(L10n::t(personalities[i]), TextStyle::caption, true, true));
            layout->addLayout(texts, 1);
            if (i == 1) {
                nameDivider_ = softDivider();
                card->add(nameDivider_);
            }
            nameRows_[i] = row;
            card->add(row);
        }
        auto* reset = pushButton(L10n::t("恢复默认名字"));
        reset->setObjectName("resetPetNames");
        QObject::connect(reset, &QPushButton::clicked, this, [this] { model_.resetPetNames(); });
        auto* resetRow = new QHBoxLayout;
        resetRow->addStretch(1);
        resetRow->addWidget(reset);
        card->content()->addLayout(resetRow);
        return card;
    }

    QWidget* accessoryCard() {
        auto* card = new SettingsCard(L10n::t("一点自己的装饰"));
        card->add(makeLabel(L10n::t("只留两种轻巧的小物件；不影响栗丸原本的样子，也没有收集负担。"), TextStyle::callout,
                            true, true));
        for (int i = 0; i < 2; ++i) {
            auto* picker = new QComboBox;
            picker->setObjectName(QString("accessory%1").arg(i));
            picker->setFixedWidth(150);
            for (auto accessory : model::allCases<PetAccessory>)
                picker->addItem(QString::fromStdString(accessoryTitle(accessory)));
            QObject::connect(picker, &QComboBox::activated, this, [this, i](int choice) {
                model_.setAccessory(model::allCases<PetAccessory>[static_cast<size_t>(choice)], i);
            });
            bindings_.follow(model_.petAccessories, [this, picker, i](const auto&) {
                const QSignalBlocker blocker(picker);
                picker->setCurrentIndex(static_cast<int>(model_.accessory(i)));
            });
            if (i == 1) {
                accessoryDivider_ = softDivider();
                card->add(accessoryDivider_);
            }
            accessoryRows_[i] = settingRow({}, std::nullopt, picker);
            card->add(accessoryRows_[i]);
        }
        return card;
    }

    void showPetCount() {
        const bool two = model_.petCount.get() == 2;
        heroMarks_->setCount(model_.petCount.get());
        showHeroTitle();
        for (QWidget* w : {homeDivider_, homeRows_[1], nameDivider_, nameRows_[1], accessoryDivider_, accessoryRows_[1]})
            w->setVisible(two);
        refreshNotchNotice();
    }

    void renameRows() {
        for (int i = 0; i < 2; ++i) {
            const std::string name = model_.name(i);
            setRowTitle(homeRows_[i], L10n::format(L10n::t("%@的家"), {name}));
            setRowTitle(accessoryRows_[i], L10n::format(L10n::t("%@的装饰"), {name}));
        }
    }

    static void setRowTitle(QWidget* row, const std::string& title) {
        row->findChild<QLabel*>()->setText(QString::fromStdString(title));
    }

    void refreshNotchNotice() {
        bool wantsTop = false;
        for (int i = 0; i < model_.petCount.get(); ++i)
            wantsTop = wantsTop || model_.homePreference(i) == PetHomePreference::notch;
        // The screens are looked at only when a shown pet asks for the top.
        const bool show = wantsTop && !(actions_.topHomeHasRoom && actions_.topHomeHasRoom());
        notchNotice_->parentWidget()->setVisible(show);
    }

    void sendHome() {
        const uint64_t token = ++feedbackGeneration_;
        const auto result = actions_.sendPetsHome ? actions_.sendPetsHome() : PetHomeCommandResult::unavailable;
        const auto f = feedbackFor(result);
        feedback_->set(L10n::t(f.text), f.symbol, f.warning ? warningColor() : accentColor());
        feedback_->parentWidget()->show();
        // A later press takes over: this clear then does nothing.
        QTimer::singleShot(kFeedbackMilliseconds, this, [this, token] {
            if (token == feedbackGeneration_) feedback_->parentWidget()->hide();
        });
    }

    model::AppModel& model_;
    SettingsActions actions_;
    MarkRow* heroMarks_ = nullptr;
    QLabel* heroTitle_ = nullptr;
    QWidget* homeDivider_ = nullptr;
    QWidget* homeRows_[2] = {};
    QWidget* nameDivider_ = nullptr;
    QWidget* nameRows_[2] = {};
    QWidget* accessoryDivider_ = nullptr;
    QWidget* accessoryRows_[2] = {};
    SymbolLabel* notchNotice_ = nullptr;
    SymbolLabel* feedback_ = nullptr;
    uint64_t feedbackGeneration_ = 0;
    Bindings bindings_;
};

}  // namespace

QWidget* makeGeneralSettings(model::AppModel& model, const SettingsActions& actions) {
    return new GeneralSettings(model, actions);
}

}  // namespace windows::qt
