#pragma once

// Pictures of what the screen shows right now, for windows that paint what
// lies behind them themselves (there is no blur-behind every window
// manager offers), and the one fact that decides whether they must: whether
// a compositing manager blends translucent windows.

#include <QImage>
#include <QRect>
#include <functional>

#include "platform/shared_instance.h"

namespace orbel::platform {

class ScreenCapture : public Shared<ScreenCapture> {
public:
    virtual ~ScreenCapture() = default;

    // The pixels of `area` (desktop coordinates, points) as shown now, at
    // `dpr` device pixels per point, with that device pixel ratio set; null
    // when the screen cannot be read. GUI thread; costs one server round trip.
    virtual QImage capture(const QRect& area, double dpr) = 0;
    // True when translucent windows blend with what is behind them. The
    // screen's facts (this, and the screen's size a capture is cut to) are
    // the server's answers to questions asked at the previous call or
    // capture, so that showing a window costs no wait for them; the first
    // call waits. Callers that watch for a change ask again until it shows.
    virtual bool compositorRunning() = 0;
    // Runs `done` on the GUI thread once the display server has carried out
    // every window change this process asked for so far and the screen
    // shows the result (with a compositor, after its next repaint).
    virtual void afterScreenSettles(std::function<void()> done) = 0;

private:
    friend Shared<ScreenCapture>;
    static ScreenCapture& makeShared();
};

}  // namespace orbel::platform
