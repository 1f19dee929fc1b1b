#pragma once

#include <QWidget>

namespace menubar::qt {

// The product's emblem: one fluffy black ball with two cream eyes looking down to the side.
// It fills its contents rectangle; the fur and the shadow reach into the margins around it.
class TuftleMark final : public QWidget {
    Q_OBJECT
public:
    explicit TuftleMark(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace menubar::qt
