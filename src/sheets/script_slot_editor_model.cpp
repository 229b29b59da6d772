#include "sheets/script_slot_editor_model.h"

#include <QString>

#include "model/text.h"
#include "sheets/sheet_rules.h"
#include "slots/script_runner.h"

namespace orbel {

ScriptSlotEditorModel::ScriptSlotEditorModel(const std::optional<SlotConfig>& existing) : isNew_(!existing) {
    const auto* script = existing ? existing->type.get<SlotType::Script>() : nullptr;
    if (script) {
        title = existing->title;
        language_ = script->invocation.language;
        source = script->invocation.source;
        icon = existing->icon;
    } else {
        source = sampleSource(ScriptLanguage::shell);
    }
    opened_ = draft();
}

ScriptSlotEditorModel::~ScriptSlotEditorModel() { endTestRun(); }

std::string ScriptSlotEditorModel::sheetTitle() const {
    return sheets::sheetTitle(isNew_, "New Script", "Edit Script");
}

const std::string& ScriptSlotEditorModel::sampleSource(ScriptLanguage language) {
    static const std::string appleScript = "display notification \"Hello from Orbel\"";
    static const std::string shell = "echo \"hello from orbel\"";
    static const std::string jxa =
        "const app = Application.currentApplication();\n"
        "app.includeStandardAdditions = true;\n"
        "app.displayNotification('Hello from Orbel');";
    switch (language) {
    case ScriptLanguage::appleScript: return appleScript;
    case ScriptLanguage::jxa: return jxa;
    case ScriptLanguage::shell: break;
    }
    return shell;
}

std::string ScriptSlotEditorModel::languageLabel(ScriptLanguage language) {
    switch (language) {
    case ScriptLanguage::appleScript: return sheets::tr("AppleScript");
    case ScriptLanguage::jxa: return sheets::tr("JavaScript (JXA)");
    case ScriptLanguage::shell: break;
    }
    return sheets::tr("Shell (zsh)");
}

void ScriptSlotEditorModel::setLanguage(ScriptLanguage language) {
    if (language == language_) return;
    language_ = language;
    for (ScriptLanguage sample : allScriptLanguages()) {
        if (source == sampleSource(sample)) {
            source = sampleSource(language);
            break;
        }
    }
}

bool ScriptSlotEditorModel::canSave() const { return build().has_value(); }

bool ScriptSlotEditorModel::canTestRun() const { return !isRunning_ && !sheets::isBlankPayload(source); }

std::optional<SlotConfig> ScriptSlotEditorModel::build() const {
    if (sheets::isBlankName(title) || sheets::isBlankPayload(source)) return std::nullopt;
    SlotConfig slot = SlotConfig::make(SlotType::script(ScriptInvocation{language_, source}),
                                       sheets::trimmedName(title), icon);
    if (!sheets::passesValidation(slot)) return std::nullopt;
    return slot;
}

void ScriptSlotEditorModel::testRun(std::function<void()> changed) {
    if (!canTestRun()) return;
    testOutput_.reset();
    testError_.reset();
    isRunning_ = true;
    runLanguage_ = language_;
    runToken_ = std::make_shared<int>(0);
    std::weak_ptr<int> token = runToken_;
    runId_ = ScriptRunner().run(ScriptInvocation{language_, source},
                                [this, token, changed = std::move(changed)](const ScriptResult& result) {
                                    if (token.expired()) return;  // ended, or the model is gone
                                    handleTestResult(result);
                                    if (changed) changed();
                                });
}

void ScriptSlotEditorModel::endTestRun() {
    if (!isRunning_) return;
    runToken_.reset();
    if (runId_) platform::ProcessRunner::shared().terminate(*runId_);
    runId_.reset();
    isRunning_ = false;
}

void ScriptSlotEditorModel::handleTestResult(const ScriptResult& result) {
    isRunning_ = false;
    runId_.reset();
    runToken_.reset();
    const ScriptError* error = result.error();
    if (!error) {
        testOutput_ = *result.output();
    } else if (error->kind == ScriptError::Kind::launchFailed && runLanguage_ != ScriptLanguage::shell) {
        // No interpreter for AppleScript or JavaScript for Automation here:
        // say so rather than how starting it failed.
        testError_ = QString::fromStdString(sheets::tr("%1 cannot run here: this system has no interpreter for it."))
                         .arg(QString::fromStdString(languageLabel(runLanguage_)))
                         .toStdString();
    } else {
        testError_ = error->description();
    }
}

ScriptSlotEditorModel::ResultLine ScriptSlotEditorModel::resultLine() const {
    if (testOutput_) {
        std::string shown = text::trimWhitespaceAndNewlines(*testOutput_);
        return {ResultLine::Kind::success, shown.empty() ? sheets::tr("(no output)") : shown};
    }
    if (testError_) return {ResultLine::Kind::failure, *testError_};
    return {};
}

}  // namespace orbel
