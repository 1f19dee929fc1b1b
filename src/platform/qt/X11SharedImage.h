#pragma once

#include <QImage>
#include <QRect>
#include <memory>

namespace platform::qt {

// A 32-bit image in memory shared with the X server: a frame reaches a window without passing
// through the socket, which for a small panel is most of what sending it costs. It always holds
// the whole last frame, so a put the server reads late shows pixels at least as new as those it
// was sent for, and the window ends up right. Xlib types stay opaque to keep them out of Qt's
// headers.
class X11SharedImage {
public:
    // Null where the server cannot share memory with this process (another host, another IPC
    // namespace) or keeps its images in another byte order.
    static std::unique_ptr<X11SharedImage> create(void* display, void* visual, QSize size);
    ~X11SharedImage();
    X11SharedImage(const X11SharedImage&) = delete;
    X11SharedImage& operator=(const X11SharedImage&) = delete;

    QSize size() const { return pixels_.size(); }
    // Copies `rect` of `frame` (of this size) in and has the server draw it at the same place
    // of `window` with `gc`. Queued: the caller flushes.
    void put(const QImage& frame, const QRect& rect, unsigned long window, void* gc);

private:
    X11SharedImage() = default;

    void* display_ = nullptr;
    void* image_ = nullptr;    // XImage*
    void* segment_ = nullptr;  // XShmSegmentInfo*
    QImage pixels_;            // over the shared memory
};

}  // namespace platform::qt
