#include "sheets/step_list_model.h"

#include <QString>
#include <cmath>
#include <cstdio>

#include "model/text.h"
#include "sheets/sheet_rules.h"

namespace orbel {

StepList::StepList(std::vector<MacroStep> steps) : steps_(std::move(steps)) {
    for (std::size_t i = 0; i < steps_.size(); ++i) keys_.push_back(nextKey_++);
}

std::optional<std::size_t> StepList::indexOf(Key key) const {
    for (std::size_t i = 0; i < keys_.size(); ++i)
        if (keys_[i] == key) return i;
    return std::nullopt;
}

void StepList::changed(Change change) {
    if (onChange) onChange(change);
}

void StepList::appendChord() {
    unrecorded_.insert(nextKey_);  // the key appendStep gives it
    appendStep(MacroStep::chord(KeyCombination{}));
}
void StepList::appendWait() { appendStep(MacroStep::wait(100)); }
void StepList::appendText() { appendStep(MacroStep::text("")); }
void StepList::appendClipboardPush() { appendStep(MacroStep::clipboardPush()); }
void StepList::appendClipboardPop() { appendStep(MacroStep::clipboardPop()); }
void StepList::appendWaitForWindow() { appendStep(MacroStep::waitForWindow("", std::nullopt, 5000)); }

void StepList::appendStep(MacroStep step) {
    steps_.push_back(std::move(step));
    keys_.push_back(nextKey_++);
    changed(Change::resized);
}

void StepList::appendRecordedSteps(const std::vector<MacroStep>& steps) {
    if (steps.empty()) return;
    for (const auto& step : steps) {
        steps_.push_back(step);
        keys_.push_back(nextKey_++);
    }
    changed(Change::resized);
}

bool StepList::replaceStep(Key key, MacroStep step) {
    const auto index = indexOf(key);
    return index && replaceStepAt(*index, std::move(step));
}

bool StepList::deleteStep(Key key) {
    const auto index = indexOf(key);
    return index && deleteStepAt(*index);
}

bool StepList::replaceStepAt(std::size_t index, MacroStep step) {
    if (index >= steps_.size()) return false;
    steps_[index] = std::move(step);
    unrecorded_.erase(keys_[index]);
    changed(Change::edited);
    return true;
}

bool StepList::deleteStepAt(std::size_t index) {
    if (index >= steps_.size()) return false;
    unrecorded_.erase(keys_[index]);
    steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(index));
    keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(index));
    changed(Change::resized);
    return true;
}

bool StepList::isUnrecordedChord(std::size_t index) const {
    return index < keys_.size() && unrecorded_.count(keys_[index]) != 0;
}

std::int64_t StepList::chordCount() const {
    std::int64_t n = 0;
    for (const auto& step : steps_) n += step.is<MacroStep::Chord>() ? 1 : 0;
    return n;
}

std::int64_t StepList::totalWaitMilliseconds() const {
    std::int64_t total = 0;
    for (const auto& step : steps_)
        if (const auto* wait = step.as<MacroStep::Wait>()) total += wait->milliseconds;
    return total;
}

std::string StepList::summaryText() const {
    const std::int64_t chords = chordCount();
    std::string text = chords == 1 ? std::string("1 chord") : std::to_string(chords) + " chords";
    if (const std::int64_t waits = totalWaitMilliseconds(); waits >= 1)
        text += " \u00B7 " + std::to_string(waits) + " ms of waits";
    return text;
}

bool StepList::hasActionStep() const {
    for (const auto& step : steps_)
        if (!step.is<MacroStep::Wait>() && !step.is<MacroStep::ClipboardPush>()) return true;
    return false;
}

std::optional<std::string> StepList::problem() const {
    for (std::size_t i = 0; i < steps_.size(); ++i) {
        const QString number = QString::number(i + 1);
        if (isUnrecordedChord(i))
            return QString::fromStdString(sheets::tr("Step %1 has no chord recorded.")).arg(number).toStdString();
        if (const auto* t = steps_[i].as<MacroStep::Text>(); t && t->text.empty())
            return QString::fromStdString(sheets::tr("Step %1 has no text to type.")).arg(number).toStdString();
        if (const auto* w = steps_[i].as<MacroStep::WaitForWindow>(); w && text::trimSpacesAndTabs(w->bundleId).empty())
            return QString::fromStdString(sheets::tr("Step %1 needs the bundle ID of the app to wait for."))
                .arg(number)
                .toStdString();
    }
    return std::nullopt;
}

namespace step_rows {

std::int64_t clampWait(std::int64_t milliseconds) {
    return text::clamp(milliseconds, MacroStep::kMinWaitMs, MacroStep::kMaxWaitMs);
}

std::string formatMilliseconds(std::int64_t milliseconds) {
    if (milliseconds < 1000) return std::to_string(milliseconds);
    const double seconds = static_cast<double>(milliseconds) / 1000.0;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, seconds != std::floor(seconds) ? "%.2fs" : "%.0fs", seconds);
    return buffer;
}

std::string presetTooltip(std::int64_t milliseconds) {
    return sheets::tr("Set wait to ") + formatMilliseconds(milliseconds);
}

std::optional<std::string> titleFilter(const std::string& draft) {
    if (text::trimSpacesAndTabs(draft).empty()) return std::nullopt;
    return draft;
}

std::string chordCapsuleText(const std::optional<KeyCombination>& combo, bool recording) {
    if (recording) return sheets::tr(combo ? "Press to replace…" : "Press a key…");
    return combo ? combo->displayString() : sheets::tr("Click to record");
}

std::optional<KeyCombination> recordedChord(std::uint16_t keyCode, std::uint32_t modifiers) {
    if (keyCode == kEscapeKeyCode) return std::nullopt;
    return KeyCombination{keyCode, modifiers, std::nullopt};
}

}  // namespace step_rows
}  // namespace orbel
