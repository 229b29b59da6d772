#pragma once

// Carries out the built-in system actions of action slots and of dynamic
// slots whose click runs an action.
//
// Every action is fire-and-forget: `perform` returns at once, never throws and
// never waits for a tool, a server or the system bus. Trouble is reported by
// the system beep, or for "Set Brightness" by a show-once alert, including
// failures that a service reports later through its completion. An action
// with no counterpart on this desktop beeps instead of pretending to work.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/system_action.h"
#include "platform/shared_instance.h"

namespace orbel::platform {
class Alerts;
class AudioOutput;
class Clock;
class Displays;
class ProcessRunner;
class ScreenGrabber;
class SessionServices;
class Trash;
class Workspace;
}  // namespace orbel::platform

namespace orbel {

class SystemActionExecutor : public platform::Shared<SystemActionExecutor> {
public:
    // The step of Volume Up/Down and Brightness Up/Down: a sixteenth of the
    // range, as the hardware keys step.
    static constexpr double kStep = 1.0 / 16.0;

    static constexpr std::string_view kNoBuiltInDisplayKey = "brightness.no-built-in";
    static constexpr std::string_view kBrightnessFailedKey = "brightness.private-api-missing";

    SystemActionExecutor() = default;

    // Starts the action and returns; GUI thread only.
    void perform(const SystemAction& action);

private:
    friend platform::Shared<SystemActionExecutor>;
    static SystemActionExecutor& makeShared();

    // Runs the action on the shared audio output once it is ready.
    static void whenAudioReady(std::function<void(platform::AudioOutput&)> action);
    static void nextOutputDevice(platform::AudioOutput& audio, const std::function<void()>& beep,
                                 const std::function<void(bool)>& done);
    void changeBrightness(double delta);
    void setBrightness(double level);
    void nextDisplay();
    // The media actions: `sent` is false when no player was there to answer.
    static void beepUnlessPlayer(bool sent);
    void takeFullScreenshot();
    // "Screenshot 2024-01-02 at 09.05.03.png" for that moment in local time.
    static std::string screenshotFileName(double secondsSince1970);
    // Starts the first of `candidates` (program name and arguments) found on
    // PATH, detached; beeps when none is, or when it cannot be started.
    void runFirstInstalled(const std::vector<std::vector<std::string>>& candidates);

    std::function<void()> beeper() const;
    std::function<void(bool ok)> beepUnless() const;
    std::function<void(bool ok, const std::string& error)> beepUnlessSession(std::string_view what) const;
    // Shows a warning with the title and the reason when it was not done.
    std::function<void(bool ok, const std::string& error)> explainUnlessSession(const char* title) const;
};

// Carries out the action with the shared executor.
void perform(const SystemAction& action);

}  // namespace orbel
