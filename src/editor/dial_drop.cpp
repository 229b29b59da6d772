#include "editor/dial_drop.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "model/overloaded.h"

namespace orbel::editor {

namespace {

int indexOfId(const std::vector<SlotConfig>& slots, const Uuid& id) {
    for (std::size_t i = 0; i < slots.size(); ++i)
        if (slots[i].id == id) return static_cast<int>(i);
    return -1;
}

std::vector<MacroStep> chordSteps(const std::vector<KeyCombination>& sequence) {
    std::vector<MacroStep> steps;
    steps.reserve(sequence.size());
    for (const KeyCombination& k : sequence) steps.push_back(MacroStep{MacroStep::Chord{k}});
    return steps;
}

}  // namespace

double angleFraction(QPointF point, QPointF centre) {
    constexpr double twoPi = 2 * std::numbers::pi;
    double a = std::atan2(point.y() - centre.y(), point.x() - centre.x()) + std::numbers::pi / 2;
    a = std::fmod(a, twoPi);
    if (a < 0) a += twoPi;
    const double f = a / twoPi;
    return f >= 1.0 ? 0.0 : f;
}

int wedgeIndex(int n, QPointF point, QPointF centre) {
    if (n < 1) return 0;
    const double w = 1.0 / n;
    const double v = angleFraction(point, centre) + w / 2;
    const double frac = v - std::trunc(v);
    return std::clamp(static_cast<int>(std::floor(frac * n)), 0, n - 1);
}

int insertionIndex(int n, QPointF point, QPointF centre) {
    if (n < 0) return 0;
    return std::clamp(static_cast<int>(std::floor(angleFraction(point, centre) * (n + 1))), 0, n);
}

std::optional<int> wedgeNearCentre(int n, QPointF point, QPointF centre) {
    if (n < 1) return std::nullopt;
    const double w = 1.0 / n;
    const double f = angleFraction(point, centre);
    const auto rounded = static_cast<long long>(std::round(f / w));  // halves away from zero
    const int k = static_cast<int>(rounded % n);
    double diff = std::abs(f - w * static_cast<double>(k));
    if (diff > 0.5) diff = 1 - diff;
    if (diff <= 0.4 * w) return k;
    return std::nullopt;
}

bool isInActiveAnnulus(QPointF point, QPointF centre, double innerRadius, double outerRadius) {
    const double d = std::hypot(point.x() - centre.x(), point.y() - centre.y());
    return innerRadius <= d && d <= outerRadius + kAnnulusSlack;
}

DragState DialDropDelegate::dragStateFor(const SlotDragPayload& payload, QPointF location) const {
    const int n = static_cast<int>(slots.size());
    if (!isInActiveAnnulus(location, centre, innerRadius, outerRadius)) return {};
    if (const auto* existing = std::get_if<SlotDragPayload::ExistingSlot>(&payload.kind))
        return {DragState::ExistingDrag{indexOfId(slots, existing->id), wedgeIndex(n, location, centre)}};
    if (isFull) return {DragState::LibraryFull{payload, wedgeNearCentre(n, location, centre)}};
    return {DragState::LibraryDrag{payload, insertionIndex(n, location, centre)}};
}

CommitAction DialDropDelegate::resolveCommit(const SlotDragPayload& payload, QPointF location) const {
    const int n = static_cast<int>(slots.size());
    if (!isInActiveAnnulus(location, centre, innerRadius, outerRadius)) return {};
    if (const auto* existing = std::get_if<SlotDragPayload::ExistingSlot>(&payload.kind)) {
        const int target = wedgeIndex(n, location, centre);
        const int source = indexOfId(slots, existing->id);
        if (source < 0 || source == target) return {};
        return {CommitAction::Swap{source, target}};
    }
    if (isFull) {
        const auto k = wedgeNearCentre(n, location, centre);
        if (!k) return {CommitAction::ToastFull{}};
        return {CommitAction::PromptOnWedge{payload, *k}};
    }
    return {CommitAction::Insert{payload, insertionIndex(n, location, centre)}};
}

CommitAction DialDropDelegate::resolveAppend(const SlotDragPayload& payload) const {
    if (!isLibraryPayload(payload)) return {};
    if (isFull) return {CommitAction::ToastFull{}};
    return {CommitAction::Insert{payload, static_cast<int>(slots.size())}};
}

std::optional<SlotDragPayload> decodeSlotPayload(const std::optional<std::string_view>& text) {
    if (!text) return std::nullopt;
    try {
        return SlotDragPayload::importString(*text);
    } catch (const SlotDragPayloadError&) {
        return std::nullopt;
    }
}

bool isLibraryPayload(const SlotDragPayload& payload) {
    return !std::holds_alternative<SlotDragPayload::ExistingSlot>(payload.kind);
}

bool trashAccepts(const std::optional<SlotDragPayload>& payload) { return payload && !isLibraryPayload(*payload); }

bool emptyDialAccepts(const std::optional<SlotDragPayload>& payload) { return payload && isLibraryPayload(*payload); }

bool payloadAlreadyOnDial(const SlotDragPayload& payload, const std::vector<SlotConfig>& slots) {
    return std::visit(
        Overloaded{
            [&](const SlotDragPayload::LibraryApp& p) {
                return std::any_of(slots.begin(), slots.end(), [&](const SlotConfig& s) {
                    const auto* app = s.type.get<SlotType::App>();
                    return app && app->bundleId == p.bundleId;
                });
            },
            [&](const SlotDragPayload::LibraryAction& p) {
                return std::any_of(slots.begin(), slots.end(), [&](const SlotConfig& s) {
                    const auto* action = s.type.get<SlotType::Action>();
                    return action && action->action.identifier() == p.actionId;
                });
            },
            [&](const SlotDragPayload::LibraryKeystroke& p) {
                const std::vector<MacroStep> steps = chordSteps(p.sequence);
                return std::any_of(slots.begin(), slots.end(), [&](const SlotConfig& s) {
                    const auto* keys = s.type.get<SlotType::Keystroke>();
                    return keys && keys->steps == steps;
                });
            },
            [](const SlotDragPayload::ExistingSlot&) { return false; },
        },
        payload.kind);
}

std::optional<SlotConfig> slotConfigFromPayload(const SlotDragPayload& payload) {
    return std::visit(
        Overloaded{
            [](const SlotDragPayload::LibraryApp& p) -> std::optional<SlotConfig> {
                return SlotConfig::makeApp(p.bundleId, p.name);
            },
            [](const SlotDragPayload::LibraryAction& p) -> std::optional<SlotConfig> {
                const auto action = SystemAction::fromIdentifier(p.actionId);
                if (!action) return std::nullopt;
                return SlotConfig::make(SlotType::action(*action), action->title());
            },
            [](const SlotDragPayload::LibraryKeystroke& p) -> std::optional<SlotConfig> {
                return SlotConfig::make(SlotType::keystroke(chordSteps(p.sequence)), p.title);
            },
            [](const SlotDragPayload::ExistingSlot&) -> std::optional<SlotConfig> { return std::nullopt; },
        },
        payload.kind);
}

std::uint64_t DialDragCoordinator::beginSession() {
    reset();
    return sessionToken_;
}

void DialDragCoordinator::endSession() { reset(); }

void DialDragCoordinator::reset() {
    ++sessionToken_;  // unsigned: wraps
    dragState_ = {};
    cachedPayload_.reset();
    if (onChange) onChange();
}

void DialDragCoordinator::applyLoadedPayload(const SlotDragPayload& payload, std::uint64_t token,
                                             const DragState& state) {
    if (sessionToken_ != token) return;
    cachedPayload_ = payload;
    setDragState(state);
}

void DialDragCoordinator::setDragState(const DragState& state) {
    if (dragState_ == state) return;
    dragState_ = state;
    if (onChange) onChange();
}

}  // namespace orbel::editor
