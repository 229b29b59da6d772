#pragma once

// What the benchmarks of windows share: their one application, a wait on
// its event loop, and a directory of installed applications whose scan
// waits until released, as a slow disk would.

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "platform/app_directory.h"

namespace orbel::bench {

// Whether an X display is there to draw on.
inline bool haveDisplay() { return !qEnvironmentVariableIsEmpty("DISPLAY"); }

// The benchmark's one application, made at the first call: on `platform`,
// or on the one the environment names when null.
inline QApplication& benchApp(const char* platform) {
    static int argc = 1;
    static char name[] = "orbel_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* instance = [platform] {
        if (platform) qputenv("QT_QPA_PLATFORM", platform);
        return new QApplication(argc, argv);
    }();
    return *instance;
}

inline QApplication& offscreenApp() { return benchApp("offscreen"); }

// Runs the event loop until `done` holds (30 s at most).
template <class F>
void waitFor(F done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 30000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (!done()) QThread::msleep(1);
    }
}

class GatedDirectory : public platform::AppDirectory {
public:
    explicit GatedDirectory(int entries) {
        for (int i = 0; i < entries; ++i)
            apps_.push_back({"org.example.App" + std::to_string(i), "Application " + std::to_string(i), "",
                             "/usr/share/applications/org.example.App" + std::to_string(i) + ".desktop"});
    }
    std::vector<platform::InstalledApp> allApps() override {
        std::unique_lock lock(mutex_);
        released_.wait(lock, [this] { return open_; });
        return apps_;
    }
    void release() {
        std::lock_guard lock(mutex_);
        open_ = true;
        released_.notify_all();
    }

private:
    std::vector<platform::InstalledApp> apps_;
    std::mutex mutex_;
    std::condition_variable released_;
    bool open_ = false;
};

}  // namespace orbel::bench
