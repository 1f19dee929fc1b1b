#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "menubar/MenuBarContent.h"

namespace menubar::qt {

// The panel's fixed colours, by scheme. Text colours are the usual label greys of a light or
// dark desktop; the accent is the panel's own blue.
struct MenuPalette {
    static QColor ink(bool dark);
    static QColor secondary(bool dark);
    static QColor muted(bool dark);
    static QColor stroke(bool dark);
    static QColor blue(bool dark);
    static QColor green();
    static QColor orange(bool dark);
    static QColor pink(bool dark);
    static QColor tint(MenuTint tint, bool dark);
    // Card fill and outline.
    static QColor surfaceFill(bool dark);
    static QColor surfaceStroke(bool dark);
};

// Whether the panel draws in the dark scheme now: the desktop's scheme unless a preview chose one.
bool menuIsDark();
void setMenuSchemeOverride(std::optional<bool> dark);
// The system font at `size` logical pixels, whatever the screen's dots per inch.
QFont menuFont(double size, QFont::Weight weight);
// A rounded rectangle's outline drawn inside `rect`.
void strokeInside(QPainter& p, const QRectF& rect, double radius, const QColor& color, double width = 1);

// A button of the panel. It takes focus from the keyboard only (Tab), Return and Enter press it
// as Space does, and it draws a focus ring once the keyboard is in use.
class MenuButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit MenuButton(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    // Draws the ring around `rect` while the focus shows.
    void paintFocus(QPainter& p, const QRectF& rect, double radius, const QColor& color) const;

private:
    bool focusShown_ = false;
};

// A full-width button with a symbol and a title; filled with the accent when primary.
class MenuActionButton final : public MenuButton {
    Q_OBJECT
public:
    explicit MenuActionButton(QWidget* parent = nullptr);
    void setContent(const MenuActionButtonContent& content);
    const MenuActionButtonContent& content() const { return content_; }
    QSize sizeHint() const override { return {160, 44}; }

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;

private:
    MenuActionButtonContent content_;
    bool hovered_ = false;
};

class MenuSegment;

// A row of segments, one of which may be chosen. Works on indices; segmentedControl() binds
// it to any value that can be compared. Each segment is a button of its own for the keyboard
// and for assistive technology (the label and the title, selected or not); the row is one Tab stop, the
// arrow keys move between its segments.
class MenuSegmentedControl final : public QWidget {
    Q_OBJECT
public:
    explicit MenuSegmentedControl(QWidget* parent = nullptr);
    // The control's name, spoken before a segment's title.
    void setLabel(const QString& label);
    void setTitles(std::vector<QString> titles);
    // Asked at each paint: whether the segment at this index shows as chosen.
    std::function<bool(size_t)> isSelected;
    // Called with the index of a clicked segment.
    std::function<void(size_t)> choose;
    QRectF segmentRect(size_t index) const;
    QSize sizeHint() const override { return {148, 32}; }
    // The segments, in order.
    const std::vector<MenuSegment*>& segments() const { return segments_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent*) override;

private:
    friend class MenuSegment;
    bool selected(size_t index) const { return isSelected && isSelected(index); }
    void activate(size_t index);
    // Names the segments, places them, and makes the focused segment, else the chosen one,
    // else the first, the row's Tab stop.
    void syncSegments();

    QString label_;
    std::vector<QString> titles_;
    std::vector<MenuSegment*> segments_;
};

// One segment of a segmented control: drawn by its control, it only shows the focus.
class MenuSegment final : public MenuButton {
    Q_OBJECT
public:
    MenuSegment(MenuSegmentedControl* control, size_t index);
    MenuSegmentedControl* control() const { return control_; }
    size_t index() const { return index_; }
    bool isSelected() const { return control_->selected(index_); }

protected:
    void paintEvent(QPaintEvent*) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    MenuSegmentedControl* control_;
    size_t index_;
};

// Binds a segmented control to a value read by `get` and written by `set`.
template <typename Value>
void bindSegments(MenuSegmentedControl& control, std::vector<std::pair<Value, std::string>> choices,
                  std::function<Value()> get, std::function<void(Value)> set) {
    std::vector<QString> titles;
    for (const auto& [value, title] : choices) titles.push_back(QString::fromStdString(title));
    control.isSelected = [choices, get](size_t i) { return i < choices.size() && get() == choices[i].first; };
    control.choose = [choices, set](size_t i) {
        if (i < choices.size()) set(choices[i].first);
    };
    control.setTitles(std::move(titles));
}

// The thin separator line.
class Hairline final : public QWidget {
    Q_OBJECT
public:
    explicit Hairline(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent*) override;
};

// A small on/off switch.
class MenuSwitch final : public MenuButton {
    Q_OBJECT
public:
    explicit MenuSwitch(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {32, 18}; }

protected:
    void paintEvent(QPaintEvent*) override;
};

// A borderless text button with an optional symbol in front (the footer's), or, when
// bordered, a small push button.
class MenuTextButton final : public MenuButton {
    Q_OBJECT
public:
    MenuTextButton(std::string symbol, double fontSize, bool bordered, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    std::string symbol_;
    double fontSize_;
    bool bordered_;
};

// One line of text in a colour of the palette, elided at its width.
class MenuText final : public QWidget {
    Q_OBJECT
public:
    MenuText(double fontSize, QFont::Weight weight, MenuTint color, QWidget* parent = nullptr);
    void setText(const std::string& text);
    QString text() const { return text_; }
    void setColor(MenuTint color);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // Whether the whole text fits without eliding.
    bool fits() const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QFont font_;
    MenuTint color_;
    QString text_;
};

// A symbol, or a round status dot when the name is empty.
class MenuSymbolView final : public QWidget {
    Q_OBJECT
public:
    MenuSymbolView(std::string symbol, MenuTint color, QSize size, double symbolSize, QWidget* parent = nullptr);
    void setSymbol(const std::string& symbol, MenuTint color);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    std::string symbol_;
    MenuTint color_;
    double symbolSize_;
};

// A rounded card in the surface fill, outlined or not.
class MenuCard final : public QWidget {
    Q_OBJECT
public:
    MenuCard(double radius, bool outlined, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    double radius_;
    bool outlined_;
};

}  // namespace menubar::qt
