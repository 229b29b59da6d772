#include "sheets/dynamic_slot_editor_model.h"

#include <algorithm>

#include "model/text.h"
#include "sheets/slot_edit_dispatch_model.h"
#include "slots/dynamic_title_cache.h"

namespace orbel {

DynamicSlotEditorModel::DynamicSlotEditorModel(const std::optional<SlotConfig>& existing)
    : isNew_(!existing.has_value()) {
    const auto* dynamic = existing ? existing->type.get<SlotType::Dynamic>() : nullptr;
    if (!dynamic) return;
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
}

std::string DynamicSlotEditorModel::sheetTitle() const {
    return isNew_ ? "New Dynamic Slot" : "Edit Dynamic Slot";
}

std::string DynamicSlotEditorModel::languageLabel(ScriptLanguage language) {
    switch (language) {
    case ScriptLanguage::appleScript: return "AppleScript";
    case ScriptLanguage::shell: return "Shell (zsh)";
    case ScriptLanguage::jxa: return "JavaScript (JXA)";
    }
    return {};
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
    return !running_ && !text::trimWhitespaceAndNewlines(source).empty();
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
    if (testOutput_) return testOutput_->empty() ? std::string("(no output)") : "Label: \"" + *testOutput_ + "\"";
    return testError_;
}

std::optional<std::string> DynamicSlotEditorModel::saveProblem() const {
    const std::string name = text::trimSpacesAndTabs(title);
    if (name.empty()) return std::string("Name the slot to save it.");
    if (text::trimWhitespaceAndNewlines(source).empty()) return std::string("Write a producer script to save.");
    DynamicSlotConfig config{ScriptInvocation{language, source}, clickAction_, refresh_};
    return validationProblem(SlotConfig::make(SlotType::dynamic(std::move(config)), name, icon));
}

std::optional<SlotConfig> DynamicSlotEditorModel::build() const {
    if (!canSave()) return std::nullopt;
    DynamicSlotConfig config{ScriptInvocation{language, source}, clickAction_, refresh_};
    return SlotConfig::make(SlotType::dynamic(std::move(config)), text::trimSpacesAndTabs(title), icon);
}

}  // namespace orbel
