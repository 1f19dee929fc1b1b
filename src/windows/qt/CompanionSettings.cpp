#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <cstdio>

#include "model/AppModel.h"
#include "platform/qt/SymbolImages.h"
#include "windows/qt/PageTiles.h"
#include "windows/qt/SettingsBlocks.h"
#include "windows/qt/SettingsPages.h"

namespace windows::qt {
namespace {

using model::L10n;
using model::ReminderInterval;

// Minutes below an hour, dropping the fraction; otherwise hours with one decimal.
std::string companionTime(double seconds) {
    const double hours = seconds / 3600;
    if (hours < 1) return L10n::minutes(static_cast<int64_t>(hours * 60));
    char number[32];
    std::snprintf(number, sizeof number, "%.1f", hours);
    std::string format = L10n::t("%.1f 小时");
    const auto at = format.find("%.1f");
    if (at != std::string::npos) format.replace(at, 4, number);
    return format;
}

class CompanionSettings final : public QWidget {
public:
    explicit CompanionSettings(model::AppModel& model) : model_(model) {
        auto* page = vstack(this, 18);
        page->addWidget(pageHeader(L10n::t("一起生活"), L10n::t("把工作变成一段陪伴"),
                                   L10n::t("不催促、不惩罚，只在合适的时候安静坐好、伸个懒腰。")));
        page->addWidget(timeCard());
        page->addWidget(focusCard());
        page->addWidget(remindersCard());
        page->addStretch(1);
    }

private:
    QWidget* timeCard() {
        auto* card = new SettingsCard(L10n::t("我们的时间"));
        auto* row = new QHBoxLayout;
        row->setSpacing(12);
        auto* days = new StatTile("calendar", L10n::t("陪伴天数"), true, TextStyle::title3);
        auto* time = new StatTile("clock", L10n::t("累计陪伴"), true, TextStyle::title3);
        auto* sessions = new StatTile("timer", L10n::t("完成专注"), true, TextStyle::title3);
        days->setObjectName("companionDays");
        time->setObjectName("companionTime");
        sessions->setObjectName("completedFocusSessions");
        row->addWidget(days);
        row->addWidget(time);
        row->addWidget(sessions);
        card->content()->addLayout(row);
        bindings_.follow(model_.companionRecord, [=](const model::CompanionRecord& record) {
            days->setValue(QString::fromStdString(L10n::number(std::max(1, record.companionDays()))));
            time->setValue(QString::fromStdString(companionTime(record.totalCompanionSeconds)));
            sessions->setValue(QString::fromStdString(L10n::number(record.completedFocusSessions)));
        });
        return card;
    }

    QWidget* focusCard() {
        auto* card = new SettingsCard(L10n::t("专注陪伴"));
        auto* row = new QHBoxLayout;
        row->setSpacing(16);
        auto* symbol = new QLabel;
        symbol->setFixedSize(34, 34);
        row->addWidget(symbol);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(4);
        auto* headline = makeLabel({}, TextStyle::headline);
        headline->setObjectName("focusHeadline");
        // The idle line and the countdown share one place as tall as the taller of them, so the
        // card keeps its height when a session starts or ends and no row below moves.
        auto* second = new QStackedWidget;
        auto* idleLine = makeLabel(L10n::t("开始后，栗丸会回家陪你 25 分钟。"), TextStyle::callout, true, true);
        // Wrapped only so that it, too, tells the stack its height for a width.
        auto* countdown = makeLabel({}, TextStyle::title2, false, true);
        countdown->setFont(fontFor(TextStyle::title2, QFont::Bold));
        countdown->setObjectName("focusDetail");
        second->addWidget(idleLine);
        second->addWidget(countdown);
        texts->addWidget(headline);
        texts->addWidget(second);
        row->addLayout(texts, 1);
        auto* start = pushButton(L10n::t("开始 25 分钟"), true);
        start->setObjectName("startFocus");
        auto* stop = pushButton(L10n::t("结束"));
        stop->setObjectName("stopFocus");
        QObject::connect(start, &QPushButton::clicked, this, [this] { model_.startFocus(25); });
        QObject::connect(stop, &QPushButton::clicked, this, [this] { model_.stopFocus(); });
        row->addWidget(start);
        row->addWidget(stop);
        card->content()->addLayout(row);

        auto refresh = [=, this] {
            const bool active = model_.isFocusActive;
            symbol->setPixmap(platform::qt::symbolPixmap(active ? "timer.circle.fill" : "moon.stars.fill", 34,
                                                         accentColor(), devicePixelRatioF()));
            headline->setText(QString::fromStdString(active ? L10n::t("正在一起专注") : L10n::t("准备好安静坐一会儿")));
            countdown->setText(QString::fromStdString(model_.focusRemainingText()));
            second->setCurrentWidget(active ? countdown : idleLine);
            start->setVisible(!active);
            stop->setVisible(active);
        };
        bindings_.follow(model_.isFocusActive, [=](bool) { refresh(); });
        bindings_.follow(model_.focusRemaining, [=](double) { refresh(); });
        return card;
    }

    QWidget* remindersCard() {
        auto* card = new SettingsCard(L10n::t("温柔提醒"));
        card->add(reminderRow(L10n::t("休息一下"), L10n::t("离开屏幕片刻，举牌提醒。"), model_.restRemindersEnabled,
                              model_.restReminderInterval, model::WellbeingAction::stretch, "rest"));
        card->add(softDivider());
        card->add(reminderRow(L10n::t("喝点水"), L10n::t("小口喝水，给自己一点停顿。"), model_.waterRemindersEnabled,
                              model_.waterReminderInterval, model::WellbeingAction::drink, "water"));
        card->add(softDivider());
        card->add(reminderRow(L10n::t("站起来伸懒腰"), L10n::t("起身舒展一下，栗丸跟着伸展。"), model_.stretchRemindersEnabled,
                              model_.stretchReminderInterval, model::WellbeingAction::standStretch, "stretch"));
        card->add(softDivider());
        card->add(reminderRow(L10n::t("看远方"), L10n::t("把视线移向远处，栗丸也会望一望。"), model_.lookFarRemindersEnabled,
                              model_.lookFarReminderInterval, model::WellbeingAction::lookFar, "lookFar"));
        card->add(softDivider());
        auto* gestures = new Switch(L10n::t("搭配小动作"));
        gestures->setObjectName("reminderGesturesEnabled");
        QObject::connect(gestures, &QAbstractButton::clicked, this, [this](bool on) { model_.reminderGesturesEnabled = on; });
        bindings_.follow(model_.reminderGesturesEnabled, [gestures](bool on) { gestures->setChecked(on); });
        card->add(settingRow(L10n::t("搭配小动作"), L10n::t("提醒总会举牌；开启后栗丸还会做相应的小动作。"), gestures));
        return card;
    }

    // Controls are named after the reminder: "<name>Interval", "<name>Preview", "<name>Enabled".
    QWidget* reminderRow(const std::string& title, const std::string& detail, platform::Published<bool>& enabled,
                         platform::Published<ReminderInterval>& interval, model::WellbeingAction action,
                         const QString& name) {
        auto* control = new QWidget;
        auto* layout = new QHBoxLayout(control);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(8);
        layout->addStretch(1);
        auto* picker = new QComboBox;
        picker->setObjectName(name + "Interval");
        picker->setAccessibleName(QString::fromStdString(L10n::t("间隔")));
        picker->setFixedWidth(112);
        for (auto choice : model::allCases<ReminderInterval>) picker->addItem(QString::fromStdString(model::title(choice)));
        QObject::connect(picker, &QComboBox::activated, this, [&interval](int i) {
            interval = model::allCases<ReminderInterval>[static_cast<size_t>(i)];
        });
        // A small button: picker, button and switch share the row's 240-point control slot.
        auto* preview = new QPushButton(QString::fromStdString(L10n::t("预览")));
        preview->setObjectName(name + "Preview");
        preview->setFont(fontFor(TextStyle::caption));
        preview->setAutoDefault(false);
        preview->setFixedWidth(std::max(52, preview->fontMetrics().horizontalAdvance(preview->text()) + 16));
        QObject::connect(preview, &QPushButton::clicked, this, [this, action] { model_.previewWellbeing(action); });
        auto* toggle = new Switch(title);
        toggle->setObjectName(name + "Enabled");
        QObject::connect(toggle, &QAbstractButton::clicked, this, [&enabled](bool on) { enabled = on; });
        layout->addWidget(picker);
        layout->addWidget(preview);
        layout->addWidget(toggle);
        bindings_.follow(enabled, [toggle](bool on) { toggle->setChecked(on); });
        bindings_.follow(interval, [picker](ReminderInterval value) {
            const QSignalBlocker blocker(picker);
            for (size_t i = 0; i < model::allCases<ReminderInterval>.size(); ++i)
                if (model::allCases<ReminderInterval>[i] == value) picker->setCurrentIndex(static_cast<int>(i));
        });
        return settingRow(title, detail, control);
    }

    model::AppModel& model_;
    Bindings bindings_;
};

}  // namespace

QWidget* makeCompanionSettings(model::AppModel& model) {
    return new CompanionSettings(model);
}

}  // namespace windows::qt
