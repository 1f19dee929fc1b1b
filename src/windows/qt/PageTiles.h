#pragma once

#include <QAbstractButton>
#include <QFrame>
#include <string>

#include "windows/qt/SettingsBlocks.h"

class QLabel;

// Small pieces shared by the actions, keyboard, companion and privacy pages.
namespace windows::qt {

// A flat tile button: symbol, text, an optional trailing symbol, on a rounded fill that
// carries the accent while the tile is chosen. A text too long for one line wraps onto two.
class Tile final : public QAbstractButton {
public:
    Tile(const std::string& symbol, const std::string& text, int height, double chosenAlpha, double restAlpha);
    void setChosen(bool chosen);
    bool chosen() const { return chosen_; }
    void setTrailingSymbol(const std::string& symbol, const QColor& color);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int symbolsWidth() const;

    std::string symbol_;
    std::string trailing_;
    QColor trailingColor_;
    int height_;
    double chosenAlpha_;
    double restAlpha_;
    bool chosen_ = false;
};

// A statistics tile: a caption over a large value, on a faint rounded panel. The symbol,
// when given, stands above them.
class StatTile final : public QFrame {
public:
    StatTile(const std::string& symbol, const std::string& label, bool valueOnTop, TextStyle valueStyle);
    void setValue(const QString& value);
    QLabel* value() const { return value_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* value_;
};

// Symbol, title and detail: one line of what the program does with the user's data.
QWidget* privacyLine(const std::string& symbol, const std::string& title, const std::string& detail);

// A label showing only a symbol of `side` points in `color`.
QLabel* symbolIcon(const std::string& symbol, int side, const QColor& color);

}  // namespace windows::qt
