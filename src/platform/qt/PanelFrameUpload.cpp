#include "platform/qt/PanelFrameUpload.h"

#include <QEvent>
#include <QSysInfo>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstring>

#include "platform/qt/X11Display.h"

// Named before Xlib's macro of the same name exists.
constexpr QEvent::Type qtExposeEvent = QEvent::Expose;

// Xlib last: its macros (None, Bool, Status, Expose...) would clash with Qt's headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace platform::qt {
namespace {

// The smallest rectangle holding every pixel in which two images of one size differ, looking
// only `within`.
QRect changedRect(const QImage& a, const QImage& b, QRect within) {
    within &= a.rect();
    if (within.isEmpty()) return {};
    const int x = within.left(), w = within.width();
    int top = within.bottom() + 1, bottom = -1, left = within.right() + 1, right = -1;
    for (int y = within.top(); y <= within.bottom(); ++y) {
        const auto* ra = reinterpret_cast<const QRgb*>(a.constScanLine(y)) + x;
        const auto* rb = reinterpret_cast<const QRgb*>(b.constScanLine(y)) + x;
        if (std::memcmp(ra, rb, size_t(w) * sizeof(QRgb)) == 0) continue;
        top = std::min(top, y);
        bottom = y;
        int x0 = 0, x1 = w - 1;
        while (ra[x0] == rb[x0]) ++x0;
        while (ra[x1] == rb[x1]) --x1;
        left = std::min(left, x + x0);
        right = std::max(right, x + x1);
    }
    return bottom < 0 ? QRect() : QRect(left, top, right - left + 1, bottom - top + 1);
}

}  // namespace

PanelFrameUpload::~PanelFrameUpload() {
    if (gc_)
        if (Display* dpy = qtX11Display()) XFreeGC(dpy, static_cast<GC>(gc_));
}

bool PanelFrameUpload::put(const QImage& frame, const QImage& previous, const QRect& differsWithin) {
    // Asking Qt for its display costs a search of its interfaces: once is enough.
    if (!display_) display_ = qtX11Display();
    auto* dpy = static_cast<Display*>(display_);
    if (directPut_ == DirectPut::unavailable || !dpy || !window_.isVisible() ||
        !window_.testAttribute(Qt::WA_WState_Created))
        return false;
    auto window = static_cast<unsigned long>(window_.winId());
    if (directPut_ == DirectPut::unknown) {
        XWindowAttributes attrs;
        if (!XGetWindowAttributes(dpy, window, &attrs) || attrs.depth != 32 || frame.depth() != 32) {
            directPut_ = DirectPut::unavailable;
            return false;
        }
        visual_ = attrs.visual;
        gc_ = XCreateGC(dpy, window, 0, nullptr);
        directPut_ = DirectPut::ready;
        // Qt repaints exposed parts from its backing store, so that store must show the last frame.
        window_.windowHandle()->installEventFilter(this);
    }
    // What the X server copies, and the compositor repaints, scales with the area sent: a
    // breathing pet changes a band of its outline, not the whole panel.
    QRect changed = frame.rect();
    if (windowShowsPrevious_ && previous.size() == frame.size()) {
        changed = changedRect(previous, frame, differsWithin);
        if (changed.isEmpty()) return true;
    }
    if (shared_ && shared_->size() != frame.size()) shared_.reset();
    if (!shared_ && sharedMemory_) {
        shared_ = X11SharedImage::create(dpy, visual_, frame.size());
        sharedMemory_ = shared_ != nullptr;
        changed = frame.rect();  // a new image holds nothing yet
    }
    if (shared_) {
        shared_->put(frame, changed, window, gc_);
        flushBeforeSleep(dpy);
        windowShowsPrevious_ = true;
        return true;
    }
    // XPutImage only reads the pixels.
    XImage* image = XCreateImage(dpy, static_cast<Visual*>(visual_), 32, ZPixmap, 0,
                                 const_cast<char*>(reinterpret_cast<const char*>(frame.constBits())),
                                 unsigned(frame.width()), unsigned(frame.height()), 32, int(frame.bytesPerLine()));
    if (!image) return false;
    image->byte_order = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? LSBFirst : MSBFirst;
    XPutImage(dpy, window, static_cast<GC>(gc_), image, changed.x(), changed.y(), changed.x(), changed.y(),
              unsigned(changed.width()), unsigned(changed.height()));
    image->data = nullptr;  // ours
    XDestroyImage(image);
    flushBeforeSleep(dpy);
    windowShowsPrevious_ = true;
    return true;
}

bool PanelFrameUpload::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_.windowHandle() && event->type() == qtExposeEvent) {
        windowShowsPrevious_ = false;
        window_.update();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace platform::qt
