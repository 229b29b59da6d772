#include "model/macro_step.h"

#include "model/overloaded.h"
#include "model/text.h"

namespace orbel {

MacroStep MacroStep::fromJson(const json::Node& node) {
    node.requireObject();

    if (node.has("chord")) {
        if (auto combination = json::attempt([&] { return KeyCombination::fromJson(node["chord"]); })) {
            return chord(*combination);
        }
    }
    if (node.has("wait")) {
        const json::Node wait = node["wait"];
        if (wait.isObject()) {
            const std::int64_t ms = wait.integer("milliseconds");
            return MacroStep::wait(json::clampNoted(wait.pathWithKey("milliseconds"), ms, kMinWaitMs, kMaxWaitMs));
        }
    }
    if (node.has("text")) {
        const json::Node value = node["text"];
        if (value.isString()) return text(value.asString());
    }
    if (node.has("clipboardPush")) return clipboardPush();
    if (node.has("clipboardPop")) return clipboardPop();
    if (node.has("waitForWindow")) {
        const json::Node window = node["waitForWindow"];
        if (window.isObject()) {
            std::string bundleId = window.string("bundleId");
            std::optional<std::string> titleContains = window.optionalString("titleContains");
            const std::int64_t timeout = window.integer("timeoutMs");
            return waitForWindow(
                std::move(bundleId), std::move(titleContains),
                json::clampNoted(window.pathWithKey("timeoutMs"), timeout, kMinWindowTimeoutMs, kMaxWindowTimeoutMs));
        }
    }
    node.fail("MacroStep payload doesn't match a known case");
}

json::Json MacroStep::toJson() const {
    json::Json out = json::Json::object();
    std::visit(Overloaded{
                   [&](const Chord& c) { out["chord"] = c.combination.toJson(); },
                   [&](const Wait& w) {
                       json::Json body = json::Json::object();
                       body["milliseconds"] = orbel::text::clamp(w.milliseconds, kMinWaitMs, kMaxWaitMs);
                       out["wait"] = std::move(body);
                   },
                   [&](const Text& t) { out["text"] = t.text; },
                   [&](const WaitForWindow& w) {
                       json::Json body = json::Json::object();
                       body["bundleId"] = w.bundleId;
                       if (w.titleContains) body["titleContains"] = *w.titleContains;
                       body["timeoutMs"] =
                           orbel::text::clamp(w.timeoutMs, kMinWindowTimeoutMs, kMaxWindowTimeoutMs);
                       out["waitForWindow"] = std::move(body);
                   },
                   [&](const ClipboardPush&) { out["clipboardPush"] = nullptr; },
                   [&](const ClipboardPop&) { out["clipboardPop"] = nullptr; },
               },
               value);
    return out;
}

}  // namespace orbel
