#include "platform/qt/QtBackgroundQueue.h"

#include <QCoreApplication>
#include <QThreadPool>

namespace platform::qt {

void QtBackgroundQueue::run(std::function<void()> work, std::function<void()> done) {
    QThreadPool::globalInstance()->start([work = std::move(work), done = std::move(done)]() mutable {
        work();
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(done), Qt::QueuedConnection);
    });
}

}  // namespace platform::qt
