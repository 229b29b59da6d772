#include "platform/main_queue.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <atomic>

namespace orbel::platform {
namespace {

class QtMainQueue final : public MainQueue {
public:
    void post(std::function<void()> task) override {
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task), Qt::QueuedConnection);
    }
    void postAndWait(std::function<void()> task) override {
        if (isMainThread()) {
            task();
            return;
        }
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task), Qt::BlockingQueuedConnection);
    }
    bool isMainThread() const override {
        auto* app = QCoreApplication::instance();
        return app && QThread::currentThread() == app->thread();
    }
};


}  // namespace

MainQueue& MainQueue::makeShared() { return processLifetimeInstance<QtMainQueue>(); }

}  // namespace orbel::platform
