#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <thread>
#include <vector>

#include "fakes/fake_platform_basics.h"
#include "platform/app_paths.h"
#include "platform/key_value_store.h"
#include "platform/main_queue.h"
#include "platform/serial_queue.h"

using namespace orbel::platform;

TEST(MainQueue, PostDefersEvenOnTheGuiThreadAndKeepsOrder) {
    auto& queue = MainQueue::shared();
    ASSERT_TRUE(queue.isMainThread());
    std::vector<int> order;
    queue.post([&] { order.push_back(1); });
    queue.post([&] { order.push_back(2); });
    order.push_back(0);  // runs before the posted tasks
    EXPECT_TRUE(QTest::qWaitFor([&] { return order.size() == 3; }));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
}

TEST(MainQueue, PostAndWaitFromAnotherThreadRunsOnTheGuiThread) {
    auto& queue = MainQueue::shared();
    std::atomic<bool> ranOnMain{false};
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        EXPECT_FALSE(queue.isMainThread());
        queue.postAndWait([&] { ranOnMain = MainQueue::shared().isMainThread(); });
        finished = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return finished.load(); }));
    worker.join();
    EXPECT_TRUE(ranOnMain);
}

TEST(SerialQueue, RunsInOrderOffTheCallerAndFlushWaits) {
    auto queue = makeSerialQueue("orbel.test");
    std::vector<int> seen;  // touched only by the worker until flush returns
    std::atomic<bool> offCaller{true};
    const auto caller = std::this_thread::get_id();
    for (int i = 0; i < 100; ++i) {
        queue->post([&, i] {
            if (std::this_thread::get_id() == caller) offCaller = false;
            if (i == 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
            seen.push_back(i);
        });
    }
    queue->flush();
    ASSERT_EQ(seen.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(seen[static_cast<std::size_t>(i)], i);
    EXPECT_TRUE(offCaller);
    // A throwing task does not stop the queue; flush on an idle queue returns.
    queue->post([] { throw std::runtime_error("boom"); });
    queue->post([&] { seen.push_back(100); });
    queue->flush();
    queue->flush();
    EXPECT_EQ(seen.back(), 100);
}

TEST(KeyValueStore, IniStorePersistsStringsAndIntegersAcrossInstances) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("orbel.ini").toStdString();
    {
        auto store = makeIniStore(path);
        EXPECT_FALSE(store->string("orbel.activeProfile"));
        store->setString("orbel.activeProfile", "Work / Home = ünï");
        store->setInteger("orbel.cycle.idx.00ff", 3);
        store->setInteger("gone", 1);
        store->remove("gone");
    }
    auto again = makeIniStore(path);
    EXPECT_EQ(again->string("orbel.activeProfile"), "Work / Home = ünï");
    EXPECT_EQ(again->integer("orbel.cycle.idx.00ff"), 3);
    EXPECT_FALSE(again->integer("gone"));
    EXPECT_FALSE(again->integer("orbel.activeProfile"));  // not a number
}

TEST(AppPaths, FollowsXdgConfigHome) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/tmp/xdg-test");
    EXPECT_EQ(AppPaths::shared().configDir(), "/tmp/xdg-test/orbel");
    qputenv("XDG_CONFIG_HOME", "relative/path");  // not absolute: ignored
    EXPECT_EQ(AppPaths::shared().configDir(), (QDir::homePath() + "/.config/orbel").toStdString());
    if (saved.isNull()) qunsetenv("XDG_CONFIG_HOME");
    else qputenv("XDG_CONFIG_HOME", saved);

    orbel::fakes::TempAppPaths temp;
    AppPaths::setShared(&temp);
    EXPECT_EQ(AppPaths::shared().configDir(), temp.configDir());
    AppPaths::setShared(nullptr);
}
