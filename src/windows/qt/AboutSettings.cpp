#include <QComboBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "model/AppModel.h"
#include "windows/qt/SettingsBlocks.h"
#include "windows/qt/SettingsPages.h"

namespace windows::qt {
namespace {

using model::AppLanguageChoice;
using model::L10n;

class AboutSettings final : public QWidget {
public:
    AboutSettings(model::AppModel& model, SettingsActions actions) : model_(model), actions_(std::move(actions)) {
        auto* page = vstack(this, 18);
        page->addWidget(pageHeader(L10n::t("关于"), L10n::t("让一切保持轻巧"),
                                   L10n::t("管理语言、启动和更新。栗丸没有账号，也没有云端配置。")));
        page->addWidget(recoveryCard());
        page->addWidget(languageCard());
        page->addWidget(launchCard());
        page->addWidget(versionCard());
        page->addStretch(1);
    }

protected:
    void showEvent(QShowEvent* event) override {
        QWidget::showEvent(event);
        // The login item may have been changed outside the program since the last look.
        if (actions_.refreshLaunchAtLogin) actions_.refreshLaunchAtLogin();
    }

private:
    QWidget* recoveryCard() {
        auto* card = new SettingsCard;
        card->setObjectName("recoveryCard");
        auto* label = new SymbolLabel(TextStyle::body, 16);
        label->set(L10n::t("上次未正常退出，已恢复本机数据和宠物住所。"), "arrow.clockwise.circle.fill", warningColor());
        label->text()->setWordWrap(true);
        card->add(label);
        bindings_.follow(model_.recoveredFromUnexpectedExit, [card](bool recovered) { card->setVisible(recovered); });
        return card;
    }

    QWidget* languageCard() {
        auto* card = new SettingsCard(L10n::t("界面语言"));
        auto* language = new QComboBox;
        language->setObjectName("appLanguage");
        language->setAccessibleName(QString::fromStdString(L10n::t("语言")));
        for (auto choice : model::allCases<AppLanguageChoice>)
            language->addItem(QString::fromStdString(model::title(choice)));
        language->setCurrentIndex(static_cast<int>(model_.appLanguage.get()));
        QObject::connect(language, &QComboBox::activated, this, [this](int i) {
            model_.setAppLanguage(model::allCases<AppLanguageChoice>[static_cast<size_t>(i)]);
        });
        card->add(settingRow(L10n::t("语言"), L10n::t("只改变栗丸界面；不改变 Mac 的系统语言。"), language));
        card->add(makeLabel(L10n::t("选择后立即生效。未自定义的宠物名字会随语言切换；自定义名字保持不变。"),
                            TextStyle::caption, true, true));
        return card;
    }

    QWidget* launchCard() {
        auto* card = new SettingsCard(L10n::t("启动与更新"));
        auto* launch = new Switch(L10n::t("登录 Mac 时自动启动"));
        launch->setObjectName("launchAtLoginEnabled");
        // The switch only asks; the model then holds what the system really did, so a
        // refused change springs back.
        QObject::connect(launch, &QAbstractButton::clicked, this, [this, launch](bool on) {
            if (actions_.setLaunchAtLogin) actions_.setLaunchAtLogin(on);
            launch->setChecked(model_.launchAtLoginEnabled.get());
        });
        bindings_.follow(model_.launchAtLoginEnabled, [launch](bool on) { launch->setChecked(on); });
        card->add(settingRow(L10n::t("登录 Mac 时自动启动"), L10n::t("进入桌面后，栗丸会自己回家。"), launch));
        auto* message = makeLabel({}, TextStyle::caption, false, true);
        message->setObjectName("launchAtLoginMessage");
        QPalette palette = message->palette();
        palette.setColor(QPalette::WindowText, warningColor());
        message->setPalette(palette);
        bindings_.follow(model_.launchAtLoginMessage, [message](const std::string& text) {
            message->setText(QString::fromStdString(text));
            message->setVisible(!text.empty());
        });
        card->add(message);
        card->add(softDivider());
        auto* checks = new Switch(L10n::t("自动检查更新"));
        checks->setObjectName("automaticUpdateChecks");
        QObject::connect(checks, &QAbstractButton::clicked, this, [this](bool on) { model_.automaticUpdateChecks = on; });
        bindings_.follow(model_.automaticUpdateChecks, [checks](bool on) { checks->setChecked(on); });
        card->add(settingRow(L10n::t("自动检查更新"), L10n::t("每天最多自动检查一次，下载前会先告诉你。"), checks));
        card->add(makeUpdateSettingsContent(model_, actions_));
        return card;
    }

    QWidget* versionCard() {
        auto* card = new SettingsCard;
        auto* row = new QHBoxLayout;
        row->setSpacing(14 - markOverhang(44));
        row->addWidget(makeMark(44), 0, Qt::AlignVCenter);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(3);
        // Centred beside the mark, which is taller than the two lines.
        texts->addStretch(1);
        auto* name = makeLabel(L10n::format(L10n::t("栗丸 %@"), {appVersion(actions_.infoString)}), TextStyle::headline);
        name->setObjectName("versionLine");
        texts->addWidget(name);
        texts->addWidget(makeLabel(L10n::t("原生 macOS 应用 · 数据默认只保存在这台 Mac"), TextStyle::caption, true, true));
        texts->addStretch(1);
        row->addLayout(texts, 1);
        card->content()->addLayout(row);
        return card;
    }

    model::AppModel& model_;
    SettingsActions actions_;
    Bindings bindings_;
};

}  // namespace

QWidget* makeAboutSettings(model::AppModel& model, const SettingsActions& actions) {
    return new AboutSettings(model, actions);
}

}  // namespace windows::qt
