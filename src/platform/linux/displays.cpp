#include "platform/displays.h"

#include <xcb/dpms.h>
#include <xcb/randr.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QMetaObject>
#include <QScreen>
#include <atomic>
#include <memory>

#include "platform/linux/backlight.h"
#include "platform/linux/display_sleep.h"
#include "platform/timers.h"
#include "platform/linux/x11_reply.h"
#include "platform/linux/x11_session.h"

namespace orbel::platform {
namespace {

using x11::Reply;

bool isBuiltInName(const std::string& name) {
    for (const char* prefix : {"eDP", "LVDS", "DSI"})
        if (name.rfind(prefix, 0) == 0) return true;
    return false;
}

constexpr int kDbusTimeoutMs = 10'000;

class LinuxDisplays final : public Displays {
public:
    std::vector<DisplayInfo> displays() const override {
        auto* x = x11::Session::shared();
        if (x && hasRandr(*x)) return randrDisplays(*x);
        std::vector<DisplayInfo> out;
        for (QScreen* s : QGuiApplication::screens()) {
            QRect g = s->geometry();
            std::string name = s->name().toStdString();
            out.push_back({name, g.x(), g.y(), g.width(), g.height(), isBuiltInName(name)});
        }
        return out;
    }

    std::optional<std::string> mainDisplay() const override {
        auto list = displays();
        if (list.empty()) return std::nullopt;
        auto* x = x11::Session::shared();
        if (x && hasRandr(*x)) {
            Reply<xcb_randr_get_output_primary_reply_t> primary(xcb_randr_get_output_primary_reply(
                x->connection(), xcb_randr_get_output_primary(x->connection(), x->root()), nullptr));
            if (primary && primary->output != XCB_NONE) {
                std::string name = outputName(*x, primary->output);
                for (const auto& d : list)
                    if (d.id == name) return name;
            }
        } else if (QScreen* s = QGuiApplication::primaryScreen()) {
            return s->name().toStdString();
        }
        // No primary output: the display at the origin, else the first.
        for (const auto& d : list)
            if (d.x == 0 && d.y == 0) return d.id;
        return list.front().id;
    }

    bool setMainDisplay(const std::string& id) override {
        auto* x = x11::Session::shared();
        if (!x || !hasRandr(*x)) return false;
        auto resources = screenResources(*x);
        if (!resources) return false;
        xcb_randr_output_t* outputs = xcb_randr_get_screen_resources_current_outputs(resources.get());
        int count = xcb_randr_get_screen_resources_current_outputs_length(resources.get());
        for (int i = 0; i < count; ++i) {
            if (outputName(*x, outputs[i]) != id) continue;
            xcb_void_cookie_t cookie = xcb_randr_set_output_primary_checked(x->connection(), x->root(), outputs[i]);
            Reply<xcb_generic_error_t> error(xcb_request_check(x->connection(), cookie));
            return !error;
        }
        return false;
    }

    bool hasBacklight() const override { return xdg::findBacklight().has_value(); }

    std::optional<double> brightness() const override {
        auto b = xdg::findBacklight();
        if (!b) return std::nullopt;
        return b->level();
    }

    void setBrightness(double level, Completion done) override {
        auto b = xdg::findBacklight();
        if (!b) return finish(std::move(done), false);
        send(*b, xdg::rawBrightness(level, b->maxBrightness), std::move(done));
    }

    void changeBrightness(double delta, Completion done) override {
        auto b = xdg::findBacklight();
        if (!b) return finish(std::move(done), false);
        send(*b, xdg::rawBrightness(b->level() + delta, b->maxBrightness), std::move(done));
    }

    bool sleepDisplays() override {
        auto* x = x11::Session::shared();
        if (!x) return false;
        if (!sleep_) sleep_ = std::make_unique<x11::DisplaySleep>(powerSaving(x->connection()), Timers::shared());
        return sleep_->sleep();
    }

private:
    static x11::PowerSaving powerSaving(xcb_connection_t* c) {
        auto info = [c] { return Reply<xcb_dpms_info_reply_t>(xcb_dpms_info_reply(c, xcb_dpms_info(c), nullptr)); };
        return {
            [c, info]() -> std::optional<bool> {
                const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_dpms_id);
                if (!ext || !ext->present) return std::nullopt;
                Reply<xcb_dpms_capable_reply_t> capable(xcb_dpms_capable_reply(c, xcb_dpms_capable(c), nullptr));
                auto state = info();
                if (!capable || !capable->capable || !state) return std::nullopt;
                return state->state != 0;
            },
            [c](bool on) {
                on ? xcb_dpms_enable(c) : xcb_dpms_disable(c);
                xcb_flush(c);
            },
            [c] {
                return !Reply<xcb_generic_error_t>(
                    xcb_request_check(c, xcb_dpms_force_level_checked(c, XCB_DPMS_DPMS_MODE_OFF)));
            },
            [info] {
                auto state = info();
                return state && state->power_level != XCB_DPMS_DPMS_MODE_ON;
            },
        };
    }

    static bool hasRandr(x11::Session& x) {
        const xcb_query_extension_reply_t* ext = xcb_get_extension_data(x.connection(), &xcb_randr_id);
        return ext && ext->present;
    }

    static Reply<xcb_randr_get_screen_resources_current_reply_t> screenResources(x11::Session& x) {
        return Reply<xcb_randr_get_screen_resources_current_reply_t>(xcb_randr_get_screen_resources_current_reply(
            x.connection(), xcb_randr_get_screen_resources_current(x.connection(), x.root()), nullptr));
    }

    static std::string outputName(x11::Session& x, xcb_randr_output_t output) {
        Reply<xcb_randr_get_output_info_reply_t> info(xcb_randr_get_output_info_reply(
            x.connection(), xcb_randr_get_output_info(x.connection(), output, XCB_CURRENT_TIME), nullptr));
        if (!info) return {};
        auto* name = reinterpret_cast<const char*>(xcb_randr_get_output_info_name(info.get()));
        return std::string(name, xcb_randr_get_output_info_name_length(info.get()));
    }

    static std::vector<DisplayInfo> randrDisplays(x11::Session& x) {
        std::vector<DisplayInfo> out;
        auto resources = screenResources(x);
        if (!resources) return out;
        xcb_connection_t* c = x.connection();
        xcb_randr_output_t* outputs = xcb_randr_get_screen_resources_current_outputs(resources.get());
        int count = xcb_randr_get_screen_resources_current_outputs_length(resources.get());
        for (int i = 0; i < count; ++i) {
            Reply<xcb_randr_get_output_info_reply_t> info(xcb_randr_get_output_info_reply(
                c, xcb_randr_get_output_info(c, outputs[i], resources->config_timestamp), nullptr));
            if (!info || info->connection != XCB_RANDR_CONNECTION_CONNECTED || info->crtc == XCB_NONE) continue;
            Reply<xcb_randr_get_crtc_info_reply_t> crtc(
                xcb_randr_get_crtc_info_reply(c, xcb_randr_get_crtc_info(c, info->crtc, resources->config_timestamp), nullptr));
            if (!crtc || crtc->width == 0 || crtc->height == 0) continue;
            auto* name = reinterpret_cast<const char*>(xcb_randr_get_output_info_name(info.get()));
            std::string id(name, xcb_randr_get_output_info_name_length(info.get()));
            out.push_back({id, crtc->x, crtc->y, crtc->width, crtc->height, isBuiltInName(id)});
        }
        return out;
    }

    void send(const xdg::Backlight& b, int raw, Completion done) {
        QDBusMessage msg = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1/session/auto"),
            QStringLiteral("org.freedesktop.login1.Session"), QStringLiteral("SetBrightness"));
        msg << QStringLiteral("backlight") << b.name << uint(raw);
        QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.isConnected()) return finish(std::move(done), false);
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(msg, kDbusTimeoutMs));
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                         [done = std::move(done)](QDBusPendingCallWatcher* w) {
                             bool ok = !w->isError();
                             w->deleteLater();
                             if (done) done(ok);
                         });
    }

    static void finish(Completion done, bool ok) {
        if (!done) return;
        QMetaObject::invokeMethod(qApp, [done = std::move(done), ok] { done(ok); }, Qt::QueuedConnection);
    }

    std::unique_ptr<x11::DisplaySleep> sleep_;
};

}  // namespace

Displays& Displays::makeShared() { return processLifetimeInstance<LinuxDisplays>(); }

}  // namespace orbel::platform
