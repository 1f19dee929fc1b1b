#include "windows/qt/OnboardingView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>

#include "model/AppModel.h"
#include "platform/qt/QtWindow.h"
#include "windows/qt/SettingsBlocks.h"

namespace windows::qt {
namespace {

using model::L10n;

constexpr platform::Size kWindowSize{540, 420};
constexpr int kPadding = 32, kDetailWidth = 430, kTitleGap = 8;
constexpr int kLastPage = 2;

std::string pageTitle(int page) {
    switch (page) {
        case 0: return L10n::t("欢迎栗栗和丸丸");
        case 1: return L10n::t("它们真的住在 Mac 里");
        default: return L10n::t("隐私由你决定");
    }
}

std::string pageDetail(int page) {
    switch (page) {
        case 0: return L10n::t("两只毛茸茸的小黑球，会呼吸、眨眼、玩耍，也会安静陪你工作。");
        case 1: return L10n::t("MacBook 有刘海时，刘海就是家；使用外接显示器时，它们会搬到 Dock 边上。");
        default:
            return L10n::t("核心陪伴不需要敏感权限。按键计数默认关闭；只有你主动开启时才由 macOS 询问授权，应用也只会记录次数。");
    }
}

// Chinese wraps between any two characters: a word joiner keeps the pets' names (栗丸, 栗栗,
// 丸丸) on one line.
QString keepNamesWhole(const std::string& text) {
    static const QString nameCharacters = QString::fromUtf8("栗丸");
    QString kept = QString::fromStdString(text);
    for (qsizetype i = kept.size() - 1; i > 0; --i)
        if (nameCharacters.contains(kept[i]) && nameCharacters.contains(kept[i - 1])) kept.insert(i, QChar(0x2060));
    return kept;
}

// The height `label` needs for `text` at `width`.
int heightFor(QLabel* label, const QString& text, int width) {
    const QString shown = label->text();
    label->setText(text);
    const int height = label->heightForWidth(width);
    label->setText(shown);
    return height;
}

// Three dots; the current page's is a wider accent capsule.
class PageDots final : public QWidget {
public:
    explicit PageDots(const int& page) : page_(page) { setFixedSize(7 + 7 + 22 + 2 * 8, 7); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        double x = 0;
        for (int i = 0; i <= kLastPage; ++i) {
            const double w = i == page_ ? 22 : 7;
            QColor fill = i == page_ ? accentColor() : secondaryColor();
            if (i != page_) fill.setAlphaF(0.25f);
            p.setBrush(fill);
            p.drawRoundedRect(QRectF(x, 0, w, 7), 3.5, 3.5);
            x += w + 8;
        }
    }

private:
    const int& page_;
};

}  // namespace

OnboardingView::OnboardingView(std::function<void()> onComplete, model::AppModel& model, int page)
    : onComplete_(std::move(onComplete)), page_(page) {
    setObjectName("onboardingView");
    setFixedSize(int(kWindowSize.width), int(kWindowSize.height));
    // The mark's fur and shadow reach into the padding above it and the spacing below it.
    const int overhang = markOverhang(86);
    auto* column = vstack(this, 0);
    column->setContentsMargins(kPadding, kPadding + 8 - overhang, kPadding, kPadding);
    column->addStretch(1);
    column->addWidget(makeMark(86), 0, Qt::AlignHCenter);
    column->addSpacing(24 - overhang);
    // As tall as the longest page's texts, so that the dots and buttons below stay put while
    // the user clicks through.
    texts_ = new QWidget;
    auto* texts = vstack(texts_, kTitleGap);
    // A title longer than the window is wide wraps rather than losing its ends.
    title_ = makeLabel({}, TextStyle::largeTitle, false, true);
    title_->setObjectName("onboardingTitle");
    title_->setAlignment(Qt::AlignCenter);
    texts->addWidget(title_);
    detail_ = makeLabel({}, TextStyle::body, true, true);
    detail_->setObjectName("onboardingDetail");
    // Under the title even where the label measures itself taller than its lines.
    detail_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    detail_->setFixedWidth(kDetailWidth);
    texts->addWidget(detail_, 0, Qt::AlignHCenter);
    texts->addStretch(1);
    column->addWidget(texts_);
    column->addSpacing(24);
    dots_ = new PageDots(page_);
    column->addWidget(dots_, 0, Qt::AlignHCenter);
    column->addSpacing(24);
    auto* buttons = new QHBoxLayout;
    back_ = pushButton({});
    back_->setObjectName("onboardingBack");
    buttons->addWidget(back_);
    buttons->addStretch(1);
    forward_ = pushButton({}, true);
    forward_->setObjectName("onboardingForward");
    buttons->addWidget(forward_);
    column->addLayout(buttons);
    column->addStretch(1);

    QObject::connect(back_, &QPushButton::clicked, this, [this] {
        page_ = std::max(0, page_ - 1);
        showPage();
    });
    QObject::connect(forward_, &QPushButton::clicked, this, [this] { forward(); });
    for (auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        QObject::connect(shortcut, &QShortcut::activated, forward_, &QPushButton::click);
    }
    showPage();
    languageSubscription_ = model.appLanguage.subscribe([this](auto) { showPage(); }, false);
}

OnboardingView::~OnboardingView() = default;

void OnboardingView::forward() {
    if (page_ == kLastPage) {
        if (onComplete_) onComplete_();
        return;
    }
    page_ += 1;
    showPage();
}

void OnboardingView::showPage() {
    int textsHeight = 0, detailHeight = 0;
    for (int page = 0; page <= kLastPage; ++page) {
        const int detail = heightFor(detail_, keepNamesWhole(pageDetail(page)), kDetailWidth);
        if (page == page_) detailHeight = detail;
        const int title = heightFor(title_, keepNamesWhole(pageTitle(page)), width() - 2 * kPadding);
        textsHeight = std::max(textsHeight, title + kTitleGap + detail);
    }
    texts_->setFixedHeight(textsHeight);
    title_->setText(keepNamesWhole(pageTitle(page_)));
    detail_->setText(keepNamesWhole(pageDetail(page_)));
    // The column asks its items' heights at its own width, not at the detail's narrower one.
    detail_->setMinimumHeight(detailHeight);
    back_->setText(QString::fromStdString(L10n::t("上一步")));
    back_->setVisible(page_ >= 1);
    forward_->setText(QString::fromStdString(page_ == kLastPage ? L10n::t("开始陪伴") : L10n::t("继续")));
    forward_->setMinimumWidth(forward_->sizeHint().width() + 16);
    dots_->update();
}

OnboardingWindow::OnboardingWindow(model::AppModel& model, const std::string& title, std::function<void()> onComplete)
    : HostedWindow(title, kWindowSize), view_(new OnboardingView(std::move(onComplete), model)) {
    host(view_);
    view_->forwardButton()->setFocus();
}

OnboardingWindow::~OnboardingWindow() = default;

}  // namespace windows::qt
