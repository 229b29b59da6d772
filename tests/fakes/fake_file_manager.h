#pragma once

// Records the files it was asked to reveal.

#include <string>
#include <vector>

#include "platform/file_manager.h"

namespace orbel::fakes {

class FakeFileManager : public platform::FileManager {
public:
    void reveal(const std::string& path) override { revealed.push_back(path); }
    std::vector<std::string> revealed;
};

}  // namespace orbel::fakes
