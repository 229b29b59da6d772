#include "platform/serial_queue.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace orbel::platform {
namespace {

class ThreadSerialQueue final : public SerialQueue {
public:
    explicit ThreadSerialQueue(std::string label) : label_(std::move(label)), worker_([this] { run(); }) {}

    ~ThreadSerialQueue() override {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        worker_.join();
    }

    void post(std::function<void()> task) override {
        {
            std::lock_guard lock(mutex_);
            tasks_.push_back(std::move(task));
            ++posted_;
        }
        wake_.notify_all();
    }

    void flush() override {
        if (std::this_thread::get_id() == worker_.get_id()) return;  // would wait on itself
        std::unique_lock lock(mutex_);
        const std::uint64_t target = posted_;
        done_.wait(lock, [&] { return finished_ >= target; });
    }

    const std::string& label() const override { return label_; }

private:
    void run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return stopping_ || !tasks_.empty(); });
            if (tasks_.empty()) return;  // stopping with nothing left
            auto task = std::move(tasks_.front());
            tasks_.pop_front();
            lock.unlock();
            try {
                task();
            } catch (...) {
                // A failing task must not take the queue down with it.
            }
            lock.lock();
            ++finished_;
            done_.notify_all();
        }
    }

    std::string label_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::deque<std::function<void()>> tasks_;
    std::uint64_t posted_ = 0;
    std::uint64_t finished_ = 0;
    bool stopping_ = false;
    std::thread worker_;  // last: starts after the fields above exist
};

}  // namespace

std::unique_ptr<SerialQueue> makeSerialQueue(std::string label) {
    return std::make_unique<ThreadSerialQueue>(std::move(label));
}

}  // namespace orbel::platform
