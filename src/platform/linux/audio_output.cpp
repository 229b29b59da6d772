#include "platform/audio_output.h"

#include <dlfcn.h>
#include <pulse/pulseaudio.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <list>
#include <utility>

namespace orbel::platform {
namespace {

// libpulse is opened the first time the sound server is needed, not when
// the program starts: most sessions never change the volume from the dial,
// and the library with the codecs it brings costs about 1.5 MB of memory
// from start-up on. The names below are this file's own pointers to its
// functions, so the calls read as plain libpulse calls.
#define ORBEL_PULSE_FUNCTIONS(X)                                                                                       \
    X(pa_context_connect) X(pa_context_disconnect) X(pa_context_get_server_info) X(pa_context_get_sink_info_list)      \
    X(pa_context_get_state) X(pa_context_new) X(pa_context_set_default_sink) X(pa_context_set_sink_mute_by_name)       \
    X(pa_context_set_sink_volume_by_name) X(pa_context_set_state_callback) X(pa_context_set_subscribe_callback)        \
    X(pa_context_subscribe) X(pa_context_unref) X(pa_cvolume_max) X(pa_cvolume_scale) X(pa_cvolume_set)               \
    X(pa_operation_unref) X(pa_threaded_mainloop_free) X(pa_threaded_mainloop_get_api) X(pa_threaded_mainloop_lock)   \
    X(pa_threaded_mainloop_new) X(pa_threaded_mainloop_start) X(pa_threaded_mainloop_stop)                           \
    X(pa_threaded_mainloop_unlock)
#define ORBEL_PULSE_POINTER(name) decltype(&::name) name = nullptr;
ORBEL_PULSE_FUNCTIONS(ORBEL_PULSE_POINTER)
#undef ORBEL_PULSE_POINTER

// True once every function above is found (the first call opens the library).
bool openPulse() {
    static const bool opened = [] {
        void* library = dlopen("libpulse.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library) return false;
        bool all = true;
#define ORBEL_PULSE_RESOLVE(name) all = (name = reinterpret_cast<decltype(name)>(dlsym(library, #name))) && all;
        ORBEL_PULSE_FUNCTIONS(ORBEL_PULSE_RESOLVE)
#undef ORBEL_PULSE_RESOLVE
        return all;
    }();
    return opened;
}
#undef ORBEL_PULSE_FUNCTIONS

double levelOf(const pa_cvolume& v) { return std::min(1.0, double(pa_cvolume_max(&v)) / PA_VOLUME_NORM); }

pa_volume_t rawLevel(double level) {
    if (!(level >= 0)) level = 0;  // also NaN
    if (level > 1) level = 1;
    return pa_volume_t(std::lround(level * PA_VOLUME_NORM));
}

// libpulse behind a threaded main loop. The loop thread keeps the model of
// the server (under the loop lock) and publishes snapshots to the GUI
// thread; the GUI thread takes the lock only to queue requests.
class PulseAudioOutput final : public AudioOutput {
public:
    PulseAudioOutput() {
        loop_ = pa_threaded_mainloop_new();
        pa_threaded_mainloop_lock(loop_);
        connectContext();
        pa_threaded_mainloop_unlock(loop_);
        if (pa_threaded_mainloop_start(loop_) < 0) {
            pa_context_unref(ctx_);
            ctx_ = nullptr;
        }
    }

    ~PulseAudioOutput() override {
        pa_threaded_mainloop_stop(loop_);
        if (ctx_) {
            pa_context_set_state_callback(ctx_, nullptr, nullptr);
            pa_context_set_subscribe_callback(ctx_, nullptr, nullptr);
            pa_context_disconnect(ctx_);
            pa_context_unref(ctx_);
        }
        pa_threaded_mainloop_free(loop_);
    }

    bool isAvailable() const override { return snap_.available; }
    std::vector<AudioSink> sinks() const override { return snap_.sinks; }
    std::optional<std::string> defaultSink() const override {
        if (snap_.defaultSink.empty()) return std::nullopt;
        return snap_.defaultSink;
    }
    double volume() const override { return snap_.volume; }
    bool isMuted() const override { return snap_.muted; }

    void whenReady(std::function<void()> task) override {
        if (settled_) {
            QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
            return;
        }
        if (waiting_.empty()) QTimer::singleShot(kReadyTimeLimitMs, this, [this] { settle(); });
        waiting_.push_back(std::move(task));
    }

    void setVolume(double level, Completion done) override {
        Locked lock(loop_);
        Sink* sink = defaultModelSink();
        if (!sink) return fail(std::move(done));
        setSinkVolume(*sink, rawLevel(level), std::move(done));
    }

    void changeVolume(double delta, Completion done) override {
        Locked lock(loop_);
        Sink* sink = defaultModelSink();
        if (!sink) return fail(std::move(done));
        const double current = double(pa_cvolume_max(&sink->volume)) / PA_VOLUME_NORM;
        if (delta > 0 && sink->muted) setSinkMute(*sink, false, {});
        if (delta > 0 && current >= 1) return succeed(std::move(done));  // already at or past full
        setSinkVolume(*sink, rawLevel(current + delta), std::move(done));
    }

    void setMuted(bool muted, Completion done) override {
        Locked lock(loop_);
        Sink* sink = defaultModelSink();
        if (!sink) return fail(std::move(done));
        setSinkMute(*sink, muted, std::move(done));
    }

    void toggleMute(Completion done) override {
        Locked lock(loop_);
        Sink* sink = defaultModelSink();
        if (!sink) return fail(std::move(done));
        setSinkMute(*sink, !sink->muted, std::move(done));
    }

    void setDefaultSink(const std::string& name, Completion done) override {
        Locked lock(loop_);
        if (!ready()) return fail(std::move(done));
        auto it = std::find_if(sinks_.begin(), sinks_.end(), [&](const Sink& s) { return s.name == name; });
        if (it == sinks_.end()) return fail(std::move(done));
        defaultSink_ = name;  // so that a following request already goes there
        track(pa_context_set_default_sink(ctx_, name.c_str(), &PulseAudioOutput::onSuccess, pend(std::move(done))));
    }

private:
    struct Sink {
        std::string name;
        std::string description;
        pa_cvolume volume{};
        bool muted = false;
    };
    struct Snapshot {
        bool available = false;
        std::vector<AudioSink> sinks;
        std::string defaultSink;
        double volume = 0;
        bool muted = false;
        bool operator==(const Snapshot&) const = default;
    };
    struct Pending {
        PulseAudioOutput* self;
        Completion done;
    };
    struct Locked {
        explicit Locked(pa_threaded_mainloop* l) : loop(l) { pa_threaded_mainloop_lock(loop); }
        ~Locked() { pa_threaded_mainloop_unlock(loop); }
        pa_threaded_mainloop* loop;
    };

    // --- loop thread (or GUI thread holding the lock) ---

    void connectContext() {
        ctx_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Orbel");
        pa_context_set_state_callback(ctx_, &PulseAudioOutput::onState, this);
        pa_context_set_subscribe_callback(ctx_, &PulseAudioOutput::onEvent, this);
        // NOFAIL: when no server runs yet, wait for one to appear.
        pa_context_connect(ctx_, nullptr, PA_CONTEXT_NOFAIL, nullptr);
    }

    bool ready() const { return ctx_ && pa_context_get_state(ctx_) == PA_CONTEXT_READY; }

    Sink* defaultModelSink() {
        if (!ready()) return nullptr;
        for (Sink& s : sinks_)
            if (s.name == defaultSink_) return &s;
        return nullptr;
    }

    void setSinkVolume(Sink& sink, pa_volume_t level, Completion done) {
        pa_cvolume v = sink.volume;
        if (v.channels == 0) pa_cvolume_set(&v, 2, level);
        pa_cvolume_scale(&v, level);
        sink.volume = v;  // later steps build on this before the server reports back
        track(pa_context_set_sink_volume_by_name(ctx_, sink.name.c_str(), &v, &PulseAudioOutput::onSuccess,
                                                 pend(std::move(done))));
    }

    void setSinkMute(Sink& sink, bool muted, Completion done) {
        sink.muted = muted;
        track(pa_context_set_sink_mute_by_name(ctx_, sink.name.c_str(), muted ? 1 : 0, &PulseAudioOutput::onSuccess,
                                               pend(std::move(done))));
    }

    Pending* pend(Completion done) {
        pending_.push_back({this, std::move(done)});
        return &pending_.back();
    }

    void track(pa_operation* op) {
        if (op) pa_operation_unref(op);
    }

    void finish(Pending* p, bool ok) {
        Completion done;
        for (auto it = pending_.begin(); it != pending_.end(); ++it)
            if (&*it == p) {
                done = std::move(it->done);
                pending_.erase(it);
                break;
            }
        if (done) QMetaObject::invokeMethod(this, [done = std::move(done), ok] { done(ok); }, Qt::QueuedConnection);
    }

    void fail(Completion done) {
        if (done) QMetaObject::invokeMethod(this, [done = std::move(done)] { done(false); }, Qt::QueuedConnection);
    }
    void succeed(Completion done) {
        if (done) QMetaObject::invokeMethod(this, [done = std::move(done)] { done(true); }, Qt::QueuedConnection);
    }

    // Re-reads the server info and the sink list; requests arriving while a
    // refresh runs coalesce into one more.
    void refresh() {
        if (!ready()) return;
        if (refreshing_ > 0) {
            refreshAgain_ = true;
            return;
        }
        refreshing_ = 2;
        incoming_.clear();
        track(pa_context_get_server_info(ctx_, &PulseAudioOutput::onServerInfo, this));
        track(pa_context_get_sink_info_list(ctx_, &PulseAudioOutput::onSinkInfo, this));
    }

    void refreshStepDone() {
        if (--refreshing_ > 0) return;
        publish();
        if (refreshAgain_) {
            refreshAgain_ = false;
            refresh();
        }
    }

    void publish() {
        Snapshot s;
        s.available = ready();
        if (s.available) {
            for (const Sink& sink : sinks_) s.sinks.push_back({sink.name, sink.description});
            s.defaultSink = defaultSink_;
            if (Sink* d = defaultModelSink()) {
                s.volume = levelOf(d->volume);
                s.muted = d->muted;
            }
        }
        QMetaObject::invokeMethod(
            this,
            [this, s = std::move(s)] {
                if (s != snap_) {
                    snap_ = s;
                    Q_EMIT changed();
                }
                settle();  // the server answered (or went away)
            },
            Qt::QueuedConnection);
    }

    static void onState(pa_context* c, void* userdata) {
        auto* self = static_cast<PulseAudioOutput*>(userdata);
        switch (pa_context_get_state(c)) {
        case PA_CONTEXT_READY:
            self->track(pa_context_subscribe(c, pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER),
                                             nullptr, nullptr));
            self->refreshing_ = 0;
            self->refreshAgain_ = false;
            self->refresh();
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            self->sinks_.clear();
            self->defaultSink_.clear();
            self->refreshing_ = 0;
            // Requests of a failed context are dropped without their callbacks.
            for (Pending& p : self->pending_)
                if (p.done) self->fail(std::move(p.done));
            self->pending_.clear();
            self->publish();
            // The server went away: try again with a new context shortly.
            QMetaObject::invokeMethod(
                self, [self] { QTimer::singleShot(2000, self, [self] { self->reconnect(); }); }, Qt::QueuedConnection);
            break;
        default:
            break;
        }
    }

    void reconnect() {
        Locked lock(loop_);
        if (!ctx_) return;
        pa_context_state_t state = pa_context_get_state(ctx_);
        if (state != PA_CONTEXT_FAILED && state != PA_CONTEXT_TERMINATED) return;
        pa_context_set_state_callback(ctx_, nullptr, nullptr);
        pa_context_set_subscribe_callback(ctx_, nullptr, nullptr);
        pa_context_unref(ctx_);
        connectContext();
    }

    static void onEvent(pa_context*, pa_subscription_event_type_t, uint32_t, void* userdata) {
        static_cast<PulseAudioOutput*>(userdata)->refresh();
    }

    static void onServerInfo(pa_context*, const pa_server_info* info, void* userdata) {
        auto* self = static_cast<PulseAudioOutput*>(userdata);
        self->defaultSink_ = (info && info->default_sink_name) ? info->default_sink_name : "";
        self->refreshStepDone();
    }

    static void onSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* userdata) {
        auto* self = static_cast<PulseAudioOutput*>(userdata);
        if (eol == 0 && info) {
            self->incoming_.push_back(
                {info->name ? info->name : "", info->description ? info->description : "", info->volume, info->mute != 0});
            return;
        }
        if (eol > 0) self->sinks_ = std::move(self->incoming_);  // a failed listing keeps the old model
        self->incoming_.clear();
        self->refreshStepDone();
    }

    static void onSuccess(pa_context*, int success, void* userdata) {
        auto* p = static_cast<Pending*>(userdata);
        p->self->finish(p, success != 0);
    }

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* ctx_ = nullptr;
    // Loop-thread model, under the loop lock.
    std::vector<Sink> sinks_;
    std::vector<Sink> incoming_;
    std::string defaultSink_;
    int refreshing_ = 0;
    bool refreshAgain_ = false;
    std::list<Pending> pending_;
    // GUI-thread state.
    Snapshot snap_;
    bool settled_ = false;  // the first state arrived, or the wait for it ended
    std::vector<std::function<void()>> waiting_;

    void settle() {
        settled_ = true;
        for (auto& task : std::exchange(waiting_, {})) task();
    }
};

// Without libpulse on the system: no server, and every operation fails.
class NoAudioOutput final : public AudioOutput {
public:
    void whenReady(std::function<void()> task) override {
        QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
    }
    bool isAvailable() const override { return false; }
    std::vector<AudioSink> sinks() const override { return {}; }
    std::optional<std::string> defaultSink() const override { return std::nullopt; }
    double volume() const override { return 0; }
    bool isMuted() const override { return false; }
    void setVolume(double, Completion done) override { fail(std::move(done)); }
    void changeVolume(double, Completion done) override { fail(std::move(done)); }
    void setMuted(bool, Completion done) override { fail(std::move(done)); }
    void toggleMute(Completion done) override { fail(std::move(done)); }
    void setDefaultSink(const std::string&, Completion done) override { fail(std::move(done)); }

private:
    void fail(Completion done) {
        if (done) QMetaObject::invokeMethod(this, [done = std::move(done)] { done(false); }, Qt::QueuedConnection);
    }
};

}  // namespace

AudioOutput& AudioOutput::makeShared() {
    if (!openPulse()) return processLifetimeInstance<NoAudioOutput>();
    return processLifetimeInstance<PulseAudioOutput>();
}

}  // namespace orbel::platform
