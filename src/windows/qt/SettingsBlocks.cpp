#include "windows/qt/SettingsBlocks.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "menubar/qt/TuftleMark.h"
#include "platform/qt/SymbolImages.h"

namespace windows::qt {
namespace {

// Pixel sizes of the text styles, scaled from the application's body font so a user's larger
// font makes every style larger.
int pixelSize(TextStyle style) {
    switch (style) {
        case TextStyle::largeTitle:
            return 26;
        case TextStyle::title2:
            return 19;
        case TextStyle::title3:
            return 17;
        case TextStyle::headline:
        case TextStyle::body:
            return 14;
        case TextStyle::callout:
            return 13;
        case TextStyle::subheadline:
            return 13;
        case TextStyle::caption:
            return 12;
        case TextStyle::caption2:
            return 11;
    }
    return 14;
}

QColor withAlpha(QColor color, double alpha) {
    color.setAlphaF(static_cast<float>(alpha));
    return color;
}

}  // namespace

QFont fontFor(TextStyle style, QFont::Weight weight) {
    QFont font = QApplication::font();
    const double base = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * 4.0 / 3.0;
    font.setPixelSize(std::max(8, qRound(pixelSize(style) * std::max(1.0, base / 13.0))));
    const bool bold = style == TextStyle::largeTitle || style == TextStyle::headline || style == TextStyle::caption2;
    font.setWeight(weight != QFont::Normal ? weight : bold ? QFont::Bold : QFont::Normal);
    return font;
}

QColor accentColor() {
    return QApplication::palette().color(QPalette::Highlight);
}

QColor secondaryColor() {
    return withAlpha(QApplication::palette().color(QPalette::WindowText), 0.58);
}

QColor warningColor() {
    return QColor(214, 110, 0);
}

QColor liveColor() {
    return QColor(40, 167, 69);
}

QLabel* makeLabel(const std::string& text, TextStyle style, bool secondary, bool wrap) {
    auto* label = new QLabel(QString::fromStdString(text));
    label->setTextFormat(Qt::PlainText);
    label->setFont(fontFor(style));
    if (secondary) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, secondaryColor());
        label->setPalette(palette);
    }
    // Wrapping makes the label's height follow its width; a size policy set afterwards would
    // drop that and size it for a guessed width instead, leaving blank lines below short texts.
    label->setWordWrap(wrap);
    return label;
}

QVBoxLayout* vstack(QWidget* owner, int spacing) {
    auto* layout = new QVBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

QLabel* eyebrowLabel(const std::string& text, TextStyle style, double tracking) {
    auto* label = makeLabel(QString::fromStdString(text).toUpper().toStdString(), style);
    label->setObjectName("eyebrow");
    QFont font = fontFor(style, QFont::Bold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, tracking);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, accentColor());
    label->setPalette(palette);
    return label;
}

QWidget* pageHeader(const std::string& eyebrow, const std::string& title, const std::string& detail) {
    auto* header = new QWidget;
    header->setObjectName("pageHeader");
    auto* layout = vstack(header, 7);
    layout->setContentsMargins(0, 0, 0, 8);
    layout->addWidget(eyebrowLabel(eyebrow, TextStyle::caption2, 1.1));
    auto* titleLabel = makeLabel(title, TextStyle::largeTitle);
    titleLabel->setObjectName("pageTitle");
    layout->addWidget(titleLabel);
    layout->addWidget(makeLabel(detail, TextStyle::body, true, true));
    return header;
}

namespace {

double relativeLuminance(const QColor& color) {
    const auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) + 0.0722 * linear(color.blueF());
}

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = relativeLuminance(a), lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The lightest of the fill the style paints for `button` in `color`, where a title lies: down the
// middle of the face, under the pointer. Styles lighten and fade what they are given (Fusion by
// a fifth and more), so the colour itself says too little.
QColor paintedFill(const QPushButton* button, const QColor& color) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.rect = QRect(0, 0, 64, 32);
    option.state |= QStyle::State_Enabled | QStyle::State_MouseOver;
    option.palette.setColor(QPalette::Button, color);
    QImage face(option.rect.size(), QImage::Format_ARGB32_Premultiplied);
    face.fill(color);
    QPainter p(&face);
    button->style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &option, &p, button);
    p.end();
    QColor lightest = Qt::black;
    for (int y = face.height() / 4; y < face.height() * 3 / 4; ++y) {
        const QColor c = face.pixelColor(face.width() / 2, y);
        if (relativeLuminance(c) > relativeLuminance(lightest)) lightest = c;
    }
    return lightest;
}

// The accent, darker and fuller as far as a light title in `text` needs to read on the painted
// fill (4.5:1).
QColor prominentFill(const QPushButton* button, const QColor& text) {
    QColor fill = accentColor();
    for (int step = 0; step < 48; ++step) {
        const QColor painted = paintedFill(button, fill);
        if (contrastRatio(text, painted) >= 4.5 || relativeLuminance(painted) >= relativeLuminance(text)) break;
        const double saturation = fill.hsvSaturationF();
        fill = QColor::fromHsvF(fill.hsvHueF(), saturation + (1 - saturation) * 0.1, fill.valueF() / 1.03);
    }
    return fill;
}

// The style marks a focused button with an outline in the accent, which an accent-filled button
// swallows: this one rings its label in the label's colour instead.
class ProminentButton final : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override {
        QPushButton::paintEvent(event);
        if (!hasFocus() || !window()->testAttribute(Qt::WA_KeyboardFocusChange)) return;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(palette().color(QPalette::ButtonText), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(3, 3, -3, -3), 2, 2);
    }
};

}  // namespace

QPushButton* pushButton(const std::string& title, bool prominent) {
    auto* button =
        prominent ? new ProminentButton(QString::fromStdString(title)) : new QPushButton(QString::fromStdString(title));
    button->setFont(fontFor(TextStyle::callout, prominent ? QFont::DemiBold : QFont::Normal));
    // Filled with the accent like a desktop's suggested action. Not a default button: the style
    // frames that dark whether it has the focus or not.
    button->setAutoDefault(false);
    if (prominent) {
        QPalette palette = button->palette();
        palette.setColor(QPalette::ButtonText, palette.color(QPalette::HighlightedText));
        palette.setColor(QPalette::Button, prominentFill(button, palette.color(QPalette::ButtonText)));
        button->setPalette(palette);
    }
    const QSize hint = button->sizeHint();
    button->setMinimumSize(hint.width() + 16, std::max(hint.height(), 28));
    return button;
}

void setButtonSymbol(QPushButton* button, const std::string& symbol) {
    button->setIcon(platform::qt::symbolIcon(symbol, button->palette().color(QPalette::ButtonText)));
    // The style leaves 4 points between an icon and the title, which a symbol that fills its
    // square all but touches; a box wider than the symbol adds the rest.
    constexpr int kMoreRoom = 3;
    const int side = button->style()->pixelMetric(QStyle::PM_ButtonIconSize, nullptr, button);
    button->setIconSize(QSize(side + kMoreRoom, side));
}

QWidget* softDivider() {
    auto* line = new QFrame;
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, withAlpha(QApplication::palette().color(QPalette::WindowText), 0.12 * 0.55 / 0.55));
    line->setPalette(palette);
    return line;
}

SettingsCard::SettingsCard(const std::optional<std::string>& title) {
    auto* layout = vstack(this, 16);
    layout->setContentsMargins(18, 18, 18, 18);
    if (title) layout->addWidget(makeLabel(*title, TextStyle::headline));
    content_ = new QVBoxLayout;
    content_->setContentsMargins(0, 0, 0, 0);
    content_->setSpacing(12);
    layout->addLayout(content_);
}

void SettingsCard::add(QWidget* widget) {
    content_->addWidget(widget);
}

void SettingsCard::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor primary = palette().color(QPalette::WindowText);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25), 14, 14);
    p.fillPath(path, withAlpha(primary, 0.035));
    p.setPen(QPen(withAlpha(primary, 0.07), 0.5));
    p.drawPath(path);
}

QWidget* settingRow(const std::string& title, const std::optional<std::string>& detail, QWidget* control) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* texts = new QWidget;
    auto* textLayout = vstack(texts, 4);
    textLayout->addWidget(makeLabel(title, TextStyle::body, false));
    static_cast<QLabel*>(textLayout->itemAt(0)->widget())->setFont(fontFor(TextStyle::body, QFont::Medium));
    if (detail) {
        auto* detailLabel = makeLabel(*detail, TextStyle::caption, true, true);
        detailLabel->setObjectName("rowDetail");
        textLayout->addWidget(detailLabel);
    }
    const Qt::Alignment align = detail ? Qt::AlignTop : Qt::AlignVCenter;
    layout->addWidget(texts, 1, align);
    layout->addSpacing(24);
    auto* slot = new QWidget;
    slot->setFixedWidth(240);
    auto* slotLayout = new QHBoxLayout(slot);
    slotLayout->setContentsMargins(0, 0, 0, 0);
    slotLayout->addStretch(1);
    slotLayout->addWidget(control);
    layout->addWidget(slot, 0, align);
    return row;
}

SymbolLabel::SymbolLabel(TextStyle style, int symbolSide) : symbolSide_(symbolSide) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(5);
    icon_ = new QLabel;
    text_ = new QLabel;
    text_->setTextFormat(Qt::PlainText);
    text_->setFont(fontFor(style));
    layout->addWidget(icon_, 0, Qt::AlignVCenter);
    layout->addWidget(text_, 1, Qt::AlignVCenter);
}

void SymbolLabel::set(const std::string& text, const std::string& symbol, const QColor& color) {
    text_->setText(QString::fromStdString(text));
    QPalette palette = text_->palette();
    palette.setColor(QPalette::WindowText, color);
    text_->setPalette(palette);
    if (symbol == "circle.fill") {
        // A plain dot: the theme's record symbol has a ring that reads as a button.
        const qreal dpr = devicePixelRatioF();
        QPixmap dot(QSize(symbolSide_, symbolSide_) * dpr);
        dot.setDevicePixelRatio(dpr);
        dot.fill(Qt::transparent);
        QPainter p(&dot);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(QRectF(0, 0, symbolSide_, symbolSide_));
        p.end();
        icon_->setPixmap(dot);
    } else {
        icon_->setPixmap(platform::qt::symbolPixmap(symbol, symbolSide_, color, devicePixelRatioF()));
    }
    icon_->setVisible(!symbol.empty());
}

SegmentedPicker::SegmentedPicker(const std::vector<std::string>& options, int width, std::function<void(int)> chosen)
    : group_(new QButtonGroup(this)), chosen_(std::move(chosen)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    int widest = 0;
    for (size_t i = 0; i < options.size(); ++i) {
        auto* button = new QPushButton(QString::fromStdString(options[i]));
        button->setCheckable(true);
        button->setFont(fontFor(TextStyle::callout));
        button->setMinimumSize(10, 26);
        // Segments share the width equally, each wide enough for the widest text when chosen.
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        widest = std::max(widest, QFontMetrics(fontFor(TextStyle::callout, QFont::DemiBold)).horizontalAdvance(button->text()));
        // The chosen segment's text is bolder: set on the button, where its size is measured.
        QObject::connect(button, &QAbstractButton::toggled, button, [button](bool on) {
            button->setFont(fontFor(TextStyle::callout, on ? QFont::DemiBold : QFont::Normal));
        });
        group_->addButton(button, static_cast<int>(i));
        layout->addWidget(button, 1);
    }
    // Room for the chosen segment's padding and border on either side of its text.
    constexpr int padding = 2, border = 1;
    for (auto* button : group_->buttons()) button->setMinimumWidth(widest + 2 * (padding + border) + 2);
    QColor selected = accentColor();
    // The chosen segment carries the accent, as the page list's selected row does.
    setStyleSheet(QString("QPushButton:checked { background: rgba(%1, %2, %3, 0.22); border: %4px solid rgba(%1, %2, %3, 0.6);"
                          " border-radius: 3px; padding: 0 %5px; }")
                      .arg(selected.red())
                      .arg(selected.green())
                      .arg(selected.blue())
                      .arg(border)
                      .arg(padding));
    if (width > 0) setFixedWidth(width);
    QObject::connect(group_, &QButtonGroup::idClicked, this, [this](int id) {
        if (chosen_) chosen_(id);
    });
}

int SegmentedPicker::currentIndex() const {
    return group_->checkedId();
}

void SegmentedPicker::setCurrentIndex(int index) {
    if (auto* button = group_->button(index)) button->setChecked(true);
}

QAbstractButton* SegmentedPicker::segment(int index) const {
    return group_->button(index);
}

Switch::Switch(const std::string& accessibleName) {
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(QString::fromStdString(accessibleName));
    setFixedSize(sizeHint());
}

// Room around the track for the focus ring.
constexpr int kSwitchRing = 4;

QSize Switch::sizeHint() const {
    return QSize(36, 20) + 2 * QSize(kSwitchRing, kSwitchRing);
}

void Switch::focusInEvent(QFocusEvent* event) {
    const auto reason = event->reason();
    focusShown_ = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
    QAbstractButton::focusInEvent(event);
}

void Switch::keyPressEvent(QKeyEvent* event) {
    focusShown_ = true;
    update();
    QAbstractButton::keyPressEvent(event);
}

void Switch::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(kSwitchRing, kSwitchRing, -kSwitchRing, -kSwitchRing);
    const QColor on = accentColor();
    // The usable text colour: the disabled look comes from the opacity below, and the disabled
    // text colour, pale already, would fade the track twice.
    QColor off = palette().color(QPalette::Active, QPalette::WindowText);
    off.setAlphaF(0.18f);
    p.setPen(Qt::NoPen);
    p.setBrush(isChecked() ? on : off);
    // A paler track while disabled, yet still seen on a white card as on the window, and the
    // knob still seen on it.
    if (!isEnabled()) p.setOpacity(0.75);
    p.drawRoundedRect(track, track.height() / 2, track.height() / 2);
    p.setOpacity(1);
    const double d = track.height() - 4;
    const double x = isChecked() ? track.right() - 2 - d : track.left() + 2;
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(x, track.top() + 2, d, d));
    if (hasFocus() && focusShown_) {
        // Outside the track with a gap, so it shows on an accent track as on a grey one, on a
        // dark window as on a light one.
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(on, 2));
        const QRectF ring = track.adjusted(-2.5, -2.5, 2.5, 2.5);
        p.drawRoundedRect(ring, ring.height() / 2, ring.height() / 2);
    }
}

int markOverhang(int side) {
    // The fur reaches 0.11 of the side past the square, its shadow another 0.08 of blur
    // shifted 0.04 down.
    return static_cast<int>(std::ceil(0.23 * side));
}

QWidget* makeMark(int side) {
    auto* mark = new menubar::qt::TuftleMark;
    const int overhang = markOverhang(side);
    mark->setContentsMargins(overhang, overhang, overhang, overhang);
    mark->setFixedSize(side + 2 * overhang, side + 2 * overhang);
    return mark;
}

QWidget* placeMark(QWidget* parent, int side, QPoint squareTopLeft) {
    auto* mark = makeMark(side);
    mark->setParent(parent);
    mark->move(squareTopLeft - QPoint(markOverhang(side), markOverhang(side)));
    return mark;
}

MarkRow::MarkRow(int count, int side, int overlap, int drop, bool ringed, QSize frame)
    : side_(side), overlap_(overlap), drop_(drop), frame_(frame) {
    class Ring final : public QWidget {
    protected:
        void paintEvent(QPaintEvent*) override {
            QPainter p(this);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(palette().color(QPalette::Window), 1.5));
            p.drawEllipse(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75));
        }
    };
    // Created in drawing order: each ring over its mark, each later mark over both.
    for (int i = 0; i < count; ++i) {
        marks_.push_back(makeMark(side));
        marks_.back()->setParent(this);
        if (!ringed) continue;
        rings_.push_back(new Ring);
        rings_.back()->setParent(this);
        rings_.back()->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    setCount(count);
}

void MarkRow::setCount(int count) {
    count = std::clamp(count, 0, static_cast<int>(marks_.size()));
    const int overhang = markOverhang(side_);
    const QSize row(count > 0 ? count * side_ - (count - 1) * overlap_ : 0, count > 0 ? side_ + (count - 1) * drop_ : 0);
    const QSize box = frame_.isValid() ? frame_ : row + QSize(2 * overhang, 2 * overhang);
    setFixedSize(box);
    // The first mark sits centred as if no mark were offset, as a stack centres its items.
    const QPoint first((box.width() - row.width()) / 2, (box.height() - side_) / 2);
    for (int i = 0; i < static_cast<int>(marks_.size()); ++i) {
        const QPoint square = first + QPoint(i * (side_ - overlap_), i * drop_);
        marks_[i]->move(square - QPoint(overhang, overhang));
        marks_[i]->setVisible(i < count);
        if (i < static_cast<int>(rings_.size())) {
            // The stroke straddles the square's edge, as the ring around a framed mark.
            rings_[i]->setGeometry(QRect(square, QSize(side_, side_)).adjusted(-1, -1, 1, 1));
            rings_[i]->setVisible(i < count);
        }
    }
}

}  // namespace windows::qt
