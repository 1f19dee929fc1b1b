#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/AppModel.h"
#include "windows/UpdateControls.h"
#include "windows/qt/SettingsBlocks.h"
#include "windows/qt/SettingsPages.h"

namespace windows::qt {
namespace {

using model::L10n;
using Control = UpdateControlsState::DownloadControl;

// The update box: a faint accent panel.
class UpdateBox final : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QColor fill = accentColor();
        fill.setAlphaF(0.06f);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), 14, 14);
        p.fillPath(path, fill);
    }
};

class UpdateSettingsContent final : public QWidget {
public:
    UpdateSettingsContent(model::AppModel& model, SettingsActions actions)
        : model_(model), actions_(std::move(actions)) {
        setObjectName("updateControls");
        auto* layout = vstack(this, 14);
        auto* status = new QHBoxLayout;
        status->setSpacing(12);
        status_ = new SymbolLabel(TextStyle::callout, 14);
        status_->setObjectName("updateStatus");
        status->addWidget(status_, 1);
        check_ = button(L10n::t("检查更新"), "checkForUpdates", actions_.checkForUpdates);
        status->addWidget(check_);
        layout->addLayout(status);

        box_ = new UpdateBox;
        box_->setObjectName("updateBox");
        auto* boxLayout = vstack(box_, 10);
        boxLayout->setContentsMargins(16, 16, 16, 16);
        boxLayout->addWidget(makeLabel(L10n::t("这次更新"), TextStyle::headline));
        notes_ = makeLabel({}, TextStyle::callout, false, true);
        notes_->setObjectName("releaseNotes");
        notes_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        boxLayout->addWidget(notes_);
        auto* sizeRow = new QHBoxLayout;
        size_ = makeLabel({}, TextStyle::caption, true);
        sizeRow->addWidget(size_);
        sizeRow->addStretch(1);
        control_ = new QWidget;
        controlLayout_ = new QHBoxLayout(control_);
        controlLayout_->setContentsMargins(0, 0, 0, 0);
        sizeRow->addWidget(control_);
        boxLayout->addLayout(sizeRow);
        readyHint_ = makeLabel(L10n::t("安装包已验证。打开后将栗丸拖到“应用程序”替换现有版本。"), TextStyle::caption, true, true);
        readyHint_->setObjectName("readyHint");
        boxLayout->addWidget(readyHint_);
        layout->addWidget(box_);

        bindings_.follow(model_.updateCheckResult, [this](const auto&) { refresh(); });
        bindings_.follow(model_.updateDownloadState, [this](const auto&) { refresh(); });
    }

private:
    QPushButton* button(const std::string& title, const char* name, const std::function<void()>& action,
                        bool prominent = false) {
        auto* b = pushButton(title, prominent);
        b->setObjectName(name);
        QObject::connect(b, &QPushButton::clicked, this, [action] {
            if (action) action();
        });
        return b;
    }

    void refresh() {
        const auto s = updateControlsState(model_.updateCheckResult.get(), model_.updateDownloadState.get());
        status_->set(s.statusText, s.symbol, s.statusIsPrompt ? secondaryColor() : palette().color(QPalette::WindowText));
        check_->setEnabled(s.checkEnabled);
        box_->setVisible(s.showsBox);
        readyHint_->setVisible(s.showsReadyHint);
        if (!s.showsBox) {
            shownControl_.reset();
            return;
        }
        notes_->setText(QString::fromStdString(s.notes));
        size_->setText(QString::fromStdString(s.sizeText));
        rebuildControl(s);
    }

    void rebuildControl(const UpdateControlsState& s) {
        // Progress reports only move the bar: rebuilding would swap the cancel button away
        // under a click.
        if (shownControl_ == s.control && s.control == Control::progress) {
            bar_->setValue(static_cast<int>(s.fraction * 1000));
            progressText_->setText(QString::fromStdString(s.progressText));
            return;
        }
        shownControl_ = s.control;
        while (auto* item = controlLayout_->takeAt(0)) {
            if (auto* w = item->widget()) {
                w->hide();
                w->deleteLater();
            }
            delete item;
        }
        switch (s.control) {
            case Control::download:
                controlLayout_->addWidget(button(L10n::t("下载更新"), "downloadUpdate", actions_.downloadAvailableUpdate, true));
                break;
            case Control::progress: {
                controlLayout_->setSpacing(12);
                auto* bar = new QProgressBar;
                bar_ = bar;
                bar->setObjectName("downloadProgress");
                bar->setRange(0, 1000);
                bar->setValue(static_cast<int>(s.fraction * 1000));
                bar->setTextVisible(false);
                bar->setFixedSize(120, 8);
                auto* text = makeLabel(s.progressText, TextStyle::caption);
                progressText_ = text;
                text->setObjectName("downloadProgressText");
                controlLayout_->addWidget(bar);
                controlLayout_->addWidget(text);
                controlLayout_->addWidget(button(L10n::t("取消"), "cancelDownload", actions_.cancelDownload));
                break;
            }
            case Control::verifying: {
                controlLayout_->setSpacing(10);
                auto* busy = new QProgressBar;
                busy->setRange(0, 0);
                busy->setTextVisible(false);
                busy->setFixedSize(60, 8);
                controlLayout_->addWidget(busy);
                controlLayout_->addWidget(makeLabel(L10n::t("正在验证安装包…"), TextStyle::caption));
                break;
            }
            case Control::open:
                controlLayout_->addWidget(button(L10n::t("打开安装包"), "openUpdate", actions_.openDownloadedUpdate, true));
                break;
            case Control::retry: {
                auto* column = new QWidget;
                auto* stack = vstack(column, 8);
                auto* why = makeLabel(L10n::t("下载未完成或验证失败，请重新下载。"), TextStyle::caption, true);
                stack->addWidget(why, 0, Qt::AlignRight);
                stack->addWidget(button(L10n::t("重新下载"), "retryDownload", actions_.downloadAvailableUpdate), 0,
                                 Qt::AlignRight);
                controlLayout_->addWidget(column);
                break;
            }
        }
    }

    model::AppModel& model_;
    SettingsActions actions_;
    SymbolLabel* status_;
    QPushButton* check_;
    QWidget* box_;
    QLabel* notes_;
    QLabel* size_;
    QWidget* control_;
    QHBoxLayout* controlLayout_;
    QLabel* readyHint_;
    std::optional<Control> shownControl_;
    // Both go with the next change of control.
    QPointer<QProgressBar> bar_;
    QPointer<QLabel> progressText_;
    Bindings bindings_;
};

}  // namespace

QWidget* makeUpdateSettingsContent(model::AppModel& model, const SettingsActions& actions) {
    return new UpdateSettingsContent(model, actions);
}

}  // namespace windows::qt
