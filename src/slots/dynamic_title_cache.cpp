#include "slots/dynamic_title_cache.h"

#include <atomic>

#include <QLoggingCategory>
#include <QPointer>
#include <QThread>
#include <algorithm>
#include <chrono>

Q_LOGGING_CATEGORY(lcDynamic, "orbel.dynamic", QtInfoMsg)

namespace orbel {

namespace {

constexpr std::int64_t kMaxIntervalSeconds = 24 * 3600;  // well inside a timer's range

// Length of the newline at s[i] (LF, VT, FF, CR, NEL, LINE and PARAGRAPH
// SEPARATOR), or 0.
std::size_t newlineAt(std::string_view s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0x0A && c <= 0x0D) return 1;
    if (c == 0xC2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) == 0x85) return 2;
    if (c == 0xE2 && i + 2 < s.size() && static_cast<unsigned char>(s[i + 1]) == 0x80) {
        const auto d = static_cast<unsigned char>(s[i + 2]);
        if (d == 0xA8 || d == 0xA9) return 3;
    }
    return 0;
}

}  // namespace

DynamicTitleCache::DynamicTitleCache(std::unique_ptr<DynamicProducerRunner> runner, platform::Timers& timers,
                                     platform::Clock& clock, QObject* parent)
    : QObject(parent), runner_(std::move(runner)), timers_(&timers), clock_(&clock) {}

DynamicTitleCache::~DynamicTitleCache() {
    for (auto& [id, registration] : registrations_) {
        cancelTimer(registration);
        endRun(registration);
    }
}

DynamicTitleCache& DynamicTitleCache::makeShared() {
    // Lives as long as the process: its timers must not outlast the event loop's objects.
    return platform::processLifetimeInstance<DynamicTitleCache>(std::make_unique<LiveProducerRunner>(),
                                                                platform::Timers::shared(), platform::Clock::shared());
}

template <class F>
bool DynamicTitleCache::queuedToOwner(F&& f) {
    if (QThread::currentThread() == thread()) return false;
    QMetaObject::invokeMethod(this, std::forward<F>(f), Qt::QueuedConnection);
    return true;
}

std::optional<DynamicTitleState> DynamicTitleCache::state(const Uuid& id) const {
    auto it = states_.find(id);
    if (it == states_.end()) return std::nullopt;
    return it->second;
}

std::string DynamicTitleCache::title(const Uuid& id, const std::string& fallback) const {
    auto it = states_.find(id);
    if (it == states_.end() || !it->second.title) return fallback;
    return *it->second.title;
}

void DynamicTitleCache::registerSlot(const Uuid& id, std::string fallback, DynamicSlotConfig config) {
    if (queuedToOwner([this, id, fallback, config] { registerSlot(id, fallback, config); })) return;

    auto [it, inserted] = registrations_.try_emplace(id);
    Registration& registration = it->second;
    if (inserted) {
        registration.epoch = nextEpoch_++;
    } else if (registration.config.producer != config.producer) {
        // A run of the old producer still in flight publishes nothing; the
        // run requested below follows it.
        ++registration.producerVersion;
    }
    ++registration.count;
    registration.fallback = std::move(fallback);
    registration.config = std::move(config);

    cancelTimer(registration);
    if (registration.config.refresh.kind == RefreshPolicy::Kind::interval) {
        const std::int64_t seconds = std::clamp<std::int64_t>(registration.config.refresh.seconds, 1, kMaxIntervalSeconds);
        registration.timer = timers_->repeating(std::chrono::seconds(seconds), [this, id] { run(id); });
    }
    run(id);
}

void DynamicTitleCache::unregister(const Uuid& id) {
    if (queuedToOwner([this, id] { unregister(id); })) return;

    auto it = registrations_.find(id);
    if (it == registrations_.end()) return;
    if (--it->second.count > 0) return;
    cancelTimer(it->second);
    endRun(it->second);  // a run in flight publishes nothing
    registrations_.erase(it);
    if (states_.erase(id) != 0) Q_EMIT statesChanged();
}

void DynamicTitleCache::refresh(const Uuid& id) {
    if (queuedToOwner([this, id] { refresh(id); })) return;
    run(id);
}

void DynamicTitleCache::refreshMenuOpenSlots() {
    if (queuedToOwner([this] { refreshMenuOpenSlots(); })) return;
    std::vector<Uuid> ids;
    ids.reserve(registrations_.size());
    for (const auto& [id, registration] : registrations_) ids.push_back(id);
    for (const Uuid& id : ids) run(id);
}

void DynamicTitleCache::run(const Uuid& id) {
    auto it = registrations_.find(id);
    if (it == registrations_.end()) return;
    Registration& registration = it->second;
    if (registration.inFlight) {
        registration.rerunPending = true;
        return;
    }
    registration.inFlight = true;
    const std::uint64_t run = nextRun_++;
    registration.run = run;
    const ScriptInvocation producer = registration.config.producer;
    QPointer<DynamicTitleCache> self(this);
    const DynamicProducerRunner::RunId runId = runner_->run(
        producer, [self, id, run, version = registration.producerVersion](const ScriptResult& result) {
            if (self) self->finished(id, run, version, result);
        });
    // The completion never comes inside run(), so the registration is still there.
    Registration& running = registrations_.at(id);
    running.runId = runId;
    running.timeLimit = timers_->singleShot(kProducerTimeLimit, [this, id, run] { timeLimitReached(id, run); });
}

bool DynamicTitleCache::endRun(Registration& registration) {
    if (!registration.inFlight) return false;
    registration.inFlight = false;
    registration.run = 0;
    if (registration.timeLimit) timers_->cancel(*registration.timeLimit);
    registration.timeLimit.reset();
    return true;
}

void DynamicTitleCache::timeLimitReached(const Uuid& id, std::uint64_t token) {
    auto it = registrations_.find(id);
    if (it == registrations_.end() || it->second.run != token) return;
    Registration& registration = it->second;
    registration.timeLimit.reset();  // fired
    qCWarning(lcDynamic).noquote() << "[Dynamic] the producer of" << QString::fromStdString(id.toString())
                                   << "ran for more than" << kProducerTimeLimit.count() << "s and was ended";
    runner_->end(registration.runId);
    endRun(registration);
    if (registration.rerunPending) {
        registration.rerunPending = false;
        run(id);
    }
}

void DynamicTitleCache::finished(const Uuid& id, std::uint64_t token, std::uint64_t version,
                                 const ScriptResult& result) {
    auto it = registrations_.find(id);
    // The slot was unregistered (and maybe registered anew) meanwhile, or the
    // run was ended at its time limit.
    if (it == registrations_.end() || it->second.run != token) return;
    const std::uint64_t epoch = it->second.epoch;
    Registration& registration = it->second;
    endRun(registration);

    if (version == registration.producerVersion) {
        if (const std::string* output = result.output()) {
            std::string label = labelFromOutput(*output);
            if (label.empty()) label = registration.fallback;
            states_[id] = DynamicTitleState{std::move(label), std::nullopt, clock_->secondsSince1970()};
        } else {
            states_[id].lastError = *result.error();
        }
        Q_EMIT statesChanged();
    }

    // Look again: an observer of statesChanged may have unregistered it.
    it = registrations_.find(id);
    if (it == registrations_.end() || it->second.epoch != epoch) return;
    if (it->second.rerunPending) {
        it->second.rerunPending = false;
        run(id);
    }
}

void DynamicTitleCache::cancelTimer(Registration& registration) {
    if (!registration.timer) return;
    timers_->cancel(*registration.timer);
    registration.timer.reset();
}

std::string DynamicTitleCache::labelFromOutput(std::string_view output) {
    std::size_t start = 0;
    for (std::size_t i = 0; i <= output.size();) {
        const std::size_t newline = i < output.size() ? newlineAt(output, i) : 1;
        if (newline == 0) {
            ++i;
            continue;
        }
        const std::string line = text::trimSpacesAndTabs(output.substr(start, i - start));
        if (!line.empty()) {
            if (text::graphemeCount(line) < 25) return line;
            return text::graphemePrefix(line, 24) + "\u2026";
        }
        i += newline;
        start = i;
    }
    return {};
}

}  // namespace orbel
