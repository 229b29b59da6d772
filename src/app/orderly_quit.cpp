#include "app/orderly_quit.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <csignal>

#include "input/logitech_hid_listener.h"
#include "platform/termination.h"

namespace orbel {
namespace {

// Runs the event loop until every diverted control has been handed back
// (the devices' answers arrive as events), or until the limit.
void handBackDevices() {
    QEventLoop loop;
    bool done = false;
    input::LogitechHidListener::shared().stop([&] {
        done = true;
        loop.quit();
    });
    if (done) return;
    QTimer::singleShot(kDeviceHandBackLimit, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

void installOrderlyQuit() {
    std::signal(SIGPIPE, SIG_IGN);
    platform::onTerminationRequest([] { QCoreApplication::quit(); });
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &handBackDevices);
}

}  // namespace orbel
