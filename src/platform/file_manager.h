#pragma once

#include <string>

#include "platform/shared_instance.h"

namespace orbel::platform {

// The desktop's file manager: shows a file's folder with the file selected.
// Returns at once; the file is not checked first. GUI thread.
class FileManager : public Shared<FileManager> {
public:
    virtual ~FileManager() = default;
    virtual void reveal(const std::string& path) = 0;

private:
    friend Shared<FileManager>;
    static FileManager& makeShared();
};

}  // namespace orbel::platform
