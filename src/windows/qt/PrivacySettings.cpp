#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/AppModel.h"
#include "platform/qt/QtDialogs.h"
#include "windows/qt/PageTiles.h"
#include "windows/qt/SettingsBlocks.h"
#include "windows/qt/SettingsPages.h"

namespace windows::qt {
namespace {

using model::L10n;

class PrivacySettings final : public QWidget {
public:
    PrivacySettings(model::AppModel& model, const SettingsActions& actions) : model_(model), actions_(actions) {
        auto* page = vstack(this, 18);
        page->addWidget(pageHeader(L10n::t("本地优先"), L10n::t("可爱，不以隐私为代价"),
                                   L10n::t("栗丸的陪伴发生在你的 Mac 上。它不需要账号，也不会把你的行为上传出去。")));
        page->addWidget(linesCard());
        auto* never = new SettingsCard(L10n::t("栗丸不会请求"));
        auto* list = makeLabel(L10n::t("摄像头 · 麦克风 · 通讯录 · 日历 · 定位 · 屏幕录制"), TextStyle::callout, true, true);
        list->setFont(fontFor(TextStyle::callout, QFont::Medium));
        never->add(list);
        page->addWidget(never);
        page->addWidget(dataCard());
        page->addStretch(1);
    }

private:
    QWidget* linesCard() {
        auto* card = new SettingsCard;
        card->content()->setSpacing(18);
        card->add(privacyLine("character.cursor.ibeam", L10n::t("只数次数，不读文字"),
                              L10n::t("开启按键陪伴后，也不会保存字符、键码或快捷键。")));
        card->add(privacyLine("macwindow.badge.plus", L10n::t("不看你的屏幕"),
                              L10n::t("不截屏、不分析窗口标题或内容。窗口漫步开启时仅临时使用窗口几何信息。")));
        auto* walk = privacyLine("rectangle.on.rectangle", {},
                                 L10n::t("只有你主动开启时才查找当前可见窗口的边界；关闭后立即停止。"));
        walk->setObjectName("windowWalkLine");
        auto* walkTitle = walk->findChild<QLabel*>("privacyTitle");
        bindings_.follow(model_.windowWalkingEnabled, [walkTitle](bool on) {
            walkTitle->setText(QString::fromStdString(on ? L10n::t("窗口漫步已开启") : L10n::t("窗口漫步已关闭")));
        });
        card->add(walk);
        card->add(privacyLine("menubar.rectangle", L10n::t("图标零食由你开启"),
                              L10n::t("macOS 27 需辅助功能授权，仅临时使用应用身份与菜单栏位置，不读内容或保存顺序。")));
        // Where the data lies, named by its real path on this computer.
        std::string stored = L10n::t("统计、名字和偏好都保存在当前 Mac 用户账户中。");
        if (!actions_.defaultsFile.empty()) stored += "\n" + actions_.defaultsFile;
        auto* upload = privacyLine("icloud.slash.fill", L10n::t("不上传行为数据"), stored);
        upload->setObjectName("storedLine");
        card->add(upload);
        card->add(privacyLine("switch.2", L10n::t("由你决定是否开启"), L10n::t("按键统计与窗口漫步均默认关闭，可随时分别停止。")));
        return card;
    }

    QWidget* dataCard() {
        auto* card = new SettingsCard(L10n::t("本机数据"));
        auto* exportButton = pushButton(L10n::t("导出…"));
        exportButton->setObjectName("exportData");
        card->add(settingRow(L10n::t("导出数据副本"), L10n::t("生成一份可阅读的 JSON 文件。"), exportButton));
        // Where the last export went; a cancelled or failed one (which says so itself) clears it.
        auto* exported = makeLabel({}, TextStyle::caption, false, true);
        exported->setObjectName("exportResult");
        QPalette palette = exported->palette();
        palette.setColor(QPalette::WindowText, accentColor());
        exported->setPalette(palette);
        exported->hide();
        card->add(exported);
        QObject::connect(exportButton, &QPushButton::clicked, this, [this, exported] {
            const auto file = actions_.exportLocalData ? actions_.exportLocalData() : std::nullopt;
            if (!file) {
                exported->hide();
                return;
            }
            // A long path may break after any of its slashes.
            QString shown = QString::fromStdString(file->string());
            shown.replace(QLatin1Char('/'), QStringLiteral("/\u200B"));
            exported->setText(QString::fromStdString(L10n::format(L10n::t("已导出到 %@"), {shown.toStdString()})));
            exported->show();
        });
        card->add(softDivider());
        auto* reset = pushButton(L10n::t("重置…"));
        reset->setObjectName("resetData");
        QPalette resetPalette = reset->palette();
        resetPalette.setColor(QPalette::ButtonText, QColor(200, 40, 40));
        reset->setPalette(resetPalette);
        QObject::connect(reset, &QPushButton::clicked, this, [this] { confirmReset(); });
        card->add(settingRow(L10n::t("重新开始"), L10n::t("清除统计、陪伴记录、名字和偏好。"), reset));
        return card;
    }

    void confirmReset() {
        const auto [dialog, reset] = platform::qt::makeDestructiveConfirmation(
            this, QString::fromStdString(L10n::t("确定重置所有栗丸数据？")),
            QString::fromStdString(L10n::t("将清除按键次数、陪伴记录、命名和偏好。可以先导出副本。")),
            QString::fromStdString(L10n::t("重置数据")), QString::fromStdString(L10n::t("取消")));
        dialog->setObjectName("resetConfirmation");
        reset->setObjectName("reset");
        QObject::connect(reset, &QAbstractButton::clicked, this, [this] {
            // The stash first: it gives every hidden icon back and stores itself as off.
            if (actions_.switchStashOff) actions_.switchStashOff();
            model_.resetAllLocalData();
        });
        dialog->open();
    }

    model::AppModel& model_;
    const SettingsActions actions_;
    Bindings bindings_;
};

}  // namespace

QWidget* makePrivacySettings(model::AppModel& model, const SettingsActions& actions) {
    return new PrivacySettings(model, actions);
}

}  // namespace windows::qt
