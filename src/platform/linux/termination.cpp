#include "platform/termination.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace orbel::platform {
namespace {

int wakePipe[2] = {-1, -1};

// Only async-signal-safe work here: one byte down the pipe.
void noteSignal(int) {
    const char byte = 1;
    [[maybe_unused]] auto written = ::write(wakePipe[1], &byte, 1);
}

}  // namespace

void onTerminationRequest(std::function<void()> request) {
    if (wakePipe[0] >= 0 || ::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(wakePipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [request = std::move(request)] {
        char buffer[16];
        while (::read(wakePipe[0], buffer, sizeof buffer) > 0) {
        }
        if (request) request();
    });
    struct sigaction action = {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

}  // namespace orbel::platform
