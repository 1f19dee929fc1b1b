#pragma once

#include <QAbstractButton>
#include <QFrame>
#include <QLabel>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Published.h"
#include "platform/Subscription.h"

class QVBoxLayout;
class QButtonGroup;
class QPushButton;

// The building blocks the settings pages are made of. Texts handed in are shown unchanged:
// callers look them up first.
namespace windows::qt {

// A widget property: true where a text may end in an ellipsis by design, false or unset where
// it must be read whole.
inline constexpr const char* kMayElide = "mayElide";

enum class TextStyle { largeTitle, title2, title3, headline, body, callout, subheadline, caption, caption2 };

QFont fontFor(TextStyle style, QFont::Weight weight = QFont::Normal);
QColor accentColor();
QColor secondaryColor();
QColor warningColor();
QColor liveColor();

// A label in a text style; secondary labels are greyed, wrapping ones grow downwards.
QLabel* makeLabel(const std::string& text, TextStyle style, bool secondary = false, bool wrap = false);
// A vertical stack, a horizontal stack, with the given spacing and no margins.
QVBoxLayout* vstack(QWidget* owner, int spacing);

// The small line over a page's title: bold, tracked, in accent capitals. `text` is shown in
// capitals, as every page's eyebrow is.
QLabel* eyebrowLabel(const std::string& text, TextStyle style, double tracking);
// Eyebrow in small accent capitals, a large title, a wrapping detail.
QWidget* pageHeader(const std::string& eyebrow, const std::string& title, const std::string& detail);
// A push button with room around its title; a prominent one is the default-looking button.
QPushButton* pushButton(const std::string& title, bool prominent = false);
// Puts `symbol` before the button's title, in the title's colour and clear of it whatever the
// symbol's shape.
void setButtonSymbol(QPushButton* button, const std::string& symbol);
// A faint line between rows.
QWidget* softDivider();

// A card: optional headline, then its content, on a faint rounded panel.
class SettingsCard final : public QFrame {
public:
    explicit SettingsCard(const std::optional<std::string>& title = std::nullopt);
    QVBoxLayout* content() const { return content_; }
    // Adds a widget to the content, stretched to the card's width.
    void add(QWidget* widget);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVBoxLayout* content_;
};

// Title (and wrapping detail) on the leading side, the control in a 240-point slot at the
// trailing side; top-aligned with a detail, centred without.
QWidget* settingRow(const std::string& title, const std::optional<std::string>& detail, QWidget* control);

// A symbol followed by a text, both in one colour; the symbol "circle.fill" is a small dot.
class SymbolLabel final : public QWidget {
public:
    SymbolLabel(TextStyle style, int symbolSide);
    void set(const std::string& text, const std::string& symbol, const QColor& color);
    QLabel* text() const { return text_; }

private:
    QLabel* icon_;
    QLabel* text_;
    int symbolSide_;
};

// Exclusive choice among a few short options shown side by side.
class SegmentedPicker final : public QWidget {
public:
    SegmentedPicker(const std::vector<std::string>& options, int width, std::function<void(int)> chosen);
    int currentIndex() const;
    void setCurrentIndex(int index);  // does not report back
    QAbstractButton* segment(int index) const;

private:
    QButtonGroup* group_;
    std::function<void(int)> chosen_;
};

// A two-state switch drawn as a pill with a knob. Keyboard focus rings it, a click does not.
class Switch final : public QAbstractButton {
public:
    explicit Switch(const std::string& accessibleName = {});
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool focusShown_ = false;
};

// The brand mark in a square of `side` points. The widget is larger by markOverhang(side) on
// every side, where the fur and its shadow reach: callers place the square, not the widget.
QWidget* makeMark(int side);
int markOverhang(int side);
// A mark whose square's top-left corner is at `squareTopLeft` in `parent`, outside any layout.
QWidget* placeMark(QWidget* parent, int side, QPoint squareTopLeft);

// Marks of one side in an overlapping row, each later one `drop` lower; a ringed mark wears a
// ring in the window's colour that sets it apart from the one behind. With a `frame`, the row
// is centred in it; without, the widget is as wide as the shown marks and their fur.
class MarkRow final : public QWidget {
public:
    MarkRow(int count, int side, int overlap, int drop, bool ringed, QSize frame = {});
    // Shows the first `count` marks.
    void setCount(int count);
    QWidget* mark(int index) const { return marks_.at(index); }

private:
    int side_, overlap_, drop_;
    QSize frame_;
    std::vector<QWidget*> marks_;
    std::vector<QWidget*> rings_;
};

// Subscriptions that end with the widget holding them.
class Bindings {
public:
    template <typename T, typename F>
    void follow(platform::Published<T>& property, F&& handler) {
        subscriptions_.push_back(property.subscribe(std::forward<F>(handler)));
    }

private:
    std::vector<platform::Subscription> subscriptions_;
};

}  // namespace windows::qt
