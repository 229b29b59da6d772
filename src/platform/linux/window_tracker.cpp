#include "platform/linux/window_tracker.h"

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "platform/linux/app_index.h"

namespace orbel::platform::x11 {

WindowTracker* WindowTracker::shared() {
    static WindowTracker* tracker = [] {
        auto session = Session::open();
        return session ? new WindowTracker(std::move(session)) : nullptr;  // lives as long as the process
    }();
    return tracker;
}

WindowTracker::WindowTracker(std::unique_ptr<Session> session) : session_(std::move(session)) {
    clientList_ = session_->atom("_NET_CLIENT_LIST");
    stackingList_ = session_->atom("_NET_CLIENT_LIST_STACKING");
    activeWindow_ = session_->atom("_NET_ACTIVE_WINDOW");
    // Listen before the first read, so no change falls between the two.
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(session_->connection(), session_->root(), XCB_CW_EVENT_MASK, &mask);
    xcb_flush(session_->connection());
    std::thread([this] { readEvents(); }).detach();
}

void WindowTracker::readEvents() {
    // Ends when the connection does (the server went away).
    while (xcb_generic_event_t* event = xcb_wait_for_event(session_->connection())) {
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
            const auto* change = reinterpret_cast<xcb_property_notify_event_t*>(event);
            if (change->atom == clientList_ || change->atom == stackingList_) clientsChanged_ = true;
            if (change->atom == activeWindow_) activeChanged_ = true;
        } else if ((event->response_type & 0x7f) == XCB_DESTROY_NOTIFY) {
            // Its id may come back on another application's window: what
            // was read of this one goes with it.
            const auto* gone = reinterpret_cast<xcb_destroy_notify_event_t*>(event);
            std::lock_guard lock(mutex_);
            owners_.erase(gone->window);
        }
        std::free(event);
    }
}

std::vector<xcb_window_t> WindowTracker::clients() {
    std::lock_guard lock(mutex_);
    if (clientsChanged_.exchange(false)) {
        clients_ = session_->clientWindows();
        // Owners are kept while their window is listed.
        std::erase_if(owners_, [&](const auto& known) {
            return std::find(clients_.begin(), clients_.end(), known.first) == clients_.end();
        });
    }
    return clients_;
}

std::optional<xcb_window_t> WindowTracker::active() {
    std::lock_guard lock(mutex_);
    if (activeChanged_.exchange(false)) active_ = session_->activeWindow();
    return active_;
}

bool WindowTracker::watchDestruction(xcb_window_t window) {
    // The root is never destroyed, and the mask selected on it is the one
    // that hears the client list and the active window change: a window
    // manager may name the root as the active window, and replacing that
    // mask would leave both lists as they were for the rest of the run.
    if (window == session_->root()) return true;
    xcb_connection_t* c = session_->connection();
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_generic_error_t* error = xcb_request_check(
        c, xcb_change_window_attributes_checked(c, window, XCB_CW_EVENT_MASK, &mask));
    std::free(error);
    return error == nullptr;
}

WindowTracker::Owner WindowTracker::ownerOf(xcb_window_t window) {
    auto& index = xdg::AppIndex::shared();
    const std::uint64_t generation = index.generation();
    std::unique_lock lock(mutex_);
    auto it = owners_.find(window);
    const bool read = it != owners_.end() && it->second.read;
    if (read && it->second.generation == generation) return it->second.owner;
    if (!read) {
        // Kept only while this entry stays: the window's destruction, heard
        // from here on, takes it away.
        it = owners_.insert_or_assign(window, Known{}).first;
        it->second.serial = ++serials_;
    }
    Known known = it->second;
    lock.unlock();  // the server is asked, and matching reads the index, which may read the application folders
    if (!read) {
        // A window already gone is read each time it is asked for, never
        // kept: its id may be given to a new window at any moment.
        const bool watched = watchDestruction(window);
        known.identity = xdg::WindowIdentity::of(*session_, window);
        known.read = watched;
    }

    known.generation = generation;
    known.owner.pid = known.identity.pid;
    known.owner.wmClassInstance = known.identity.wmClassInstance;
    known.owner.wmClassName = known.identity.wmClassName;
    known.owner.appId = xdg::resolveDesktopId(known.identity, *index.all()).value_or(QString());
    known.owner.name = known.owner.appId.isEmpty() ? xdg::unmatchedOwnerName(known.identity) : known.owner.appId;

    lock.lock();
    if (auto entry = owners_.find(window); entry != owners_.end() && entry->second.serial == known.serial) {
        if (known.read) entry->second = known;
        else owners_.erase(entry);
    }
    return known.owner;
}

}  // namespace orbel::platform::x11
