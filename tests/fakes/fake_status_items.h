#pragma once

// A tray in memory: how many icons it made and holds, and what the last one
// shows.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/status_item.h"

namespace orbel::fakes {

class FakeStatusItems : public platform::StatusItems {
public:
    struct Item : platform::StatusItem {
        explicit Item(FakeStatusItems& owner) : owner(owner) { ++owner.live; }
        ~Item() override { --owner.live; }
        void setIcon(const QIcon& i, const std::string& tip) override {
            iconSet = !i.isNull();
            owner.toolTip = tip;
        }
        void setMenu(std::vector<platform::StatusMenuEntry> entries) override { owner.menu = std::move(entries); }
        void setOnPrimaryClick(std::function<void()> click) override { owner.click = std::move(click); }
        FakeStatusItems& owner;
        bool iconSet = false;
    };
    bool isTrayAvailable() const override { return true; }
    std::unique_ptr<platform::StatusItem> make() override {
        ++made;
        return std::make_unique<Item>(*this);
    }
    int made = 0, live = 0;
    std::vector<platform::StatusMenuEntry> menu;
    std::function<void()> click;
    std::string toolTip;
};

}  // namespace orbel::fakes
