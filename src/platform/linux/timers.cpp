#include "platform/timers.h"

#include <QCoreApplication>
#include <QTimer>
#include <atomic>
#include <map>
#include <memory>

namespace orbel::platform {
namespace {

class QtTimers final : public Timers {
public:
    ~QtTimers() override {
        for (auto& [id, timer] : timers_) delete timer;
    }

    Id singleShot(std::chrono::milliseconds delay, std::function<void()> task) override {
        return add(delay, true, std::move(task));
    }
    Id repeating(std::chrono::milliseconds interval, std::function<void()> task) override {
        return add(interval, false, std::move(task));
    }
    void cancel(Id id) override {
        auto it = timers_.find(id);
        if (it == timers_.end()) return;
        it->second->stop();
        it->second->deleteLater();  // may be the timer whose callback is running
        timers_.erase(it);
    }

private:
    Id add(std::chrono::milliseconds delay, bool once, std::function<void()> task) {
        const Id id = nextId_++;
        auto* timer = new QTimer;
        timer->setTimerType(Qt::PreciseTimer);
        timer->setSingleShot(once);
        timer->setInterval(std::max(delay, std::chrono::milliseconds(0)));
        QObject::connect(timer, &QTimer::timeout, timer, [this, id, once, task = std::move(task)] {
            if (once) {
                // Forget the timer first: the task may start new ones.
                auto keep = task;
                cancel(id);
                keep();
            } else {
                task();
            }
        });
        timers_.emplace(id, timer);
        timer->start();
        return id;
    }

    Id nextId_ = 1;
    std::map<Id, QTimer*> timers_;
};

}  // namespace

Timers& Timers::makeShared() { return processLifetimeInstance<QtTimers>(); }

}  // namespace orbel::platform
