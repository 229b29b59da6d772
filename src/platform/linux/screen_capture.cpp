#include "platform/screen_capture.h"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QTimer>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/linux/x11_session.h"
#include "platform/screen_scaling.h"

namespace orbel::platform {
namespace {

using x11::Reply;

// With a compositor the screen shows a window change only after its next
// repaint; this is comfortably more than one frame.
constexpr int kCompositorRepaintMs = 50;

class X11ScreenCapture final : public ScreenCapture {
public:
    QImage capture(const QRect& area, double dpr) override {
        x11::Session* x = x11::Session::shared();
        if (!x || area.isEmpty()) return {};
        // Through the area's own screen: its origin is in device pixels.
        QRect wanted = toDevicePixels(area, currentScreenScales());
        wanted.setSize(QSize(qRound(area.width() * dpr), qRound(area.height() * dpr)));
        const QRect readable = wanted.intersected(screenFacts(*x).root);
        if (readable.isEmpty()) return {};
        // The whole area on screen: the picture is the shared memory the
        // server wrote it into, with nothing copied or newly allocated.
        if (readable == wanted) {
            QImage image = readShared(*x, readable);
            if (!image.isNull()) {
                image.setDevicePixelRatio(dpr);
                return image;
            }
        }
        QImage image(wanted.size(), QImage::Format_RGB32);
        // Off-screen parts are black; the read overwrites the rest (filling
        // all of it first costs a pass over the whole picture while the dial opens).
        if (readable != wanted) image.fill(Qt::black);
        image.setDevicePixelRatio(dpr);
        if (!readInto(*x, readable, image, readable.topLeft() - wanted.topLeft())) return {};
        return image;
    }

    bool compositorRunning() override {
        x11::Session* x = x11::Session::shared();
        return x && screenFacts(*x).compositor;
    }

    void afterScreenSettles(std::function<void()> done) override {
        // Qt's own connection carries our windows' requests: wait until the
        // server has handled them.
        if (auto* qx = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
            if (xcb_connection_t* c = qx->connection()) {
                Reply<xcb_get_input_focus_reply_t>(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
            }
        }
        QTimer::singleShot(compositorRunning() ? kCompositorRepaintMs : 0, qGuiApp, std::move(done));
    }

private:
    // The root window's size and whether a compositor runs, as the server
    // said in answer to the questions asked at the previous call: the
    // answers wait in the connection by the time the dial opens again, so
    // the opening costs no round trip for them. The first call waits.
    struct Facts {
        QRect root;
        bool compositor = false;
    };
    Facts screenFacts(x11::Session& x) {
        std::lock_guard lock(mutex_);
        xcb_connection_t* c = x.connection();
        if (!asked_) ask(x);
        Facts facts;
        Reply<xcb_get_geometry_reply_t> root(xcb_get_geometry_reply(c, geometryAsked_, nullptr));
        if (root) facts.root = QRect(0, 0, root->width, root->height);
        if (ownerAsked_) {
            Reply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(c, *ownerAsked_, nullptr));
            facts.compositor = owner && owner->owner != XCB_WINDOW_NONE;
        }
        ask(x);
        return facts;
    }
    void ask(x11::Session& x) {
        xcb_connection_t* c = x.connection();
        if (selection_ == XCB_ATOM_NONE) selection_ = x.atom(("_NET_WM_CM_S" + std::to_string(screenNumber(x))).c_str());
        geometryAsked_ = xcb_get_geometry(c, x.root());
        ownerAsked_.reset();
        if (selection_ != XCB_ATOM_NONE) ownerAsked_ = xcb_get_selection_owner(c, selection_);
        xcb_flush(c);
        asked_ = true;
    }

    static int screenNumber(x11::Session& x) {
        const xcb_setup_t* setup = xcb_get_setup(x.connection());
        int n = 0;
        for (auto it = xcb_setup_roots_iterator(setup); it.rem; xcb_screen_next(&it), ++n)
            if (it.data->root == x.root()) return n;
        return 0;
    }

    // A shared memory segment attached on both sides. A picture handed out
    // over it keeps it (through the picture's clean-up) until the picture
    // goes, and the server writes into it only while no picture uses it.
    struct Segment {
        std::uint8_t* data = nullptr;
        std::size_t size = 0;
        xcb_shm_seg_t id = 0;
        std::atomic<int> pictures{0};
        ~Segment() { shmdt(data); }
    };
    using SegmentRef = std::shared_ptr<Segment>;

    // The root window's pixels of `rect` as a picture over the segment; null
    // when shared memory cannot be used.
    QImage readShared(x11::Session& x, const QRect& rect) {
        std::lock_guard lock(mutex_);
        if (!readSegment(x, rect)) return {};
        const std::size_t bytes = std::size_t(rect.width()) * rect.height() * 4;
        auto* pixels = reinterpret_cast<std::uint32_t*>(segment_->data);
        for (std::size_t i = 0, n = bytes / 4; i < n; ++i) pixels[i] |= 0xff000000u;  // the padding byte is opaque
        segment_->pictures.fetch_add(1);
        auto* keep = new SegmentRef(segment_);
        // Read-only: a change to the picture makes a copy of it.
        return QImage(
            static_cast<const uchar*>(segment_->data), rect.width(), rect.height(), rect.width() * 4, QImage::Format_RGB32,
            [](void* info) {
                auto* ref = static_cast<SegmentRef*>(info);
                (*ref)->pictures.fetch_sub(1);
                delete ref;
            },
            keep);
    }

    // Copies the root window's pixels of `rect` into `image` at `at`; 24- and
    // 32-bit visuals only. Shared memory first, a plain request otherwise.
    bool readInto(x11::Session& x, const QRect& rect, QImage& image, QPoint at) {
        std::lock_guard lock(mutex_);
        xcb_connection_t* c = x.connection();
        const std::size_t bytes = std::size_t(rect.width()) * rect.height() * 4;
        const std::uint8_t* data = nullptr;
        Reply<xcb_get_image_reply_t> plainReply;
        if (readSegment(x, rect)) {
            data = segment_->data;
        } else {
            plainReply.reset(xcb_get_image_reply(c,
                                                 xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, x.root(), rect.x(),
                                                               rect.y(), rect.width(), rect.height(), ~0u),
                                                 nullptr));
            if (!plainReply || (plainReply->depth != 24 && plainReply->depth != 32) ||
                std::size_t(xcb_get_image_data_length(plainReply.get())) < bytes)
                return false;
            data = xcb_get_image_data(plainReply.get());
        }
        for (int row = 0; row < rect.height(); ++row) {
            auto* line = reinterpret_cast<std::uint32_t*>(image.scanLine(at.y() + row)) + at.x();
            const auto* src = reinterpret_cast<const std::uint32_t*>(data) + std::size_t(row) * rect.width();
            for (int col = 0; col < rect.width(); ++col) line[col] = src[col] | 0xff000000u;
        }
        return true;
    }

    // Has the server write the root window's pixels of `rect` into a
    // segment no picture uses; false when shared memory cannot be used.
    bool readSegment(x11::Session& x, const QRect& rect) {
        xcb_connection_t* c = x.connection();
        if (!segmentFor(c, std::size_t(rect.width()) * rect.height() * 4)) return false;
        Reply<xcb_shm_get_image_reply_t> reply(xcb_shm_get_image_reply(
            c,
            xcb_shm_get_image(c, x.root(), rect.x(), rect.y(), rect.width(), rect.height(), ~0u,
                              XCB_IMAGE_FORMAT_Z_PIXMAP, segment_->id, 0),
            nullptr));
        return reply && (reply->depth == 24 || reply->depth == 32);
    }

    // Makes segment_ a segment of at least `bytes` that no picture uses (a
    // new one when the current one is too small or in use).
    bool segmentFor(xcb_connection_t* c, std::size_t bytes) {
        if (shmFailed_) return false;
        if (segment_ && bytes <= segment_->size && segment_->pictures.load() == 0) return true;
        if (segment_) {
            xcb_shm_detach(c, segment_->id);  // the server's side; ours goes with the last picture
            segment_.reset();
        }
        // A request of an extension the server lacks makes libxcb close the
        // connection, which every other service shares: ask first.
        const auto* extension = xcb_get_extension_data(c, &xcb_shm_id);
        if (!extension || !extension->present) {
            shmFailed_ = true;
            return false;
        }
        Reply<xcb_shm_query_version_reply_t> version(xcb_shm_query_version_reply(c, xcb_shm_query_version(c), nullptr));
        const std::size_t size = std::max<std::size_t>(bytes, 1024 * 1024);
        const int id = version ? shmget(IPC_PRIVATE, size, IPC_CREAT | 0600) : -1;
        if (id < 0) {
            shmFailed_ = true;
            return false;
        }
        void* mem = shmat(id, nullptr, 0);
        const xcb_shm_seg_t seg = xcb_generate_id(c);
        Reply<xcb_generic_error_t> error(xcb_request_check(c, xcb_shm_attach_checked(c, seg, id, 0)));
        shmctl(id, IPC_RMID, nullptr);  // freed once both sides let go
        if (mem == reinterpret_cast<void*>(-1) || error) {
            if (mem != reinterpret_cast<void*>(-1)) shmdt(mem);
            shmFailed_ = true;  // e.g. a server on another machine
            return false;
        }
        segment_ = std::make_shared<Segment>();
        segment_->data = static_cast<std::uint8_t*>(mem);
        segment_->size = size;
        segment_->id = seg;
        return true;
    }

    std::mutex mutex_;
    bool asked_ = false;
    xcb_get_geometry_cookie_t geometryAsked_{};
    std::optional<xcb_get_selection_owner_cookie_t> ownerAsked_;
    xcb_atom_t selection_ = XCB_ATOM_NONE;
    bool shmFailed_ = false;
    SegmentRef segment_;
};

// Without an X server (the offscreen platform, tests): nothing to read,
// translucent windows are blended by the platform itself, and the screen
// settles at the next turn of the event loop.
class NoScreenCapture final : public ScreenCapture {
public:
    QImage capture(const QRect&, double) override { return {}; }
    bool compositorRunning() override { return true; }
    void afterScreenSettles(std::function<void()> done) override { QTimer::singleShot(0, qGuiApp, std::move(done)); }
};

}  // namespace

ScreenCapture& ScreenCapture::makeShared() {
    if (qGuiApp && qGuiApp->platformName() != QLatin1String("xcb")) return processLifetimeInstance<NoScreenCapture>();
    return processLifetimeInstance<X11ScreenCapture>();
}

}  // namespace orbel::platform
