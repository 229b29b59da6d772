// HID devices through hidraw, found and followed through libudev. All file
// descriptors, the udev monitor and every read and write live on one HID
// thread; results travel to the GUI thread through the main queue, input
// reports in the order the device sent them, through a bounded queue.
#include "platform/hid_manager.h"

#include <QMetaObject>
#include <QObject>
#include <QSocketNotifier>
#include <QThread>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <libudev.h>
#include <linux/hidraw.h>
#include <algorithm>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/linux/hidraw_device.h"
#include "platform/main_queue.h"

namespace orbel::platform {
namespace {

class HidThread {
public:
    static HidThread& instance() {
        static HidThread* thread = new HidThread;  // lives as long as the process
        return *thread;
    }
    void post(std::function<void()> task) {
        QMetaObject::invokeMethod(context_, std::move(task), Qt::QueuedConnection);
    }

private:
    HidThread() {
        thread_.setObjectName(QStringLiteral("orbel.hid"));
        context_ = new QObject;
        context_->moveToThread(&thread_);
        thread_.start();
    }
    QThread thread_;
    QObject* context_;
};

void toGui(std::function<void()> task) { MainQueue::shared().post(std::move(task)); }

// Whether the report descriptor declares report IDs (then every report
// starts with its ID byte).
bool usesReportIds(int fd) {
    int size = 0;
    if (ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0 || size <= 0) return true;
    hidraw_report_descriptor descriptor{};
    descriptor.size = static_cast<__u32>(std::min(size, HID_MAX_DESCRIPTOR_SIZE));
    if (ioctl(fd, HIDIOCGRDESC, &descriptor) < 0) return true;
    for (std::size_t i = 0; i < descriptor.size;) {
        const std::uint8_t prefix = descriptor.value[i];
        if (prefix == 0xFE) {  // long item: size byte, tag byte, data
            if (i + 1 >= descriptor.size) break;
            i += 3 + descriptor.value[i + 1];
            continue;
        }
        if ((prefix & 0xFC) == 0x84) return true;  // global item "Report ID"
        const std::size_t dataSize = (prefix & 3) == 3 ? 4 : (prefix & 3);
        i += 1 + dataSize;
    }
    return false;
}

// One hidraw node; touched only on the HID thread.
struct IoNode {
    std::string devnode;
    int fd = -1;
    bool numbered = true;
    std::unique_ptr<QSocketNotifier> notifier;
    std::function<void(int reportId, HidBytes data)> deliver;

    ~IoNode() { close(); }
    int open() {
        if (fd >= 0) return 0;
        fd = ::open(devnode.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return errno;
        numbered = usesReportIds(fd);
        notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] { readAvailable(); });
        return 0;
    }
    void close() {
        notifier.reset();
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
    void readAvailable() {
        std::uint8_t buffer[4096];  // the largest report hidraw hands out
        for (int reports = 0; reports < 64; ++reports) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno == EAGAIN) return;
            if (n <= 0) {  // gone or broken: stop listening, the removal follows
                notifier->setEnabled(false);
                return;
            }
            if (numbered) {
                deliver(buffer[0], HidBytes(buffer + 1, buffer + n));
            } else {
                deliver(0, HidBytes(buffer, buffer + n));
            }
        }
    }
    int send(HidReportType type, int reportId, const HidBytes& data) {
        if (fd < 0) return EBADF;
        HidBytes bytes;
        bytes.reserve(data.size() + 1);
        bytes.push_back(static_cast<std::uint8_t>(reportId));
        bytes.insert(bytes.end(), data.begin(), data.end());
        if (type == HidReportType::output) {
            const ssize_t n = ::write(fd, bytes.data(), bytes.size());
            if (n < 0) return errno;
            return static_cast<std::size_t>(n) == bytes.size() ? 0 : EIO;
        }
        if (type == HidReportType::feature)
            return ioctl(fd, HIDIOCSFEATURE(bytes.size()), bytes.data()) < 0 ? errno : 0;
        return EINVAL;
    }
};

// Input reports on their way to the GUI thread. While that thread is busy
// they wait here, at most kMaxWaiting of them: past that the oldest report
// that is not HID++ (mouse motion and the like) is dropped. HID++ reports
// are answers and notifications the input layer waits for; they are kept,
// up to kMaxWaitingHidpp.
class ReportQueue {
public:
    static constexpr std::size_t kMaxWaiting = 64;
    static constexpr std::size_t kMaxWaitingHidpp = 1024;

    explicit ReportQueue(std::weak_ptr<HidDevice::InputReportHandler> handler) : handler_(std::move(handler)) {}

    // HID thread.
    static void push(const std::shared_ptr<ReportQueue>& self, int reportId, HidBytes data) {
        {
            std::lock_guard lock(self->mutex_);
            self->waiting_.emplace_back(reportId, std::move(data));
            if (self->waiting_.size() > kMaxWaiting) {
                auto oldest = std::find_if(self->waiting_.begin(), self->waiting_.end(),
                                           [](const auto& report) { return !isHidpp(report.first); });
                if (oldest != self->waiting_.end()) self->waiting_.erase(oldest);
                else if (self->waiting_.size() > kMaxWaitingHidpp) self->waiting_.pop_front();
            }
            if (self->drainPosted_) return;
            self->drainPosted_ = true;
        }
        toGui([self] { self->drain(); });
    }

private:
    // Logitech's short, long and very long HID++ reports.
    static bool isHidpp(int reportId) { return reportId >= 0x10 && reportId <= 0x12; }

    // GUI thread: hands over what waits, in order.
    void drain() {
        std::deque<std::pair<int, HidBytes>> reports;
        {
            std::lock_guard lock(mutex_);
            reports.swap(waiting_);
            drainPosted_ = false;
        }
        for (const auto& [reportId, data] : reports) {
            auto h = handler_.lock();
            if (!h || !*h) return;
            auto call = *h;  // the handler may replace itself
            call(reportId, data, std::nullopt);
        }
    }

    std::weak_ptr<HidDevice::InputReportHandler> handler_;
    std::mutex mutex_;
    std::deque<std::pair<int, HidBytes>> waiting_;
    bool drainPosted_ = false;
};

class LinuxHidDevice final : public HidDevice {
public:
    LinuxHidDevice(std::string devnode, std::uint16_t product, std::string name)
        : product_(product), name_(std::move(name)), io_(std::make_shared<IoNode>()) {
        io_->devnode = std::move(devnode);
        auto queue = std::make_shared<ReportQueue>(handler_);
        io_->deliver = [queue](int reportId, HidBytes data) { ReportQueue::push(queue, reportId, std::move(data)); };
    }
    ~LinuxHidDevice() override {
        *handler_ = nullptr;
        HidThread::instance().post([io = std::move(io_)] { io->close(); });
    }

    std::uint16_t productIdentifier() const override { return product_; }
    std::string productName() const override { return name_; }

    void open(Completion done) override { run([](IoNode& io) { return io.open(); }, std::move(done)); }
    void close() override {
        HidThread::instance().post([io = io_] { io->close(); });
    }
    void setInputReportHandler(InputReportHandler handler) override { *handler_ = std::move(handler); }
    void sendReport(HidReportType type, int reportId, HidBytes data, Completion done) override {
        if (reportId < 0 || reportId > 255) {
            toGui([done = std::move(done)] { done(HidError{EINVAL}); });
            return;
        }
        run([type, reportId, data = std::move(data)](IoNode& io) { return io.send(type, reportId, data); },
            std::move(done));
    }

private:
    // Runs `work` on the HID thread and hands its errno to `done` on the GUI
    // thread, unless this device is gone by then.
    template <class Work>
    void run(Work work, Completion done) {
        std::weak_ptr<InputReportHandler> alive = handler_;
        HidThread::instance().post([io = io_, work = std::move(work), alive, done = std::move(done)]() mutable {
            const int error = work(*io);
            toGui([alive, error, done = std::move(done)] {
                if (alive.expired()) return;
                done(error ? std::optional<HidError>(HidError{error}) : std::nullopt);
            });
        });
    }

    std::uint16_t product_;
    std::string name_;
    std::shared_ptr<InputReportHandler> handler_ = std::make_shared<InputReportHandler>();
    std::shared_ptr<IoNode> io_;
};

struct NodeInfo {
    std::string syspath;
    std::string devnode;
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    std::string name;
};

std::optional<NodeInfo> describe(udev_device* device) {
    const char* devnode = udev_device_get_devnode(device);
    udev_device* hid = udev_device_get_parent_with_subsystem_devtype(device, "hid", nullptr);
    if (!devnode || !hid) return std::nullopt;
    const char* id = udev_device_get_property_value(hid, "HID_ID");  // "0003:0000046D:0000C52B"
    unsigned bus = 0, vendor = 0, product = 0;
    if (!id || std::sscanf(id, "%x:%x:%x", &bus, &vendor, &product) != 3) return std::nullopt;
    const char* name = udev_device_get_property_value(hid, "HID_NAME");
    return NodeInfo{udev_device_get_syspath(device), devnode, static_cast<std::uint16_t>(vendor),
                    static_cast<std::uint16_t>(product), name ? name : ""};
}

// GUI-thread side of a watch: its handlers and its devices by sysfs path.
struct WatchSink {
    HidManager::EventHandler onEvent;
    HidManager::EndHandler onEnd;
    std::map<std::string, std::shared_ptr<LinuxHidDevice>> devices;

    void matched(const NodeInfo& info) {
        auto& device = devices[info.syspath];
        if (!device) device = std::make_shared<LinuxHidDevice>(info.devnode, info.product, info.name);
        auto keep = device;
        onEvent(HidDeviceEvent{HidDeviceEvent::Kind::matching, keep, std::nullopt});
    }
    void removed(const std::string& syspath) {
        auto it = devices.find(syspath);
        if (it == devices.end()) return;
        auto device = it->second;
        devices.erase(it);
        onEvent(HidDeviceEvent{HidDeviceEvent::Kind::removal, device, std::nullopt});
    }
};

// HID-thread side of a watch: the udev monitor and the nodes reported so far.
struct IoWatch {
    std::uint16_t vendor = 0;
    std::weak_ptr<WatchSink> sink;
    udev* context = nullptr;
    udev_monitor* monitor = nullptr;
    std::unique_ptr<QSocketNotifier> notifier;
    std::set<std::string> reported;

    ~IoWatch() {
        notifier.reset();
        if (monitor) udev_monitor_unref(monitor);
        if (context) udev_unref(context);
    }
    void start() {
        context = udev_new();
        if (context) monitor = udev_monitor_new_from_netlink(context, "udev");
        if (!monitor || udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
            udev_monitor_enable_receiving(monitor) < 0) {
            const int error = errno ? errno : ENODEV;
            toGui([sink = sink, error] {
                if (auto s = sink.lock()) s->onEnd(HidError{error});
            });
            return;
        }
        notifier = std::make_unique<QSocketNotifier>(udev_monitor_get_fd(monitor), QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] { receive(); });
        enumerate();
    }
    void enumerate() {
        udev_enumerate* scan = udev_enumerate_new(context);
        udev_enumerate_add_match_subsystem(scan, "hidraw");
        udev_enumerate_scan_devices(scan);
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(scan)) {
            if (udev_device* device = udev_device_new_from_syspath(context, udev_list_entry_get_name(entry))) {
                added(device);
                udev_device_unref(device);
            }
        }
        udev_enumerate_unref(scan);
    }
    void receive() {
        while (udev_device* device = udev_monitor_receive_device(monitor)) {
            const std::string action = udev_device_get_action(device) ? udev_device_get_action(device) : "";
            if (action == "add") added(device);
            if (action == "remove") removed(udev_device_get_syspath(device));
            udev_device_unref(device);
        }
    }
    void added(udev_device* device) {
        auto info = describe(device);
        if (!info || info->vendor != vendor || !reported.insert(info->syspath).second) return;
        toGui([sink = sink, info = *info] {
            if (auto s = sink.lock()) s->matched(info);
        });
    }
    void removed(const std::string& syspath) {
        if (!reported.erase(syspath)) return;
        toGui([sink = sink, syspath] {
            if (auto s = sink.lock()) s->removed(syspath);
        });
    }
};

class LinuxHidWatch final : public HidWatch {
public:
    LinuxHidWatch(std::uint16_t vendor, HidManager::EventHandler onEvent, HidManager::EndHandler onEnd)
        : sink_(std::make_shared<WatchSink>()), io_(std::make_shared<IoWatch>()) {
        sink_->onEvent = std::move(onEvent);
        sink_->onEnd = std::move(onEnd);
        io_->vendor = vendor;
        io_->sink = sink_;
        HidThread::instance().post([io = io_] { io->start(); });
    }
    ~LinuxHidWatch() override {
        HidThread::instance().post([io = std::move(io_)]() mutable { io.reset(); });
    }

private:
    std::shared_ptr<WatchSink> sink_;
    std::shared_ptr<IoWatch> io_;
};

class LinuxHidManager final : public HidManager {
public:
    std::unique_ptr<HidWatch> watch(std::uint16_t vendorId, EventHandler onEvent, EndHandler onEnd) override {
        return std::make_unique<LinuxHidWatch>(vendorId, std::move(onEvent), std::move(onEnd));
    }
};

}  // namespace

namespace linux_hid {
std::shared_ptr<HidDevice> makeHidrawDevice(std::string devnode, std::uint16_t product, std::string name) {
    return std::make_shared<LinuxHidDevice>(std::move(devnode), product, std::move(name));
}
}  // namespace linux_hid

HidManager& HidManager::makeShared() { return processLifetimeInstance<LinuxHidManager>(); }

}  // namespace orbel::platform
