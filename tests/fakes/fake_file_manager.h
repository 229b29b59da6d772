#pragma once

// Records the files it was asked to reveal and answers with `failure`.

#include <string>
#include <vector>

#include "platform/file_manager.h"

namespace orbel::fakes {

class FakeFileManager : public platform::FileManager {
public:
    void reveal(const std::string& path, Done done) override {
        revealed.push_back(path);
        if (done) done(failure);
    }
    std::vector<std::string> revealed;
    std::optional<std::string> failure;
};

}  // namespace orbel::fakes
