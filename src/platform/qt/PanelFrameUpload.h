#pragma once

#include <QImage>
#include <QObject>
#include <memory>

#include "platform/qt/X11SharedImage.h"

class QWidget;

namespace platform::qt {

// Puts a panel window's frames on its X window directly, through shared memory where the server
// takes it, sending only the pixels that changed since the frame the window shows. Qt's way to
// the screen (repaint manager, clearing and syncing its backing store) costs several times our
// own painting for a frame this small; Qt's backing store catches up on the next expose.
class PanelFrameUpload final : public QObject {
public:
    explicit PanelFrameUpload(QWidget& window) : window_(window) {}
    ~PanelFrameUpload() override;

    // Puts `frame` on the window, `previous` being the frame before it, the two being the same
    // outside `differsWithin`; false where that cannot be done (Qt paints the frame then).
    bool put(const QImage& frame, const QImage& previous, const QRect& differsWithin);
    // The window no longer shows the last frame put.
    void forgetWindowContents() { windowShowsPrevious_ = false; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    // While set, the window holds exactly the frame put last.
    bool windowShowsPrevious_ = false;
    enum class DirectPut { unknown, ready, unavailable };
    DirectPut directPut_ = DirectPut::unknown;
    void* display_ = nullptr;  // Qt's Display*
    void* visual_ = nullptr;   // Xlib's Visual* and GC, kept opaque to stay out of Qt's headers
    void* gc_ = nullptr;
    // Frames go through shared memory while the server takes it.
    std::unique_ptr<X11SharedImage> shared_;
    bool sharedMemory_ = true;
};

}  // namespace platform::qt
