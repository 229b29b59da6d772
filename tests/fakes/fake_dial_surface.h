#pragma once

// An in-memory dial surface: screens and a pointer the test sets, a record
// of what the dial asked of it, and helpers that deliver input the way the
// real panels do.

#include <string>
#include <vector>

#include "dial/dial_surface.h"

namespace orbel::fakes {

class FakeDialSurface : public DialSurface {
public:
    FakeDialSurface() { screenList = {DialScreen{0, QRect(0, 0, 1920, 1080)}}; }

    void setListener(DialSurfaceListener* l) override { listener = l; }
    std::vector<DialScreen> screens() const override { return screenList; }
    std::optional<DialScreen> mainScreen() const override {
        if (screenList.empty()) return std::nullopt;
        return screenList.front();
    }
    QPointF pointerPosition() const override { return pointer; }
    void present(const DialScreen& o, const std::vector<DialScreen>& c) override {
        overlay = o;
        catchers = c;
        calls.push_back("present");
    }
    void grabKeyboard() override { calls.push_back("grabKeyboard"); }
    void releaseKeyboard() override { calls.push_back("releaseKeyboard"); }
    void dismiss() override {
        overlay.reset();
        catchers.clear();
        calls.push_back("dismiss");
    }
    void pushArrowCursor() override { ++cursorDepth; }
    void popCursor() override { --cursorDepth; }

    // Input, as the panels report it.
    void moveTo(QPointF p) {
        pointer = p;
        if (listener) listener->pointerMoved(p);
    }
    bool click(QPointF p, DialClickTarget target = DialClickTarget::overlay) {
        pointer = p;
        return listener && listener->leftPressed(target, p);
    }
    void drag(QPointF p) {
        pointer = p;
        if (listener) listener->leftDragged();
    }
    void release(QPointF p) {
        pointer = p;
        if (listener) listener->leftReleased();
    }
    bool key(std::uint16_t code, std::uint32_t modifiers = 0, std::string text = {}) {
        return listener && listener->keyPressed(DialKeyEvent{code, modifiers, std::move(text)});
    }
    bool button(int b) { return listener && listener->otherButtonPressed(b); }

    DialSurfaceListener* listener = nullptr;
    std::vector<DialScreen> screenList;
    QPointF pointer{960, 540};
    std::optional<DialScreen> overlay;
    std::vector<DialScreen> catchers;
    std::vector<std::string> calls;
    int cursorDepth = 0;
};

}  // namespace orbel::fakes
