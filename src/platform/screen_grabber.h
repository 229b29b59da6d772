#pragma once

#include <functional>
#include <string>

#include "platform/shared_instance.h"

namespace orbel::platform {

// Full-screen screenshots.
class ScreenGrabber : public Shared<ScreenGrabber> {
public:
    // The path written, or empty when nothing was written.
    using Completion = std::function<void(const std::string& path)>;

    virtual ~ScreenGrabber() = default;
    // Where screenshots go: the user's pictures folder, else the desktop
    // folder, else the home folder.
    virtual std::string screenshotFolder() const = 0;
    // Grabs every screen into one PNG at folder/fileName. An existing file is
    // never overwritten: " (2)", " (3)", ... is put before the extension.
    // The grab happens now (GUI thread) — or, while an overlay of ours is on
    // screen, as soon as it is off it (CaptureGuard); the file is written off the GUI
    // thread and the completion runs on the GUI thread.
    virtual void grabAllScreens(const std::string& folder, const std::string& fileName, Completion done = {}) = 0;

private:
    friend Shared<ScreenGrabber>;
    static ScreenGrabber& makeShared();
};

}  // namespace orbel::platform
