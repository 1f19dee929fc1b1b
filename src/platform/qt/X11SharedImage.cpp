#include "platform/qt/X11SharedImage.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <QGuiApplication>
#include <QSysInfo>
#include <cstring>

#include "platform/qt/X11Display.h"

// Xlib last: its macros would clash with Qt's headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

namespace platform::qt {
namespace {

bool attachFailed = false;

int noteAttachError(Display*, XErrorEvent*) {
    attachFailed = true;
    return 0;
}

// Attaches the segment on the server's side; false when the server refuses (it cannot see our
// memory). One round trip, once per image.
bool attach(Display* dpy, XShmSegmentInfo* segment) {
    attachFailed = false;
    XSync(dpy, False);
    auto* previous = XSetErrorHandler(noteAttachError);
    bool sent = XShmAttach(dpy, segment);
    XSync(dpy, False);
    XSetErrorHandler(previous);
    return sent && !attachFailed;
}

}  // namespace

std::unique_ptr<X11SharedImage> X11SharedImage::create(void* display, void* visual, QSize size) {
    auto* dpy = static_cast<Display*>(display);
    if (!dpy || size.isEmpty() || !XShmQueryExtension(dpy)) return nullptr;
    const int hostOrder = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? LSBFirst : MSBFirst;
    if (ImageByteOrder(dpy) != hostOrder) return nullptr;

    auto segment = std::make_unique<XShmSegmentInfo>();
    XImage* image = XShmCreateImage(dpy, static_cast<Visual*>(visual), 32, ZPixmap, nullptr, segment.get(),
                                    unsigned(size.width()), unsigned(size.height()));
    if (!image) return nullptr;
    auto dropImage = [image] {
        image->data = nullptr;
        XDestroyImage(image);
    };
    segment->shmid = shmget(IPC_PRIVATE, size_t(image->bytes_per_line) * size_t(image->height), IPC_CREAT | 0600);
    if (segment->shmid < 0) {
        dropImage();
        return nullptr;
    }
    segment->shmaddr = image->data = static_cast<char*>(shmat(segment->shmid, nullptr, 0));
    segment->readOnly = False;
    const bool mapped = segment->shmaddr != reinterpret_cast<char*>(-1);
    const bool attached = mapped && attach(dpy, segment.get());
    // Gone once both sides let go of it, even if this process dies.
    shmctl(segment->shmid, IPC_RMID, nullptr);
    if (!attached) {
        if (mapped) shmdt(segment->shmaddr);
        dropImage();
        return nullptr;
    }

    std::unique_ptr<X11SharedImage> shared(new X11SharedImage);
    shared->display_ = dpy;
    shared->image_ = image;
    shared->pixels_ = QImage(reinterpret_cast<uchar*>(segment->shmaddr), size.width(), size.height(),
                             image->bytes_per_line, QImage::Format_ARGB32_Premultiplied);
    shared->segment_ = segment.release();
    return shared;
}

X11SharedImage::~X11SharedImage() {
    auto* dpy = static_cast<Display*>(display_);
    auto* segment = static_cast<XShmSegmentInfo*>(segment_);
    auto* image = static_cast<XImage*>(image_);
    pixels_ = QImage();
    // A display Qt has closed already let go of the segment with the connection.
    if (qtX11Display() == dpy) XShmDetach(dpy, segment);
    shmdt(segment->shmaddr);
    image->data = nullptr;
    XDestroyImage(image);
    delete segment;
}

void X11SharedImage::put(const QImage& frame, const QRect& rect, unsigned long window, void* gc) {
    const QRect r = rect & pixels_.rect();
    if (r.isEmpty() || frame.size() != pixels_.size()) return;
    const size_t bytes = size_t(r.width()) * 4;
    for (int y = r.top(); y <= r.bottom(); ++y)
        std::memcpy(pixels_.scanLine(y) + size_t(r.left()) * 4, frame.constScanLine(y) + size_t(r.left()) * 4, bytes);
    XShmPutImage(static_cast<Display*>(display_), window, static_cast<GC>(gc), static_cast<XImage*>(image_), r.x(),
                 r.y(), r.x(), r.y(), unsigned(r.width()), unsigned(r.height()), False);
}

}  // namespace platform::qt
