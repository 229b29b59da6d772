#pragma once

// Runs the producer script of a dynamic slot. The title cache talks to this
// seam so that tests can decide when and how each producer run ends.

#include <cstdint>
#include <functional>

#include "model/script_invocation.h"
#include "slots/script_error.h"
#include "slots/script_runner.h"

namespace orbel {

class DynamicProducerRunner {
public:
    using Completion = std::function<void(const ScriptResult&)>;
    using RunId = std::uint64_t;
    virtual ~DynamicProducerRunner() = default;
    // Starts the producer and returns at once. The completion runs exactly
    // once, on the GUI thread, never inside this call.
    virtual RunId run(const ScriptInvocation& producer, Completion completion) = 0;
    // Ends a run that has gone on too long (with whatever it started). Its
    // completion still comes.
    virtual void end(RunId run) = 0;
};

// Runs producers with the script runner.
class LiveProducerRunner final : public DynamicProducerRunner {
public:
    explicit LiveProducerRunner(ScriptRunner runner = ScriptRunner()) : runner_(std::move(runner)) {}
    RunId run(const ScriptInvocation& producer, Completion completion) override {
        return runner_.run(producer, std::move(completion));
    }
    void end(RunId run) override { platform::ProcessRunner::shared().terminate(run); }

private:
    ScriptRunner runner_;
};

}  // namespace orbel
