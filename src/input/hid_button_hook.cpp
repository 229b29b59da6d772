#include "input/hid_button_hook.h"

#include <utility>

namespace orbel {

struct HidButtonHook::Node {
    HidButtonCallback earlier;
    HidButtonCallback observer;  // empty once the hook is gone
};

struct HidButtonHook::Wrapper {
    std::shared_ptr<Node> node;
    void operator()(std::uint16_t productID, std::uint16_t cid) const {
        // Copies first: either call may replace the field that holds this wrapper.
        const std::shared_ptr<Node> n = node;
        if (auto earlier = n->earlier) earlier(productID, cid);
        if (auto observer = n->observer) observer(productID, cid);
    }
};

HidButtonHook::HidButtonHook(HidButtonCallback& field, HidButtonCallback observer)
    : field_(&field), node_(std::make_shared<Node>(Node{std::move(field), std::move(observer)})) {
    field = Wrapper{node_};
}

HidButtonHook::HidButtonHook(HidButtonHook&& other) noexcept
    : field_(std::exchange(other.field_, nullptr)), node_(std::move(other.node_)) {}

HidButtonHook& HidButtonHook::operator=(HidButtonHook&& other) noexcept {
    if (this != &other) {
        reset();
        field_ = std::exchange(other.field_, nullptr);
        node_ = std::move(other.node_);
    }
    return *this;
}

void HidButtonHook::reset() {
    if (!node_) return;
    const auto* head = field_->target<Wrapper>();
    if (head && head->node == node_)
        *field_ = std::move(node_->earlier);  // still in front: step out of the chain
    else
        node_->observer = nullptr;  // something hooked in front since: only pass events on
    node_.reset();
    field_ = nullptr;
}

}  // namespace orbel
