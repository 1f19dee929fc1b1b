#pragma once

#include <QObject>

class QWidget;

namespace windows::qt {

// Keeps the mouse wheel from changing settings while the user scrolls a page: inside `root`,
// pickers, sliders and spin boxes take the wheel only once the user has focused them (a click
// or the Tab key; the wheel itself no longer gives focus), and a segmented row never does.
// A refused turn of the wheel scrolls the page as if the control were not there.
class WheelGuard final : public QObject {
public:
    // Lives as long as `root`.
    explicit WheelGuard(QWidget* root);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* root_;
};

}  // namespace windows::qt
