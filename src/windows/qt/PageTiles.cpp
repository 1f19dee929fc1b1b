#include "windows/qt/PageTiles.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/qt/SymbolImages.h"

namespace windows::qt {
namespace {

constexpr int kSymbolSide = 15;
constexpr int kPadding = 10;

QColor primary(double alpha) {
    QColor c = QApplication::palette().color(QPalette::WindowText);
    c.setAlphaF(static_cast<float>(alpha));
    return c;
}

void fillRounded(QWidget* widget, double radius, const QColor& color) {
    QPainter p(widget);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(widget->rect()), radius, radius);
    p.fillPath(path, color);
}

}  // namespace

Tile::Tile(const std::string& symbol, const std::string& text, int height, double chosenAlpha, double restAlpha)
    : symbol_(symbol), height_(height), chosenAlpha_(chosenAlpha), restAlpha_(restAlpha) {
    setText(QString::fromStdString(text));
    setFont(fontFor(TextStyle::subheadline));
    setFixedHeight(height);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
}

void Tile::setChosen(bool chosen) {
    chosen_ = chosen;
    update();
}

void Tile::setTrailingSymbol(const std::string& symbol, const QColor& color) {
    trailing_ = symbol;
    trailingColor_ = color;
    update();
}

QSize Tile::sizeHint() const {
    return {fontMetrics().horizontalAdvance(text()) + symbolsWidth() + 2 * kPadding + 2, height_};
}

int Tile::symbolsWidth() const {
    return (symbol_.empty() ? 0 : kSymbolSide + 8) + (trailing_.empty() ? 0 : kSymbolSide + 8);
}

QSize Tile::minimumSizeHint() const {
    // A text too long for one line takes two, broken where the longer line is shortest.
    const QFontMetrics metrics = fontMetrics();
    const QString text = this->text();
    int narrowest = metrics.horizontalAdvance(text);
    const bool words = text.contains(' ');
    for (int at = 1; at < text.size(); ++at) {
        if (words && text[at] != ' ') continue;
        const int longer = std::max(metrics.horizontalAdvance(text.left(at).trimmed()),
                                    metrics.horizontalAdvance(text.mid(at).trimmed()));
        narrowest = std::min(narrowest, longer);
    }
    return {narrowest + symbolsWidth() + 2 * kPadding + 2, height_};
}

void Tile::paintEvent(QPaintEvent*) {
    QColor fill = accentColor();
    fill.setAlphaF(static_cast<float>(chosenAlpha_));
    fillRounded(this, 8, chosen_ ? fill : primary(isDown() ? restAlpha_ * 2 : restAlpha_));
    QPainter p(this);
    const qreal dpr = devicePixelRatioF();
    int x = kPadding;
    const int y = (height() - kSymbolSide) / 2;
    const QColor textColor = QApplication::palette().color(QPalette::WindowText);
    if (!symbol_.empty()) {
        p.drawPixmap(x, y, platform::qt::symbolPixmap(symbol_, kSymbolSide, textColor, dpr));
        x += kSymbolSide + 8;
    }
    int right = width() - kPadding;
    if (!trailing_.empty()) {
        right -= kSymbolSide;
        p.drawPixmap(right, y, platform::qt::symbolPixmap(trailing_, kSymbolSide, trailingColor_, dpr));
        right -= 8;
    }
    p.setPen(textColor);
    p.setFont(font());
    const QRect textRect(x, 0, std::max(0, right - x), height());
    if (fontMetrics().horizontalAdvance(text()) <= textRect.width())
        p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, text());
    else
        p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextWordWrap, text());
}

StatTile::StatTile(const std::string& symbol, const std::string& label, bool valueOnTop, TextStyle valueStyle) {
    auto* layout = vstack(this, symbol.empty() ? 6 : 8);
    layout->setContentsMargins(14, 14, 14, 14);
    if (!symbol.empty()) layout->addWidget(symbolIcon(symbol, 17, accentColor()));
    value_ = makeLabel({}, valueStyle);
    value_->setObjectName("statValue");
    QFont font = fontFor(valueStyle, QFont::Bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    value_->setFont(font);
    auto* caption = makeLabel(label, TextStyle::caption, true);
    if (valueOnTop) {
        layout->addWidget(value_);
        layout->addWidget(caption);
    } else {
        layout->addWidget(caption);
        layout->addWidget(value_);
    }
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void StatTile::setValue(const QString& value) {
    value_->setText(value);
}

void StatTile::paintEvent(QPaintEvent*) {
    fillRounded(this, 12, primary(0.045));
}

QLabel* symbolIcon(const std::string& symbol, int side, const QColor& color) {
    auto* icon = new QLabel;
    icon->setPixmap(platform::qt::symbolPixmap(symbol, side, color, qApp->devicePixelRatio()));
    icon->setFixedSize(side, side);
    return icon;
}

QWidget* privacyLine(const std::string& symbol, const std::string& title, const std::string& detail) {
    auto* line = new QWidget;
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(14);
    auto* iconSlot = new QWidget;
    iconSlot->setFixedWidth(28);
    auto* iconLayout = new QVBoxLayout(iconSlot);
    iconLayout->setContentsMargins(0, 1, 0, 0);
    iconLayout->addWidget(symbolIcon(symbol, 20, liveColor()), 0, Qt::AlignHCenter | Qt::AlignTop);
    layout->addWidget(iconSlot, 0, Qt::AlignTop);
    auto* texts = new QWidget;
    auto* textLayout = vstack(texts, 4);
    auto* heading = makeLabel(title, TextStyle::body);
    heading->setFont(fontFor(TextStyle::body, QFont::DemiBold));
    heading->setObjectName("privacyTitle");
    textLayout->addWidget(heading);
    textLayout->addWidget(makeLabel(detail, TextStyle::callout, true, true));
    layout->addWidget(texts, 1, Qt::AlignTop);
    return line;
}

}  // namespace windows::qt
