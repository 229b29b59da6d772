// The timer contract, checked against the Qt timers and the fake alike.
#include "platform/timers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include "fakes/fake_timers.h"

namespace orbel {
namespace {

using namespace std::chrono_literals;

struct QtDriver {
    platform::Timers& timers = platform::Timers::shared();
    void pass(std::chrono::milliseconds ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }
};

struct FakeDriver {
    fakes::FakeTimers fake;
    platform::Timers& timers = fake;
    void pass(std::chrono::milliseconds ms) { fake.advance(ms); }
};

template <typename Driver>
class TimersContract : public ::testing::Test {
protected:
    Driver driver;
};

using Drivers = ::testing::Types<QtDriver, FakeDriver>;
TYPED_TEST_SUITE(TimersContract, Drivers);

TYPED_TEST(TimersContract, SingleShotFiresOnceAndNeverInsideTheCall) {
    int fired = 0;
    this->driver.timers.singleShot(0ms, [&] { ++fired; });
    EXPECT_EQ(fired, 0);
    this->driver.pass(60ms);
    EXPECT_EQ(fired, 1);
    this->driver.pass(60ms);
    EXPECT_EQ(fired, 1);
}

TYPED_TEST(TimersContract, CancelledTimersNeverFire) {
    int fired = 0;
    auto id = this->driver.timers.singleShot(20ms, [&] { ++fired; });
    this->driver.timers.cancel(id);
    this->driver.timers.cancel(id);  // twice is harmless
    this->driver.timers.cancel(987654);
    this->driver.pass(80ms);
    EXPECT_EQ(fired, 0);
}

TYPED_TEST(TimersContract, RepeatingTimerStopsWhenItCancelsItself) {
    int fired = 0;
    platform::Timers::Id id = 0;
    id = this->driver.timers.repeating(10ms, [&] {
        if (++fired == 3) this->driver.timers.cancel(id);
    });
    this->driver.pass(200ms);
    EXPECT_EQ(fired, 3);
}

TYPED_TEST(TimersContract, ATaskMayStartTheNextTimer) {
    std::vector<int> order;
    this->driver.timers.singleShot(10ms, [&] {
        order.push_back(1);
        this->driver.timers.singleShot(10ms, [&] { order.push_back(2); });
    });
    this->driver.timers.singleShot(50ms, [&] { order.push_back(3); });
    this->driver.pass(150ms);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

}  // namespace
}  // namespace orbel
