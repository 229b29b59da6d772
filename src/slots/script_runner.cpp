#include "slots/script_runner.h"

#include <cstdint>
#include <memory>
#include <utility>

namespace orbel {

namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const std::size_t n = s.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t length;
        unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0) lo = 0xA0;
            if (c == 0xED) hi = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0) lo = 0x90;
            if (c == 0xF4) hi = 0x8F;
        } else {
            return false;
        }
        if (n - i < length) return false;
        if (p[i + 1] < lo || p[i + 1] > hi) return false;
        for (std::size_t k = 2; k < length; ++k)
            if ((p[i + k] & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

std::string_view osaLanguageName(ScriptLanguage language) {
    return language == ScriptLanguage::jxa ? "JavaScript" : "AppleScript";
}

}  // namespace

ScriptRunner::ScriptRunner(ScriptInterpreters interpreters) : interpreters_(std::move(interpreters)) {}

platform::ProcessRequest ScriptRunner::request(const ScriptInvocation& invocation) const {
    platform::ProcessRequest request;
    if (invocation.language == ScriptLanguage::shell) {
        request.program = interpreters_.shell;
        request.arguments = {"-lc", invocation.source};
    } else {
        request.program = interpreters_.osascript;
        request.arguments = {"-l", std::string(osaLanguageName(invocation.language)), "-e", invocation.source};
    }
    return request;
}

std::string ScriptRunner::decodeOutput(std::string_view bytes, bool limited) {
    if (limited) {
        // Drop the lead and continuation bytes of a character the cut split.
        std::size_t lead = bytes.size(), continuations = 0;
        while (continuations < 3 && lead > 0 && (static_cast<unsigned char>(bytes[lead - 1]) & 0xC0) == 0x80)
            --lead, ++continuations;
        if (lead > 0) {
            const auto c = static_cast<unsigned char>(bytes[lead - 1]);
            const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
            if (continuations + 1 < length) bytes = bytes.substr(0, lead - 1);
        }
    }
    if (!isValidUtf8(bytes)) return {};
    return std::string(bytes);
}

ScriptResult ScriptRunner::resultFor(ScriptLanguage language, const platform::ProcessResult& process) {
    using Status = platform::ProcessResult::Status;
    if (process.status == Status::launchFailed) return ScriptResult::failure(ScriptError::launchFailed(process.launchError));

    // A process ended by a signal reports the signal number as its status,
    // and counts as a failure even if that number were somehow 0.
    const std::int32_t status = process.exitCode;
    if (process.status == Status::exited && status == 0)
        return ScriptResult::success(decodeOutput(process.standardOutput, process.outputLimited));

    std::string standardError = decodeOutput(process.standardError, process.outputLimited);
    const std::int32_t code = status != 0 ? status : 1;
    if (language == ScriptLanguage::shell)
        return ScriptResult::failure(ScriptError::nonzeroExit(code, std::move(standardError)));
    if (standardError.empty()) standardError = std::string(osaLanguageName(language)) + " failed";
    return ScriptResult::failure(ScriptError::osaFailed(std::move(standardError)));
}

platform::ProcessRunner::Id ScriptRunner::run(const ScriptInvocation& invocation, Completion completion) const {
    const ScriptLanguage language = invocation.language;
    // The process runner calls back exactly once, queued on the GUI thread.
    return platform::ProcessRunner::shared().start(request(invocation),
                      [language, completion = std::move(completion)](const platform::ProcessResult& process) {
                          if (completion) completion(resultFor(language, process));
                      });
}

void runScript(const ScriptInvocation& invocation, ScriptRunner::Completion completion) {
    ScriptRunner().run(invocation, std::move(completion));
}

}  // namespace orbel
