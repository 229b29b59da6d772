#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/shared_instance.h"

namespace orbel::platform {

enum class AlertStyle { informational, warning, critical };

struct Alert {
    std::string title;                        // the alert's message text
    std::string text;                         // informative text below it
    AlertStyle style = AlertStyle::informational;
    std::vector<std::string> buttons{"OK"};   // first is the default; the last one answers Escape
    std::string footnote;                     // optional small secondary text under the message

    bool operator==(const Alert&) const = default;
};

// Stand-alone modal alerts and the system beep. GUI thread only. Nothing
// here blocks: `show` returns at once and `onDismiss` later receives the
// index of the button that closed the alert. An alert opens above every
// other window; the hook set with `setBeforeShow` runs first (the
// application closes its dial there, so nothing of ours covers the alert).
class Alerts : public Shared<Alerts> {
public:
    virtual ~Alerts() = default;
    void show(const Alert& alert, std::function<void(int button)> onDismiss = {}) {
        if (const auto& hook = beforeShow()) hook();
        ++open_;
        present(alert, [this, onDismiss = std::move(onDismiss)](int button) {
            --open_;
            if (onDismiss) onDismiss(button);
            if (open_ > 0) return;
            auto waiting = std::exchange(whenNoneOpen_, {});
            for (auto& work : waiting) work();
        });
    }
    virtual void beep() = 0;
    // One hook for the process, whichever instance shows the alert; an
    // empty function removes it.
    static void setBeforeShow(std::function<void()> hook) { beforeShow() = std::move(hook); }
    // Runs `work` once none of this instance's alerts is open: at once, or
    // when the last one open is answered.
    void whenNoneOpen(std::function<void()> work) {
        if (open_ == 0) return work();
        whenNoneOpen_.push_back(std::move(work));
    }

protected:
    virtual void present(const Alert& alert, std::function<void(int button)> onDismiss) = 0;

private:
    friend Shared<Alerts>;
    static Alerts& makeShared();
    static std::function<void()>& beforeShow() {
        static std::function<void()> hook;
        return hook;
    }
    int open_ = 0;
    std::vector<std::function<void()>> whenNoneOpen_;
};

}  // namespace orbel::platform
