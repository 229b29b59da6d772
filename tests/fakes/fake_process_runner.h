#pragma once

// Records process requests; the test decides when and how each one ends.

#include <mutex>
#include <stdexcept>
#include <vector>

#include "platform/process_runner.h"

namespace orbel::fakes {

class FakeProcessRunner : public platform::ProcessRunner {
public:
    struct Run {
        Id id = 0;
        platform::ProcessRequest request;
        Completion completion;
        bool completed = false;
    };

    Id start(platform::ProcessRequest request, Completion completion) override {
        std::lock_guard lock(mutex_);
        const Id id = nextId_++;
        runs_.push_back(Run{id, std::move(request), std::move(completion)});
        return id;
    }
    void terminate(Id id) override {
        std::lock_guard lock(mutex_);
        terminated_.push_back(id);
    }
    // The ids passed to terminate, in order.
    std::vector<Id> terminated() const {
        std::lock_guard lock(mutex_);
        return terminated_;
    }

    // Ends run `index` (in start order) and runs its completion now, as the
    // GUI thread would. Ending a run twice is a test error.
    void complete(std::size_t index, const platform::ProcessResult& result) {
        Completion completion;
        {
            std::lock_guard lock(mutex_);
            Run& run = runs_.at(index);
            if (run.completed) throw std::logic_error("process run completed twice");
            run.completed = true;
            completion = run.completion;
        }
        if (completion) completion(result);
    }
    void exit(std::size_t index, int code, std::string out = {}, std::string err = {}) {
        platform::ProcessResult r;
        r.exitCode = code;
        r.standardOutput = std::move(out);
        r.standardError = std::move(err);
        complete(index, r);
    }
    void failToLaunch(std::size_t index, std::string why) {
        platform::ProcessResult r;
        r.status = platform::ProcessResult::Status::launchFailed;
        r.exitCode = -1;
        r.launchError = std::move(why);
        complete(index, r);
    }

    std::vector<Run> runs() const {
        std::lock_guard lock(mutex_);
        return runs_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<Run> runs_;
    std::vector<Id> terminated_;
    Id nextId_ = 1;
};

}  // namespace orbel::fakes
