#pragma once

// Labels of dynamic slots. Runs each slot's producer script when the slot is
// registered, every time the dial is shown, on a repeating timer for slots
// with an interval policy, and on demand; turns the output into a short
// label and publishes it on the GUI thread. A failed run keeps the last
// good label and records the error.
//
// Registrations are counted per slot id: a level rebuilt while the old one
// is torn down registers the same ids again before unregistering them, and
// keeps its registrations. At most one producer run per slot is in flight;
// requests that come meanwhile are folded into one rerun after it. A run
// that ends after its slot was unregistered publishes nothing. A run still
// going after kProducerTimeLimit is ended and logged, and publishes nothing:
// the slot keeps its last label and the next refresh runs the producer again.
//
// Everything here lives on the GUI thread; calls from other threads are
// queued there.

#include <QObject>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "model/dynamic_slot_config.h"
#include "model/text.h"
#include "platform/clock.h"
#include "platform/shared_instance.h"
#include "platform/timers.h"
#include "slots/dynamic_producer_runner.h"
#include "slots/dynamic_title_state.h"

namespace orbel {

class DynamicTitleCache : public QObject, public platform::Shared<DynamicTitleCache> {
    Q_OBJECT

public:
    static constexpr std::chrono::seconds kProducerTimeLimit{30};

    // `timers` and `clock` must outlive the cache.
    DynamicTitleCache(std::unique_ptr<DynamicProducerRunner> runner, platform::Timers& timers,
                      platform::Clock& clock, QObject* parent = nullptr);
    ~DynamicTitleCache() override;

    // Per slot id: made by the first finished run, removed when the slot's
    // last registration ends. GUI thread only.
    std::optional<DynamicTitleState> state(const Uuid& id) const;
    // The slot's live title: its produced label, else `fallback`.
    std::string title(const Uuid& id, const std::string& fallback) const;

    // Adds one registration for the slot (its configured title is the
    // fallback for blank output), replaces the producer, policy and fallback
    // of the id, restarts its interval timer and runs the producer.
    void registerSlot(const Uuid& id, std::string fallback, DynamicSlotConfig config);
    // Ends one registration. The last one cancels the timer and removes the
    // slot's state.
    void unregister(const Uuid& id);
    // Reruns one slot's producer (a dynamic slot's "rerun producer" click).
    void refresh(const Uuid& id);
    // Reruns every registered producer, whatever its policy; the dial calls
    // this each time it is shown.
    void refreshMenuOpenSlots();

    // The label rule: the first line that is not blank once spaces and tabs
    // are trimmed; longer than 24 characters, its first 24 and "…".
    // Blank output gives the empty text.
    static std::string labelFromOutput(std::string_view output);

Q_SIGNALS:
    // A state was made, changed or removed.
    void statesChanged();

private:
    friend platform::Shared<DynamicTitleCache>;
    // The application's cache: the live producer runner, the shared timers and clock.
    static DynamicTitleCache& makeShared();

    struct Registration {
        std::string fallback;
        DynamicSlotConfig config;
        std::optional<platform::Timers::Id> timer;
        int count = 0;                     // live registrations of this id
        std::uint64_t epoch = 0;           // tells registrations of one id apart over time
        std::uint64_t producerVersion = 0; // bumped when the producer changes
        bool inFlight = false;
        bool rerunPending = false;
        std::uint64_t run = 0;  // the run in flight; 0 when none
        DynamicProducerRunner::RunId runId = 0;
        std::optional<platform::Timers::Id> timeLimit;
    };

    template <class F>
    bool queuedToOwner(F&& f);
    void run(const Uuid& id);
    void finished(const Uuid& id, std::uint64_t token, std::uint64_t version, const ScriptResult& result);
    void timeLimitReached(const Uuid& id, std::uint64_t token);
    // Clears the run in flight; true when one was.
    bool endRun(Registration& registration);
    void cancelTimer(Registration& registration);

    std::unique_ptr<DynamicProducerRunner> runner_;
    platform::Timers* timers_;
    platform::Clock* clock_;
    std::map<Uuid, Registration> registrations_;
    std::map<Uuid, DynamicTitleState> states_;
    std::uint64_t nextEpoch_ = 1;
    std::uint64_t nextRun_ = 1;
};

}  // namespace orbel
