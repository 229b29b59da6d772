#pragma once

#include <functional>
#include <memory>
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
//
// An alert equal to one still open is never shown a second time: the open
// one is brought forward, and its answer goes to every caller that asked
// for it. A slot fired again and again (a held key, a double click) thus
// stacks no copies.
class Alerts : public Shared<Alerts> {
public:
    virtual ~Alerts() = default;
    void show(const Alert& alert, std::function<void(int button)> onDismiss = {}) {
        if (const auto& hook = beforeShow()) hook();
        for (const auto& open : open_) {
            if (open->alert != alert) continue;
            open->waiting.push_back(std::move(onDismiss));
            bringForward(alert);
            return;
        }
        auto entry = std::make_shared<OpenAlert>(OpenAlert{alert, {}});
        entry->waiting.push_back(std::move(onDismiss));
        open_.push_back(entry);
        present(alert, [this, entry](int button) {
            std::erase(open_, entry);
            for (auto& callback : std::exchange(entry->waiting, {}))
                if (callback) callback(button);
            if (!open_.empty()) return;
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
        if (open_.empty()) return work();
        whenNoneOpen_.push_back(std::move(work));
    }

protected:
    virtual void present(const Alert& alert, std::function<void(int button)> onDismiss) = 0;
    // Raises the open alert equal to `alert` above other windows again.
    virtual void bringForward(const Alert& alert) { (void)alert; }

private:
    friend Shared<Alerts>;
    static Alerts& makeShared();
    static std::function<void()>& beforeShow() {
        static std::function<void()> hook;
        return hook;
    }
    struct OpenAlert {
        Alert alert;
        std::vector<std::function<void(int button)>> waiting;  // every caller that asked for it
    };
    std::vector<std::shared_ptr<OpenAlert>> open_;
    std::vector<std::function<void()>> whenNoneOpen_;
};

}  // namespace orbel::platform
