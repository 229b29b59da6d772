#pragma once

#include <QIcon>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/shared_instance.h"

namespace orbel::platform {

// One entry of the status item's menu; an empty title is a separator.
struct StatusMenuEntry {
    std::string title;
    std::string shortcut;  // shown beside the title, e.g. "Ctrl+Q"; may be empty
    std::function<void()> action;
};

// An icon in the desktop's tray (notification area) with a menu. A primary
// click runs `onPrimaryClick`; the secondary click opens the menu. The item
// is shown from its first `setIcon` while the object lives. GUI thread.
class StatusItem {
public:
    virtual ~StatusItem() = default;
    virtual void setIcon(const QIcon& icon, const std::string& tooltip) = 0;
    // Builds the menu anew from the entries.
    virtual void setMenu(std::vector<StatusMenuEntry> entries) = 0;
    virtual void setOnPrimaryClick(std::function<void()> onClick) = 0;
};

// Makes status items; replaceable in tests.
class StatusItems : public Shared<StatusItems> {
public:
    virtual ~StatusItems() = default;
    // Whether the desktop shows tray icons at all.
    virtual bool isTrayAvailable() const = 0;
    virtual std::unique_ptr<StatusItem> make() = 0;

private:
    friend Shared<StatusItems>;
    static StatusItems& makeShared();
};

}  // namespace orbel::platform
