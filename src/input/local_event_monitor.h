#pragma once

// Watches the input addressed to the program's own windows: key presses and,
// on request, presses of the right and extra mouse buttons (never the left
// one). While active it takes every such event, so none reaches a control
// or triggers a shortcut, and reports the ones it can name. GUI thread only.

#include <QObject>
#include <cstdint>
#include <functional>

namespace orbel {

struct LocalInput {
    enum class Kind { key, mouseButton };
    Kind kind = Kind::key;
    std::uint16_t keyCode = 0;    // keys: the virtual key code
    std::uint32_t modifiers = 0;  // keys: the Carbon mask
    int button = 0;               // mouse: 1 right, 2 middle, 3 back, 4 forward, 5...
    bool operator==(const LocalInput&) const = default;
};

class LocalEventMonitor : public QObject {
public:
    using Handler = std::function<void(const LocalInput& input)>;

    LocalEventMonitor(bool capturesMouseButtons, Handler handler);
    ~LocalEventMonitor() override;

    // Inactive, events pass untouched.
    void setActive(bool active) { active_ = active; }
    bool isActive() const { return active_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool capturesMouseButtons_;
    bool active_ = true;
    Handler handler_;
};

}  // namespace orbel
