#pragma once

// The script sheet's state and rules: name, icon, language and source; the
// sample swap that lets an untouched sample follow the language; the
// can-save rule; and test runs through the script runner, whose outcome is
// dropped (and whose process is ended) once the sheet lets go of the model.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "model/slot_config.h"
#include "platform/process_runner.h"
#include "slots/script_error.h"

namespace orbel {

class ScriptSlotEditorModel {
public:
    // Starts from `existing` when it is a script slot, else from the defaults
    // of a new one (no name, the shell and its sample, the automatic icon).
    explicit ScriptSlotEditorModel(const std::optional<SlotConfig>& existing = std::nullopt);
    ~ScriptSlotEditorModel();
    ScriptSlotEditorModel(const ScriptSlotEditorModel&) = delete;
    ScriptSlotEditorModel& operator=(const ScriptSlotEditorModel&) = delete;

    bool isNew() const { return isNew_; }
    std::string sheetTitle() const;  // "New Script" / "Edit Script"

    static const std::string& sampleSource(ScriptLanguage language);
    static std::string languageLabel(ScriptLanguage language);

    ScriptLanguage language() const { return language_; }
    // Picks the language; a source that is still one of the samples becomes
    // the new language's sample.
    void setLanguage(ScriptLanguage language);

    // Whether anything differs from what the sheet opened with.
    bool hasChanges() const { return draft() != opened_; }
    bool canSave() const;
    bool canTestRun() const;
    // A new script slot (fresh id, global scope) with the trimmed title and
    // the source as typed; none when it cannot be saved.
    std::optional<SlotConfig> build() const;

    // ---- Test runs.
    bool isRunning() const { return isRunning_; }
    const std::optional<std::string>& testOutput() const { return testOutput_; }
    const std::optional<std::string>& testError() const { return testError_; }
    // Starts a run of the current language and source; `changed` is told
    // when its outcome has arrived. Does nothing while a run is under way.
    void testRun(std::function<void()> changed);
    // Ends a run under way: its process is ended and its outcome dropped.
    void endTestRun();
    // A run's outcome (what the runner's completion delivers).
    void handleTestResult(const ScriptResult& result);

    struct ResultLine {
        enum class Kind { none, success, failure };
        Kind kind = Kind::none;
        std::string text;  // output trimmed ("(no output)" when blank) or the error
    };
    ResultLine resultLine() const;

    std::string title;
    std::string source;
    SlotIcon icon = SlotIcon::automatic();

private:
    using Draft = std::tuple<std::string, std::string, SlotIcon, ScriptLanguage>;
    Draft draft() const { return {title, source, icon, language_}; }

    bool isNew_;
    ScriptLanguage language_ = ScriptLanguage::shell;
    Draft opened_;
    bool isRunning_ = false;
    ScriptLanguage runLanguage_ = ScriptLanguage::shell;
    std::optional<std::string> testOutput_;
    std::optional<std::string> testError_;
    std::optional<platform::ProcessRunner::Id> runId_;
    // Dropped when a run is ended, so its late completion finds nothing.
    std::shared_ptr<int> runToken_;
};

}  // namespace orbel
