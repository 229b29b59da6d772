#pragma once

// In-memory stand-ins for the basic platform services.

#include <QDir>
#include <QTemporaryDir>
#include <deque>
#include <map>
#include <mutex>

#include "platform/app_paths.h"
#include "platform/clock.h"
#include "platform/key_value_store.h"
#include "platform/main_queue.h"

namespace orbel::fakes {

// Holds posted tasks until the test runs them.
class FakeMainQueue : public platform::MainQueue {
public:
    void post(std::function<void()> task) override {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    void postAndWait(std::function<void()> task) override { task(); }
    bool isMainThread() const override { return true; }

    std::size_t pending() const {
        std::lock_guard lock(mutex_);
        return tasks_.size();
    }
    // Runs tasks, including the ones they post, until none is left.
    std::size_t runAll() {
        std::size_t ran = 0;
        for (;;) {
            std::function<void()> task;
            {
                std::lock_guard lock(mutex_);
                if (tasks_.empty()) return ran;
                task = std::move(tasks_.front());
                tasks_.pop_front();
            }
            task();
            ++ran;
        }
    }

private:
    mutable std::mutex mutex_;
    std::deque<std::function<void()>> tasks_;
};

class FakeKeyValueStore : public platform::KeyValueStore {
public:
    std::optional<std::string> string(const std::string& key) const override {
        std::lock_guard lock(mutex_);
        auto it = strings.find(key);
        if (it == strings.end()) return std::nullopt;
        return it->second;
    }
    std::optional<std::int64_t> integer(const std::string& key) const override {
        std::lock_guard lock(mutex_);
        auto it = integers.find(key);
        if (it == integers.end()) return std::nullopt;
        return it->second;
    }
    void setString(const std::string& key, const std::string& value) override {
        std::lock_guard lock(mutex_);
        integers.erase(key);
        strings[key] = value;
    }
    void setInteger(const std::string& key, std::int64_t value) override {
        std::lock_guard lock(mutex_);
        strings.erase(key);
        integers[key] = value;
    }
    void remove(const std::string& key) override {
        std::lock_guard lock(mutex_);
        strings.erase(key);
        integers.erase(key);
    }

    std::map<std::string, std::string> strings;
    std::map<std::string, std::int64_t> integers;

private:
    mutable std::mutex mutex_;
};

// A configuration folder inside a temporary directory removed afterwards.
class TempAppPaths : public platform::AppPaths {
public:
    std::string configDir() const override { return (dir_.path() + QStringLiteral("/orbel")).toStdString(); }
    std::string root() const { return dir_.path().toStdString(); }

private:
    QTemporaryDir dir_;
};

class FakeClock : public platform::Clock {
public:
    double secondsSince1970() const override { return seconds; }
    std::chrono::steady_clock::time_point monotonicNow() const override {
        return std::chrono::steady_clock::time_point(std::chrono::duration_cast<std::chrono::steady_clock::duration>(
            std::chrono::duration<double>(seconds)));
    }
    void advance(double by) { seconds += by; }
    double seconds = 1700000000.0;
};

}  // namespace orbel::fakes
