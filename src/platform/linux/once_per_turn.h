#pragma once

#include <QMetaObject>
#include <QObject>
#include <functional>

namespace orbel::platform {

// Runs a task in the next turn of the event loop, once however often it was
// asked for before then: for work that comes in bursts (pointer motion,
// queued X events). The context owns it; the task never runs after the
// context is gone.
class OncePerTurn {
public:
    OncePerTurn(QObject* context, std::function<void()> task) : context_(context), task_(std::move(task)) {}

    void request() {
        if (queued_) return;
        queued_ = true;
        QMetaObject::invokeMethod(
            context_,
            [this] {
                queued_ = false;
                task_();
            },
            Qt::QueuedConnection);
    }

private:
    QObject* context_;
    std::function<void()> task_;
    bool queued_ = false;
};

}  // namespace orbel::platform
