#include "windows/qt/SettingsWindow.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

#include "menubar/stash/MenuBarMealController.h"
#include "model/AppModel.h"
#include "platform/qt/QtWindow.h"
#include "platform/qt/SymbolImages.h"
#include "windows/qt/SettingsBlocks.h"
#include "windows/qt/SettingsPages.h"
#include "windows/qt/WheelGuard.h"

namespace windows::qt {
namespace {

using model::L10n;

constexpr platform::Size kWindowSize{920, 640};
constexpr int kSidebarWidth = 212;  // within 178...218, wide enough for the English status line
constexpr int kPageMaxWidth = 700;

// One row of the page list: symbol and title; the selected row is filled with the accent.
class SidebarRow final : public QAbstractButton {
public:
    explicit SidebarRow(SettingsSection section) : section_(section) {
        setCheckable(true);
        setText(QString::fromStdString(title(section)));
        setAccessibleName(text());
        setFixedHeight(36);
        setCursor(Qt::PointingHandCursor);
    }
    QSize sizeHint() const override { return {150, 36}; }
    // Room for the whole title in the selected row's weight.
    QSize minimumSizeHint() const override {
        const QFontMetrics metrics(fontFor(TextStyle::subheadline, QFont::DemiBold));
        return {kTextInset + metrics.horizontalAdvance(text()) + kTrailingInset, 36};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        if (isChecked()) {
            QColor fill = accentColor();
            fill.setAlphaF(0.16f);
            QPainterPath path;
            path.addRoundedRect(QRectF(rect()), 8, 8);
            p.fillPath(path, fill);
        }
        const QColor ink = palette().color(QPalette::WindowText);
        const QPixmap icon =
            platform::qt::symbolPixmap(symbol(section_), 16, isChecked() ? accentColor() : ink, devicePixelRatioF());
        if (!icon.isNull()) p.drawPixmap(QPointF(10 + 1, (height() - 16) / 2.0), icon);
        p.setFont(fontFor(TextStyle::subheadline, isChecked() ? QFont::DemiBold : QFont::Normal));
        p.setPen(ink);
        const QRect textRect = rect().adjusted(kTextInset, 0, -kTrailingInset, 0);
        p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
                   p.fontMetrics().elidedText(text(), Qt::ElideRight, textRect.width()));
    }

private:
    // Padding, the symbol's column and the gap after it; padding at the end.
    static constexpr int kTextInset = 10 + 18 + 10, kTrailingInset = 10;
    SettingsSection section_;
};

// The sidebar's faint backdrop, standing in for a translucent material.
class Sidebar final : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QColor tint = palette().color(QPalette::WindowText);
        tint.setAlphaF(0.045f);
        p.fillRect(rect(), tint);
        QColor edge = tint;
        edge.setAlphaF(0.1f);
        p.fillRect(QRect(width() - 1, 0, 1, height()), edge);
    }
};

}  // namespace

SettingsView::SettingsView(model::AppModel& model, SettingsActions actions, SettingsSection selection)
    : model_(model), actions_(std::move(actions)), selection_(selection) {
    setObjectName("settingsView");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    new WheelGuard(this);
    rebuild();
    languageSubscription_ = model_.appLanguage.subscribe([this](auto) { rebuild(); }, false);
}

SettingsView::~SettingsView() = default;

void SettingsView::rebuild() {
    contentSubscriptions_.clear();
    if (content_) {
        // The language picker that asked for this is inside: let it finish first.
        content_->hide();
        content_->deleteLater();
        layout()->removeWidget(content_);
    }
    content_ = new QWidget;
    auto* row = new QHBoxLayout(content_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(sidebar());
    detail_ = new QWidget;
    auto* detailLayout = new QVBoxLayout(detail_);
    detailLayout->setContentsMargins(0, 0, 0, 0);
    row->addWidget(detail_, 1);
    layout()->addWidget(content_);
    page_ = nullptr;
    showPage();
}

QWidget* SettingsView::sidebar() {
    auto* bar = new Sidebar;
    bar->setObjectName("sidebar");
    bar->setFixedWidth(kSidebarWidth);
    auto* column = vstack(bar, 14);
    column->setContentsMargins(0, 10, 0, 0);

    // The mark's fur and shadow reach into the padding and the spacing around it.
    const int headerOverhang = markOverhang(38);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(14 - headerOverhang, 10 - headerOverhang, 14, 0);
    header->setSpacing(12 - headerOverhang);
    header->addWidget(makeMark(38));
    auto* names = new QVBoxLayout;
    names->setSpacing(3);
    auto* product = makeLabel(L10n::t("栗丸"), TextStyle::headline);
    names->addWidget(product);
    auto* status = new SymbolLabel(TextStyle::caption, 6);
    status->setObjectName("statusLine");
    names->addWidget(status);
    header->addLayout(names, 1);
    column->addLayout(header);
    contentSubscriptions_.push_back(model_.petsVisible.subscribe([status](bool visible) {
        status->set(visible ? L10n::t("正在陪你") : L10n::t("正在休息"), "circle.fill",
                    visible ? liveColor() : secondaryColor());
    }));

    auto* list = new QVBoxLayout;
    list->setContentsMargins(8, 0, 8, 0);
    list->setSpacing(6);
    auto* group = new QButtonGroup(bar);
    for (auto section : model::allCases<SettingsSection>) {
        auto* button = new SidebarRow(section);
        button->setObjectName(
            QString::fromUtf8(model::rawValue(section).data(), static_cast<int>(model::rawValue(section).size())));
        button->setChecked(section == selection_);
        group->addButton(button);
        QObject::connect(button, &QAbstractButton::clicked, this, [this, section] { select(section); });
        list->addWidget(button);
    }
    column->addLayout(list);
    column->addStretch(1);

    const int footerOverhang = markOverhang(24);
    auto* footer = new QHBoxLayout;
    footer->setContentsMargins(14 - footerOverhang, 0, 14, 12 - footerOverhang);
    footer->setSpacing(8 - footerOverhang);
    auto* marks = new MarkRow(2, 24, 6, 0, true);
    marks->setObjectName("petsAtHomeMarks");
    footer->addWidget(marks);
    auto* atHome = makeLabel({}, TextStyle::caption, true);
    atHome->setObjectName("petsAtHome");
    footer->addWidget(atHome);
    footer->addStretch(1);
    column->addLayout(footer);
    // The pets the user keeps, and how many of them are at home this moment.
    auto showAtHome = [this, marks, atHome] {
        const int count = model_.petCount.get();
        const int home = std::clamp(count - model_.petsAwayFromHome.get(), 0, count);
        marks->setCount(count);
        atHome->setText(QString::fromStdString(home == 2   ? L10n::t("2 只在家")
                                               : home == 1 ? L10n::t("1 只在家")
                                                           : L10n::t("0 只在家")));
    };
    contentSubscriptions_.push_back(model_.petCount.subscribe([showAtHome](int) { showAtHome(); }));
    contentSubscriptions_.push_back(model_.petsAwayFromHome.subscribe([showAtHome](int) { showAtHome(); }, false));
    return bar;
}

void SettingsView::select(SettingsSection section) {
    selection_ = section;
    for (auto* button : pageButtons())
        button->setChecked(button->objectName().toStdString() == model::rawValue(section));
    showPage();
}

QList<QAbstractButton*> SettingsView::pageButtons() const {
    QList<QAbstractButton*> buttons;
    for (auto section : model::allCases<SettingsSection>)
        if (auto* b = content_->findChild<QAbstractButton*>(QString::fromUtf8(model::rawValue(section).data())))
            buttons << b;
    return buttons;
}

void SettingsView::showPage() {
    auto* layout = detail_->layout();
    while (auto* item = layout->takeAt(0)) {
        if (auto* w = item->widget()) {
            w->hide();
            w->deleteLater();
        }
        delete item;
    }
    page_ = makePage(selection_, model_, actions_);
    page_->setMaximumWidth(kPageMaxWidth);
    auto* holder = new QWidget;
    holder->setObjectName("pageHolder");
    auto* holderLayout = new QVBoxLayout(holder);
    holderLayout->addWidget(page_);
    holderLayout->addStretch(1);
    if (selection_ == SettingsSection::actions) {
        // This page scrolls parts of itself and keeps its own top inset.
        holderLayout->setContentsMargins(32, 22, 32, 0);
        holderLayout->setStretch(0, 1), holderLayout->setStretch(1, 0);
        layout->addWidget(holder);
        pageHolder_ = nullptr;
        pageScroll_ = nullptr;
        placePage();
        return;
    }
    holderLayout->setContentsMargins(32, 28, 32, 28);
    pageHolder_ = holder;
    pageScroll_ = nullptr;
    placePage();
}

void SettingsView::placePage() {
    if (auto* own = page_ ? page_->findChild<QScrollArea*>("actionsScroll") : nullptr; own && own->widget()) {
        own->setVerticalScrollBarPolicy(pageWhole_ ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
        own->setMinimumHeight(pageWhole_ ? own->widget()->sizeHint().height() : 0);
    }
    if (!pageHolder_) return;
    auto* layout = detail_->layout();
    const bool scrolled = pageScroll_ && pageScroll_->widget() == pageHolder_;
    if (scrolled != pageWhole_ && (scrolled || layout->indexOf(pageHolder_) >= 0)) return;
    if (pageScroll_) {
        pageScroll_->takeWidget();
        layout->removeWidget(pageScroll_);
        pageScroll_->deleteLater();
    }
    if (pageWhole_) {
        layout->addWidget(pageHolder_);
        pageHolder_->show();
        return;
    }
    layout->removeWidget(pageHolder_);
    pageScroll_ = new QScrollArea;
    pageScroll_->setObjectName("pageScroll");
    pageScroll_->setFrameShape(QFrame::NoFrame);
    pageScroll_->setWidgetResizable(true);
    pageScroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pageScroll_->setWidget(pageHolder_);
    layout->addWidget(pageScroll_);
}

QAbstractScrollArea* SettingsView::windowScroll() const {
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) return area;
    return nullptr;
}

void SettingsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (auto* area = windowScroll()) {
        // Installed once: a filter installed again moves to the front and still runs once.
        area->viewport()->installEventFilter(this);
        eventFilter(area->viewport(), event);
    }
}

bool SettingsView::eventFilter(QObject* watched, QEvent* event) {
    auto* area = windowScroll();
    if (area && watched == area->viewport() && (event->type() == QEvent::Resize || event->type() == QEvent::Show)) {
        auto* bar = content_ ? content_->findChild<QWidget*>("sidebar") : nullptr;
        const bool whole = bar && area->viewport()->height() < bar->minimumSizeHint().height();
        if (whole != pageWhole_) {
            pageWhole_ = whole;
            placePage();
        }
    }
    return QWidget::eventFilter(watched, event);
}

QWidget* makePage(SettingsSection section, model::AppModel& model, const SettingsActions& actions) {
    switch (section) {
        case SettingsSection::home:
            return makeGeneralSettings(model, actions);
        case SettingsSection::behavior:
            return makeBehaviorSettings(model);
        case SettingsSection::about:
            return makeAboutSettings(model, actions);
        case SettingsSection::actions:
            return makeActionsSettings(model, actions);
        case SettingsSection::keyboard:
            return makeKeyboardSettings(model, actions);
        case SettingsSection::companion:
            return makeCompanionSettings(model);
        case SettingsSection::privacy:
            return makePrivacySettings(model, actions);
        case SettingsSection::achievements:
            return makeAchievementGallery(model);
        case SettingsSection::menuBar:
            return makeMenuBarMealSettings(menubar::stash::MenuBarMealController::shared(), actions);
        default:
            break;
    }
    // Pages still to come show their name.
    auto* page = new QWidget;
    auto* layout = vstack(page, 18);
    auto* name = makeLabel(title(section), TextStyle::largeTitle);
    name->setObjectName("pageTitle");
    layout->addWidget(name);
    layout->addStretch(1);
    return page;
}

SettingsWindow::SettingsWindow(model::AppModel& model, SettingsActions actions, SettingsSection selection)
    : HostedWindow(L10n::t("设置"), kWindowSize), view_(new SettingsView(model, std::move(actions), selection)) {
    host(view_);
    letViewFollowHeight();
    titleSubscription_ = model.appLanguage.subscribe([this](auto) { setTitle(L10n::t("设置")); }, false);
}

SettingsWindow::~SettingsWindow() = default;

}  // namespace windows::qt
