#pragma once

// Runs the producer script of a dynamic slot. The title cache talks to this
// seam so that tests can decide when and how each producer run ends.

#include <functional>

#include "model/script_invocation.h"
#include "slots/script_error.h"
#include "slots/script_runner.h"

namespace orbel {

class DynamicProducerRunner {
public:
    using Completion = std::function<void(const ScriptResult&)>;
    virtual ~DynamicProducerRunner() = default;
    // Starts the producer and returns at once. The completion runs exactly
    // once, on the GUI thread, never inside this call.
    virtual void run(const ScriptInvocation& producer, Completion completion) = 0;
};

// Runs producers with the script runner.
class LiveProducerRunner final : public DynamicProducerRunner {
public:
    explicit LiveProducerRunner(ScriptRunner runner = ScriptRunner()) : runner_(std::move(runner)) {}
    void run(const ScriptInvocation& producer, Completion completion) override {
        runner_.run(producer, std::move(completion));
    }

private:
    ScriptRunner runner_;
};

}  // namespace orbel
