#include "menubar/qt/MenuPanelControls.h"

#include <QAccessibleWidget>
#include <QEnterEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <algorithm>

#include "menubar/qt/MenuSymbols.h"
#include "model/L10n.h"
#include "platform/qt/QtColorScheme.h"

namespace menubar::qt {
namespace {

QColor white(double alpha) {
    return QColor::fromRgbF(1, 1, 1, alpha);
}
QColor black(double alpha) {
    return QColor::fromRgbF(0, 0, 0, alpha);
}

std::optional<bool>& schemeOverride() {
    static std::optional<bool> dark;
    return dark;
}

QPainterPath rounded(const QRectF& rect, double radius) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

}  // namespace

QColor MenuPalette::ink(bool dark) {
    return dark ? white(0.85) : black(0.85);
}
QColor MenuPalette::secondary(bool dark) {
    return dark ? white(0.55) : black(0.5);
}
QColor MenuPalette::muted(bool dark) {
    return dark ? white(0.25) : black(0.26);
}
QColor MenuPalette::stroke(bool dark) {
    return dark ? white(0.1) : black(0.1);
}
QColor MenuPalette::blue(bool dark) {
    return dark ? QColor(10, 132, 255) : QColor(0, 122, 255);
}
QColor MenuPalette::green() {
    return QColor::fromRgbF(0.08, 0.67, 0.37);
}
QColor MenuPalette::orange(bool dark) {
    return dark ? QColor(255, 159, 10) : QColor(255, 149, 0);
}
QColor MenuPalette::pink(bool dark) {
    return dark ? QColor(255, 55, 95) : QColor(255, 45, 85);
}
QColor MenuPalette::surfaceFill(bool dark) {
    return dark ? white(0.075) : white(0.56);
}
QColor MenuPalette::surfaceStroke(bool dark) {
    return dark ? white(0.12) : white(0.74);
}

QColor MenuPalette::tint(MenuTint tint, bool dark) {
    switch (tint) {
        case MenuTint::ink:
            return ink(dark);
        case MenuTint::accent:
            return blue(dark);
        case MenuTint::orange:
            return orange(dark);
        case MenuTint::pink:
            return pink(dark);
        case MenuTint::secondary:
            return secondary(dark);
        case MenuTint::green:
            return green();
        case MenuTint::muted:
            break;
    }
    return muted(dark);
}

bool menuIsDark() {
    return schemeOverride().value_or(platform::qt::QtColorScheme::shared().isDark());
}
void setMenuSchemeOverride(std::optional<bool> dark) {
    schemeOverride() = dark;
}

QFont menuFont(double size, QFont::Weight weight) {
    QFont font = QGuiApplication::font();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen && screen->logicalDotsPerInchY() > 0 ? screen->logicalDotsPerInchY() : 96.0;
    font.setPointSizeF(size * 72.0 / dpi);
    font.setWeight(weight);
    return font;
}

void strokeInside(QPainter& p, const QRectF& rect, double radius, const QColor& color, double width) {
    const double h = width / 2;
    p.setPen(QPen(color, width));
    p.setBrush(Qt::NoBrush);
    p.drawPath(rounded(rect.adjusted(h, h, -h, -h), std::max(0.0, radius - h)));
}

// ---------------------------------------------------------------------------------------------

MenuButton::MenuButton(QWidget* parent) : QAbstractButton(parent) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

void MenuButton::keyPressEvent(QKeyEvent* e) {
    if (!focusShown_) {
        focusShown_ = true;
        update();
    }
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && e->modifiers() == Qt::NoModifier) {
        if (!e->isAutoRepeat()) click();
        return;
    }
    QAbstractButton::keyPressEvent(e);
}

void MenuButton::focusInEvent(QFocusEvent* e) {
    // Focus given with the window, or by a click, shows nothing until the keyboard is used.
    const auto reason = e->reason();
    focusShown_ = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
    QAbstractButton::focusInEvent(e);
    update();
}

void MenuButton::focusOutEvent(QFocusEvent* e) {
    focusShown_ = false;
    QAbstractButton::focusOutEvent(e);
    update();
}

bool MenuButton::focusNextPrevChild(bool next) {
    // The first Tab shows where the focus already is instead of moving past it unseen.
    if (hasFocus() && !focusShown_) {
        focusShown_ = true;
        update();
        return true;
    }
    return QAbstractButton::focusNextPrevChild(next);
}

void MenuButton::paintFocus(QPainter& p, const QRectF& rect, double radius, const QColor& color) const {
    if (focusShown_ && hasFocus()) strokeInside(p, rect, radius, color, 2);
}

// ---------------------------------------------------------------------------------------------

MenuActionButton::MenuActionButton(QWidget* parent) : MenuButton(parent) {}

void MenuActionButton::setContent(const MenuActionButtonContent& content) {
    if (content == content_) return;
    content_ = content;
    setAccessibleName(QString::fromStdString(content.title));
    update();
}

void MenuActionButton::enterEvent(QEnterEvent*) {
    hovered_ = true;
    update();
}

void MenuActionButton::leaveEvent(QEvent*) {
    hovered_ = false;
    update();
}

void MenuActionButton::paintEvent(QPaintEvent*) {
    const bool dark = menuIsDark();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0, (height() - 44) / 2.0, 0, -(height() - 44) / 2.0);
    QColor fill;
    if (content_.primary) {
        fill = MenuPalette::blue(dark);
        fill.setAlphaF(hovered_ ? 0.88 : 1.0);
    } else {
        fill = white(dark ? (hovered_ ? 0.14 : 0.09) : (hovered_ ? 0.84 : 0.65));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(rounded(box, 11));
    strokeInside(p, box, 11, white(content_.primary ? 0.2 : dark ? 0.18 : 0.9));

    const QColor ink = content_.primary ? QColor(Qt::white) : MenuPalette::ink(dark);
    const QFont font = menuFont(12.5, QFont::DemiBold);
    const QFontMetricsF metrics(font);
    const double iconSide = 14, gap = 6;
    const double room = box.width() - 20 - iconSide - gap;
    const QString title = metrics.elidedText(QString::fromStdString(content_.title), Qt::ElideRight, room);
    const double width = iconSide + gap + metrics.horizontalAdvance(title);
    const double left = box.center().x() - width / 2;
    drawMenuSymbol(p, content_.symbol, QRectF(left, box.center().y() - iconSide / 2, iconSide, iconSide), ink);
    p.setFont(font);
    p.setPen(ink);
    p.drawText(QRectF(left + iconSide + gap, box.top(), width, box.height()), Qt::AlignLeft | Qt::AlignVCenter, title);
    paintFocus(p, box, 11, content_.primary ? QColor(Qt::white) : MenuPalette::blue(dark));
}

// ---------------------------------------------------------------------------------------------

namespace {

// A segment is a radio button named by the label and its title ("Companions: Two"), checked
// and selected while it is chosen.
class SegmentAccessible final : public QAccessibleWidget {
public:
    explicit SegmentAccessible(MenuSegment* segment) : QAccessibleWidget(segment, QAccessible::RadioButton) {}
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        const bool chosen = segment()->isSelected();
        s.checkable = s.selectable = true;
        s.checked = s.selected = chosen;
        return s;
    }
    QStringList actionNames() const override { return QStringList(pressAction()) + QAccessibleWidget::actionNames(); }
    void doAction(const QString& name) override {
        if (name == pressAction())
            segment()->click();
        else
            QAccessibleWidget::doAction(name);
    }

private:
    MenuSegment* segment() const { return static_cast<MenuSegment*>(widget()); }
};

QAccessibleInterface* segmentAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(MenuSegment::staticMetaObject.className()))
        return new SegmentAccessible(static_cast<MenuSegment*>(object));
    if (className == QLatin1String(MenuSegmentedControl::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Grouping);
    return nullptr;
}

}  // namespace

MenuSegmentedControl::MenuSegmentedControl(QWidget* parent) : QWidget(parent) {
    static const bool accessible = (QAccessible::installFactory(segmentAccessible), true);
    (void)accessible;
    setCursor(Qt::PointingHandCursor);
    setFixedHeight(32);
}

void MenuSegmentedControl::setLabel(const QString& label) {
    setAccessibleName(label);
    if (label == label_) return;
    label_ = label;
    syncSegments();
}

void MenuSegmentedControl::setTitles(std::vector<QString> titles) {
    titles_ = std::move(titles);
    syncSegments();
    update();
}

void MenuSegmentedControl::syncSegments() {
    while (segments_.size() > titles_.size()) {
        delete segments_.back();
        segments_.pop_back();
    }
    while (segments_.size() < titles_.size()) {
        auto* segment = new MenuSegment(this, segments_.size());
        // Created after the rest of the panel: placed in the Tab order where the row stands
        // (which takes a row that itself accepts focus for a moment).
        const auto policy = focusPolicy();
        setFocusPolicy(Qt::TabFocus);
        QWidget::setTabOrder(segments_.empty() ? static_cast<QWidget*>(this) : segments_.back(), segment);
        setFocusPolicy(policy);
        segment->setVisible(true);
        segments_.push_back(segment);
    }
    size_t stop = segments_.size();
    for (size_t i = 0; i < segments_.size() && stop == segments_.size(); ++i)
        if (segments_[i]->hasFocus()) stop = i;
    for (size_t i = 0; i < segments_.size() && stop == segments_.size(); ++i)
        if (selected(i)) stop = i;
    for (size_t i = 0; i < segments_.size(); ++i) {
        MenuSegment* segment = segments_[i];
        segment->setAccessibleName(QString::fromStdString(
            model::L10n::format(model::L10n::t("%@：%@"), {label_.toStdString(), titles_[i].toStdString()})));
        segment->setGeometry(segmentRect(i).toAlignedRect());
        segment->setFocusPolicy(i == stop || (stop == segments_.size() && i == 0) ? Qt::TabFocus : Qt::NoFocus);
        segment->update();
    }
}

void MenuSegmentedControl::activate(size_t index) {
    if (choose) choose(index);
    syncSegments();
    update();
}

void MenuSegmentedControl::resizeEvent(QResizeEvent*) {
    for (size_t i = 0; i < segments_.size(); ++i) segments_[i]->setGeometry(segmentRect(i).toAlignedRect());
}

QRectF MenuSegmentedControl::segmentRect(size_t index) const {
    const double n = double(std::max<size_t>(titles_.size(), 1));
    const double inner = width() - 4 - 2 * (n - 1);
    const double w = inner / n;
    return {2 + double(index) * (w + 2), 2, w, 28};
}

void MenuSegmentedControl::paintEvent(QPaintEvent*) {
    const bool dark = menuIsDark();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(dark ? black(0.26) : black(0.055));
    p.drawPath(rounded(rect(), 10));
    for (size_t i = 0; i < titles_.size(); ++i) {
        const bool chosen = selected(i);
        const QRectF r = segmentRect(i);
        if (chosen) {
            p.setPen(Qt::NoPen);
            p.setBrush(MenuPalette::blue(dark));
            p.drawPath(rounded(r, 8));
        }
        const QFont font = menuFont(12, chosen ? QFont::DemiBold : QFont::Medium);
        p.setFont(font);
        p.setPen(chosen ? QColor(Qt::white) : MenuPalette::secondary(dark));
        p.drawText(r, Qt::AlignCenter, QFontMetricsF(font).elidedText(titles_[i], Qt::ElideRight, r.width() - 4));
    }
}

void MenuSegmentedControl::mouseReleaseEvent(QMouseEvent* e) {
    for (size_t i = 0; i < titles_.size(); ++i)
        if (segmentRect(i).contains(e->position())) {
            activate(i);
            return;
        }
}

// ---------------------------------------------------------------------------------------------

MenuSegment::MenuSegment(MenuSegmentedControl* control, size_t index)
    : MenuButton(control), control_(control), index_(index) {
    // The control takes the pointer; a segment answers the keyboard and assistive technology.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(this, &QAbstractButton::clicked, control, [control, index] { control->activate(index); });
}

void MenuSegment::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    paintFocus(p, rect(), 8, isSelected() ? QColor(Qt::white) : MenuPalette::blue(menuIsDark()));
}

void MenuSegment::keyPressEvent(QKeyEvent* e) {
    const auto& row = control_->segments();
    size_t target = index_;
    switch (e->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            target = index_ == 0 ? index_ : index_ - 1;
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            target = std::min(index_ + 1, row.size() - 1);
            break;
        case Qt::Key_Home:
            target = 0;
            break;
        case Qt::Key_End:
            target = row.size() - 1;
            break;
        default:
            return MenuButton::keyPressEvent(e);
    }
    if (target != index_) {
        row[target]->setFocus(Qt::TabFocusReason);
        control_->syncSegments();
    }
}

// ---------------------------------------------------------------------------------------------

Hairline::Hairline(QWidget* parent) : QWidget(parent) {
    setFixedHeight(1);
}

void Hairline::paintEvent(QPaintEvent*) {
    // 0.7 of a point: one pixel at 0.7 of the colour.
    QColor c = MenuPalette::stroke(menuIsDark());
    c.setAlphaF(c.alphaF() * 0.7);
    QPainter(this).fillRect(rect(), c);
}

// ---------------------------------------------------------------------------------------------

MenuSwitch::MenuSwitch(QWidget* parent) : MenuButton(parent) {
    setCheckable(true);
    setFixedSize(sizeHint());
}

void MenuSwitch::paintEvent(QPaintEvent*) {
    const bool dark = menuIsDark();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(Qt::NoPen);
    p.setBrush(isChecked() ? MenuPalette::blue(dark) : dark ? white(0.16) : black(0.1));
    p.drawPath(rounded(track, track.height() / 2));
    const double d = track.height() - 3;
    const double x = isChecked() ? track.right() - 1.5 - d : track.left() + 1.5;
    p.setBrush(black(0.12));
    p.drawEllipse(QRectF(x, track.top() + 2, d, d));
    p.setBrush(dark && !isChecked() ? QColor(220, 220, 222) : QColor(Qt::white));
    p.drawEllipse(QRectF(x, track.top() + 1.5, d, d));
    paintFocus(p, rect(), height() / 2.0, isChecked() ? QColor(Qt::white) : MenuPalette::blue(dark));
}

// ---------------------------------------------------------------------------------------------

MenuTextButton::MenuTextButton(std::string symbol, double fontSize, bool bordered, QWidget* parent)
    : MenuButton(parent), symbol_(std::move(symbol)), fontSize_(fontSize), bordered_(bordered) {}

QSize MenuTextButton::sizeHint() const {
    const QFontMetricsF m(menuFont(fontSize_, QFont::Medium));
    double w = m.horizontalAdvance(text()) + (symbol_.empty() ? 0 : fontSize_ + 5) + (bordered_ ? 16 : 0);
    return {int(std::ceil(w)), int(std::ceil(m.height())) + (bordered_ ? 6 : 0)};
}

void MenuTextButton::paintEvent(QPaintEvent*) {
    const bool dark = menuIsDark();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QRectF r = rect();
    if (bordered_) {
        p.setPen(Qt::NoPen);
        p.setBrush(dark ? white(isDown() ? 0.3 : 0.2) : white(isDown() ? 0.7 : 1));
        p.drawPath(rounded(r.adjusted(0.5, 0.5, -0.5, -0.5), 5));
        strokeInside(p, r, 5, dark ? white(0.1) : black(0.15));
        r.adjust(8, 0, -8, 0);
    }
    QColor ink = MenuPalette::ink(dark);
    if (isDown()) ink.setAlphaF(ink.alphaF() * 0.6);
    if (!symbol_.empty()) {
        drawMenuSymbol(p, symbol_, QRectF(r.left(), r.center().y() - fontSize_ / 2, fontSize_, fontSize_), ink);
        r.setLeft(r.left() + fontSize_ + 5);
    }
    const QFont font = menuFont(fontSize_, QFont::Medium);
    p.setFont(font);
    p.setPen(ink);
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, QFontMetricsF(font).elidedText(text(), Qt::ElideRight, r.width()));
    paintFocus(p, rect(), bordered_ ? 5 : 3, MenuPalette::blue(dark));
}

// ---------------------------------------------------------------------------------------------

MenuText::MenuText(double fontSize, QFont::Weight weight, MenuTint color, QWidget* parent)
    : QWidget(parent), font_(menuFont(fontSize, weight)), color_(color) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void MenuText::setText(const std::string& text) {
    const QString t = QString::fromStdString(text);
    if (t == text_) return;
    text_ = t;
    setAccessibleName(t);
    updateGeometry();
    update();
}

void MenuText::setColor(MenuTint color) {
    if (color == color_) return;
    color_ = color;
    update();
}

QSize MenuText::sizeHint() const {
    const QFontMetricsF m(font_);
    return {int(std::ceil(m.horizontalAdvance(text_))), int(std::ceil(m.height()))};
}

QSize MenuText::minimumSizeHint() const {
    return {0, sizeHint().height()};
}

bool MenuText::fits() const {
    return QFontMetricsF(font_).horizontalAdvance(text_) <= width() + 0.5;
}

void MenuText::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setFont(font_);
    p.setPen(MenuPalette::tint(color_, menuIsDark()));
    p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter,
               QFontMetricsF(font_).elidedText(text_, Qt::ElideRight, width()));
}

// ---------------------------------------------------------------------------------------------

MenuSymbolView::MenuSymbolView(std::string symbol, MenuTint color, QSize size, double symbolSize, QWidget* parent)
    : QWidget(parent), symbol_(std::move(symbol)), color_(color), symbolSize_(symbolSize) {
    setFixedSize(size);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void MenuSymbolView::setSymbol(const std::string& symbol, MenuTint color) {
    if (symbol == symbol_ && color == color_) return;
    symbol_ = symbol;
    color_ = color;
    update();
}

void MenuSymbolView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor color = MenuPalette::tint(color_, menuIsDark());
    const QRectF box(QRectF(rect()).center().x() - symbolSize_ / 2, QRectF(rect()).center().y() - symbolSize_ / 2,
                     symbolSize_, symbolSize_);
    if (symbol_.empty()) {
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(box);
    } else {
        drawMenuSymbol(p, symbol_, box, color);
    }
}

// ---------------------------------------------------------------------------------------------

MenuCard::MenuCard(double radius, bool outlined, QWidget* parent)
    : QWidget(parent), radius_(radius), outlined_(outlined) {}

void MenuCard::paintEvent(QPaintEvent*) {
    const bool dark = menuIsDark();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(MenuPalette::surfaceFill(dark));
    p.drawPath(rounded(rect(), radius_));
    if (outlined_) strokeInside(p, rect(), radius_, MenuPalette::surfaceStroke(dark));
}

}  // namespace menubar::qt
