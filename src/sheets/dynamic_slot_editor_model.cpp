#include "sheets/dynamic_slot_editor_model.h"

#include <algorithm>

#include "sheets/sheet_rules.h"
#include "slots/dynamic_title_cache.h"

namespace orbel {

DynamicSlotEditorModel::DynamicSlotEditorModel(const std::optional<SlotConfig>& existing)
    : isNew_(!existing.has_value()) {
    const auto* dynamic = existing ? existing->type.get<SlotType::Dynamic>() : nullptr;
    if (!dynamic) {
        opened_ = draft();
        return;
    }
    title = existing->title;
    language = dynamic->config.producer.language;
    source = dynamic->config.producer.source;
    icon = existing->icon;
    clickAction_ = dynamic->config.clickAction;
    refresh_ = dynamic->config.refresh;
    if (showsIntervalRow()) {
        intervalSeconds_ = static_cast<int>(RefreshPolicy::clampSeconds(refresh_.seconds));
        refresh_.seconds = intervalSeconds_;
    }
    opened_ = draft();
}

DynamicSlotEditorModel::~DynamicSlotEditorModel() { endTestRun(); }

std::string DynamicSlotEditorModel::sheetTitle() const {
    return sheets::sheetTitle(isNew_, "New Dynamic Slot", "Edit Dynamic Slot");
}

std::string DynamicSlotEditorModel::producerHelp() {
    return "Script output's first non-empty line becomes the slot label (max " + std::to_string(kLabelLimit) +
           " chars).";
}

void DynamicSlotEditorModel::setRefreshPolicy(const RefreshPolicy& policy) {
    refresh_ = policy;
    if (policy.kind == RefreshPolicy::Kind::interval) {
        intervalSeconds_ = static_cast<int>(RefreshPolicy::clampSeconds(policy.seconds));
        refresh_.seconds = intervalSeconds_;
    }
}

void DynamicSlotEditorModel::setIntervalSeconds(int seconds) {
    intervalSeconds_ = static_cast<int>(RefreshPolicy::clampSeconds(seconds));
    refresh_ = RefreshPolicy::interval(intervalSeconds_);
}

std::string DynamicSlotEditorModel::intervalText() const { return std::to_string(intervalSeconds_) + " seconds"; }

bool DynamicSlotEditorModel::canTestRun() const {
    return !running_ && !sheets::isBlankPayload(source);
}

void DynamicSlotEditorModel::testRun(DynamicProducerRunner& runner, platform::Timers& timers,
                                     std::function<void()> changed) {
    if (!canTestRun()) return;
    beginTestRun();
    runner_ = &runner;
    timers_ = &timers;
    runToken_ = std::make_shared<int>(0);
    std::weak_ptr<int> token = runToken_;
    runId_ = runner.run(ScriptInvocation{language, source}, [this, token, changed](const ScriptResult& result) {
        if (token.expired()) return;  // ended, or the model is gone
        if (timeLimit_) timers_->cancel(*timeLimit_);
        timeLimit_.reset();
        runId_.reset();
        runToken_.reset();
        handleTestResult(result);
        if (changed) changed();
    });
    // At the limit the run is ended; its completion still reports it.
    timeLimit_ = timers.singleShot(DynamicTitleCache::kProducerTimeLimit, [this, token] {
        if (token.expired()) return;
        timeLimit_.reset();
        if (runId_) runner_->end(*runId_);
    });
}

void DynamicSlotEditorModel::endTestRun() {
    if (!running_) return;
    runToken_.reset();
    if (timeLimit_) timers_->cancel(*timeLimit_);
    timeLimit_.reset();
    if (runId_) runner_->end(*runId_);
    runId_.reset();
    running_ = false;
}

void DynamicSlotEditorModel::beginTestRun() {
    testOutput_.reset();
    testError_.reset();
    running_ = true;
}

void DynamicSlotEditorModel::handleTestResult(const ScriptResult& result) {
    running_ = false;
    if (const auto* out = result.output()) testOutput_ = DynamicTitleCache::labelFromOutput(*out);
    else if (const auto* error = result.error()) testError_ = error->description();
}

std::optional<std::string> DynamicSlotEditorModel::testStatusText() const {
    if (testOutput_) return testOutput_->empty() ? sheets::tr("(no output)") : "Label: \"" + *testOutput_ + "\"";
    return testError_;
}

std::optional<std::string> DynamicSlotEditorModel::saveProblem() const {
    const std::string name = sheets::trimmedName(title);
    if (name.empty()) return sheets::tr("Name the slot to save it.");
    if (sheets::isBlankPayload(source)) return sheets::tr("Write a producer script to save.");
    DynamicSlotConfig config{ScriptInvocation{language, source}, clickAction_, refresh_};
    return sheets::validationProblem(SlotConfig::make(SlotType::dynamic(std::move(config)), name, icon));
}

std::optional<std::string> DynamicSlotEditorModel::refusal() const {
    if (sheets::isBlankName(title) || sheets::isBlankPayload(source)) return std::nullopt;
    return saveProblem();
}

std::optional<SlotConfig> DynamicSlotEditorModel::build() const {
    if (!canSave()) return std::nullopt;
    DynamicSlotConfig config{ScriptInvocation{language, source}, clickAction_, refresh_};
    return SlotConfig::make(SlotType::dynamic(std::move(config)), sheets::trimmedName(title), icon);
}

}  // namespace orbel
