#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/shared_instance.h"

namespace orbel::platform {

// The desktop's file manager: shows a file's folder with the file selected.
// When no file manager answers, the folder is opened with whatever opens
// folders. Returns at once; the file is not checked first. `done` is told
// later, on the GUI thread, nothing when the folder was shown or the reason
// when nothing could show it. GUI thread.
class FileManager : public Shared<FileManager> {
public:
    using Done = std::function<void(const std::optional<std::string>& failure)>;
    virtual ~FileManager() = default;
    virtual void reveal(const std::string& path, Done done = {}) = 0;

private:
    friend Shared<FileManager>;
    static FileManager& makeShared();
};

}  // namespace orbel::platform
