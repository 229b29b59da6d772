#pragma once

// The dynamic slot sheet's state and rules: name, icon, language and
// producer, the refresh policy with its interval kept in step, the test
// run's status, and the slot built on Save.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "model/slot_config.h"
#include "platform/timers.h"
#include "slots/dynamic_producer_runner.h"
#include "slots/script_error.h"

namespace orbel {

class DynamicSlotEditorModel {
public:
    static constexpr int kDefaultInterval = 30;
    static constexpr int kIntervalStep = 5;
    static constexpr int kLabelLimit = 24;

    // Starts from `existing` when it is a dynamic slot, else from the
    // defaults (shell, refreshed when the dial opens, 30 seconds offered).
    explicit DynamicSlotEditorModel(const std::optional<SlotConfig>& existing = std::nullopt);
    ~DynamicSlotEditorModel();
    DynamicSlotEditorModel(const DynamicSlotEditorModel&) = delete;
    DynamicSlotEditorModel& operator=(const DynamicSlotEditorModel&) = delete;

    bool isNew() const { return isNew_; }
    std::string sheetTitle() const;  // "New Dynamic Slot" / "Edit Dynamic Slot"
    static std::string producerHelp();

    // The refresh policy and the offered interval follow each other:
    // choosing an interval offers its seconds, moving the stepper chooses
    // the interval, choosing "When dial opens" keeps the last number.
    const RefreshPolicy& refreshPolicy() const { return refresh_; }
    void setRefreshPolicy(const RefreshPolicy& policy);
    void chooseMenuOpen() { setRefreshPolicy(RefreshPolicy::menuOpen()); }
    void chooseInterval() { setRefreshPolicy(RefreshPolicy::interval(intervalSeconds_)); }
    int intervalSeconds() const { return intervalSeconds_; }
    void setIntervalSeconds(int seconds);  // clamped into 5...3600
    void stepInterval(int steps) { setIntervalSeconds(intervalSeconds_ + steps * kIntervalStep); }
    bool showsIntervalRow() const { return refresh_.kind == RefreshPolicy::Kind::interval; }
    std::string intervalText() const;  // "30 seconds"

    // Test Run: the producer runs through `runner`, off the interface
    // thread, and is ended after the dial's own time limit for producers;
    // `changed` is told when the outcome has arrived. Nothing happens while
    // a run is under way.
    bool canTestRun() const;
    void testRun(DynamicProducerRunner& runner, platform::Timers& timers, std::function<void()> changed);
    // Ends a run under way (the sheet closed): its outcome is dropped.
    void endTestRun();
    void beginTestRun();
    void handleTestResult(const ScriptResult& result);
    bool isRunning() const { return running_; }
    const std::optional<std::string>& testOutput() const { return testOutput_; }
    const std::optional<std::string>& testError() const { return testError_; }
    // `Label: "main"`, "(no output)", the error, or nothing before a run.
    std::optional<std::string> testStatusText() const;

    // Whether anything differs from what the sheet opened with.
    bool hasChanges() const { return draft() != opened_; }
    std::optional<std::string> saveProblem() const;
    bool canSave() const { return !saveProblem().has_value(); }
    // Why the configuration would refuse the slot although name and
    // producer are filled in (nothing while either is still blank).
    std::optional<std::string> refusal() const;
    // A new dynamic slot (fresh id, global scope): trimmed title, producer
    // as typed. A new slot reruns its producer when chosen; an edited one
    // keeps the click action it had.
    std::optional<SlotConfig> build() const;

    std::string title;
    ScriptLanguage language = ScriptLanguage::shell;
    std::string source;
    SlotIcon icon = SlotIcon::automatic();

private:
    using Draft = std::tuple<std::string, ScriptLanguage, std::string, SlotIcon, RefreshPolicy>;
    Draft draft() const { return {title, language, source, icon, refresh_}; }

    bool isNew_;
    DynamicClickAction clickAction_ = DynamicClickAction::rerunProducer();
    RefreshPolicy refresh_ = RefreshPolicy::menuOpen();
    int intervalSeconds_ = kDefaultInterval;
    bool running_ = false;
    DynamicProducerRunner* runner_ = nullptr;
    platform::Timers* timers_ = nullptr;
    std::optional<DynamicProducerRunner::RunId> runId_;
    std::optional<platform::Timers::Id> timeLimit_;
    // Dropped when a run ends, so that its late completion finds nothing.
    std::shared_ptr<int> runToken_;
    std::optional<std::string> testOutput_;
    std::optional<std::string> testError_;
    Draft opened_;
};

}  // namespace orbel
