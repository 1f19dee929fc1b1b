#include "platform/qt/FixedWindowSize.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace platform::qt {
namespace {

// Lives as a child of the window; hears only the window's own events.
class FixedSizeKeeper final : public QObject {
public:
    explicit FixedSizeKeeper(QWidget& window) : QObject(&window), window_(window) { window.installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // The window has its native side from its first showing on.
        if (watched == &window_ && event->type() == QEvent::Show && window_.windowHandle())
            connect(window_.windowHandle(), &QWindow::screenChanged, this, &FixedSizeKeeper::resize,
                    Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));
        return false;
    }

private:
    // Once Qt is done with the move; resizing sends the hints again in the new screen's pixels.
    void resize() {
        if (window_.minimumSize() == window_.maximumSize()) window_.resize(window_.minimumSize());
    }

    QWidget& window_;
};

}  // namespace

void keepFixedSizeOnEachScreen(QWidget& window) {
    new FixedSizeKeeper(window);
}

}  // namespace platform::qt
