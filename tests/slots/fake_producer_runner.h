#pragma once

// Records producer runs; the test decides when and how each one ends.

#include <memory>
#include <stdexcept>
#include <vector>

#include "fakes/fake_platform_basics.h"
#include "fakes/fake_timers.h"
#include "slots/dynamic_producer_runner.h"
#include "slots/dynamic_title_cache.h"

namespace orbel::fakes {

class FakeProducerRunner : public DynamicProducerRunner {
public:
    struct Run {
        ScriptInvocation producer;
        Completion completion;
        bool completed = false;
        bool ended = false;
    };

    RunId run(const ScriptInvocation& producer, Completion completion) override {
        runs.push_back(Run{producer, std::move(completion)});
        return runs.size();
    }
    void end(RunId run) override { runs.at(run - 1).ended = true; }

    // Ends run `index` (in start order) as the GUI thread would.
    void complete(std::size_t index, const ScriptResult& result) {
        Run& r = runs.at(index);
        if (r.completed) throw std::logic_error("producer run completed twice");
        r.completed = true;
        auto completion = r.completion;  // the completion may start new runs
        completion(result);
    }
    void succeed(std::size_t index, std::string output) { complete(index, ScriptResult::success(std::move(output))); }
    void fail(std::size_t index, ScriptError error) { complete(index, ScriptResult::failure(std::move(error))); }

    std::size_t running() const {
        std::size_t n = 0;
        for (const auto& r : runs) n += r.completed ? 0 : 1;
        return n;
    }

    std::vector<Run> runs;
};

// A dynamic slot whose producer is the given zsh source.
inline DynamicSlotConfig producing(std::string source, RefreshPolicy refresh = RefreshPolicy::menuOpen()) {
    DynamicSlotConfig c;
    c.producer = {ScriptLanguage::shell, std::move(source)};
    c.refresh = refresh;
    return c;
}

// A title cache on fake time, whose producer runs the test ends.
struct ProducerRig {
    std::size_t runs() const { return producers->runs.size(); }

    FakeClock clock;
    FakeTimers timers{&clock};
    FakeProducerRunner* producers = nullptr;
    std::unique_ptr<DynamicTitleCache> cache = [this] {
        auto runner = std::make_unique<FakeProducerRunner>();
        producers = runner.get();
        return std::make_unique<DynamicTitleCache>(std::move(runner), timers, clock);
    }();
};

}  // namespace orbel::fakes
