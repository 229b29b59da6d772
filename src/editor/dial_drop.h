#pragma once

// The drop side of the dial editor's ring as pure rules: where a pointer is
// on the ring (wedge, insertion gap, near a wedge's centre, inside the active
// annulus), what the ring previews while a drag hovers (DragState), what a
// drop does (CommitAction), and how a payload becomes a slot. The widgets
// only forward positions and payloads here.
//
// Angles: f in [0, 1) is the clockwise fraction of a turn from twelve
// o'clock, seen from the centre in y-down coordinates.

#include <QPointF>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "model/slot_config.h"
#include "model/slot_drag_payload.h"

namespace orbel::editor {

// The ring's fixed sizes in the editor.
inline constexpr double kRingInnerRadius = 78.75;
inline constexpr double kRingOuterRadius = 150.0;
inline constexpr double kRingAreaSide = 332.0;
// The ring's widget: the area plus room for the position numbers, which lie
// 14 beyond the outer radius. Its centre is the area's centre.
inline constexpr double kRingWidgetSide = 368.0;
inline constexpr double kAnnulusSlack = 24.0;  // beyond the outer radius, drops still count

// Geometry. Each takes the slot count n, the point and the ring's centre.
double angleFraction(QPointF point, QPointF centre);
// The wedge under the point (wedge 0 centred at twelve o'clock); 0 when n < 1.
int wedgeIndex(int n, QPointF point, QPointF centre);
// The gap 0...n an item would take: n + 1 equal sectors from twelve o'clock.
int insertionIndex(int n, QPointF point, QPointF centre);
// The wedge whose centre lies within 0.4 of a wedge's width of the point;
// nothing between wedges or when n < 1.
std::optional<int> wedgeNearCentre(int n, QPointF point, QPointF centre);
// inner <= distance <= outer + kAnnulusSlack, both bounds included.
bool isInActiveAnnulus(QPointF point, QPointF centre, double innerRadius, double outerRadius);

// What the ring previews while a drag hovers over it.
struct DragState {
    struct Idle {
        bool operator==(const Idle&) const = default;
    };
    // A library item over a dial with room: it would go to gap previewIndex.
    struct LibraryDrag {
        SlotDragPayload payload;
        int previewIndex = 0;
        bool operator==(const LibraryDrag&) const = default;
    };
    // A library item over a full dial: the wedge it would replace, if near one.
    struct LibraryFull {
        SlotDragPayload payload;
        std::optional<int> targetIndex;
        bool operator==(const LibraryFull&) const = default;
    };
    // A wedge of this dial (sourceIndex -1 when its id is not on the dial).
    struct ExistingDrag {
        int sourceIndex = -1;
        std::optional<int> swapTarget;
        bool operator==(const ExistingDrag&) const = default;
    };
    std::variant<Idle, LibraryDrag, LibraryFull, ExistingDrag> value;

    bool operator==(const DragState&) const = default;
    template <class T>
    const T* get() const { return std::get_if<T>(&value); }
    bool isIdle() const { return get<Idle>() != nullptr; }
};

// What a drop does.
struct CommitAction {
    struct None {
        bool operator==(const None&) const = default;
    };
    struct Insert {
        SlotDragPayload payload;
        int atIndex = 0;
        bool operator==(const Insert&) const = default;
    };
    struct Swap {
        int from = 0;
        int to = 0;
        bool operator==(const Swap&) const = default;
    };
    struct PromptOnWedge {
        SlotDragPayload payload;
        int targetIndex = 0;
        bool operator==(const PromptOnWedge&) const = default;
    };
    struct ToastFull {
        bool operator==(const ToastFull&) const = default;
    };
    std::variant<None, Insert, Swap, PromptOnWedge, ToastFull> value;

    bool operator==(const CommitAction&) const = default;
    template <class T>
    const T* get() const { return std::get_if<T>(&value); }
};

// The ring's drop rules for one rendering: the slots as drawn, the centre
// in the drop area's coordinates, the radii and whether the dial is full.
struct DialDropDelegate {
    std::vector<SlotConfig> slots;
    QPointF centre{kRingAreaSide / 2, kRingAreaSide / 2};
    double innerRadius = kRingInnerRadius;
    double outerRadius = kRingOuterRadius;
    bool isFull = false;

    DragState dragStateFor(const SlotDragPayload& payload, QPointF location) const;
    CommitAction resolveCommit(const SlotDragPayload& payload, QPointF location) const;
    // A library item handed over with no place on the ring (from the
    // keyboard): after the last slot, or the full dial's toast.
    CommitAction resolveAppend(const SlotDragPayload& payload) const;
};

// The payload of a drag's text: the prefix, then the payload's JSON. Nothing
// for absent text, a missing prefix, bad JSON or a payload of the wrong shape.
std::optional<SlotDragPayload> decodeSlotPayload(const std::optional<std::string_view>& text);
// Whether the dial already holds the library item (existing slots: never).
bool payloadAlreadyOnDial(const SlotDragPayload& payload, const std::vector<SlotConfig>& slots);
// The trash takes only wedges; the empty dial only library items.
bool isLibraryPayload(const SlotDragPayload& payload);
bool trashAccepts(const std::optional<SlotDragPayload>& payload);
bool emptyDialAccepts(const std::optional<SlotDragPayload>& payload);
// A new global slot with automatic icon for a library item; nothing for an
// existing slot or an action identifier no parameterless action has.
std::optional<SlotConfig> slotConfigFromPayload(const SlotDragPayload& payload);

// The drag session over the ring: what it previews, the payload decoded on
// entry, and a token that changes at the start and the end of every session,
// so a late answer for an earlier session changes nothing. GUI thread only.
class DialDragCoordinator {
public:
    const DragState& dragState() const { return dragState_; }
    const std::optional<SlotDragPayload>& cachedPayload() const { return cachedPayload_; }
    std::uint64_t sessionToken() const { return sessionToken_; }

    // Both: next token, state idle, no payload. beginSession returns the token.
    std::uint64_t beginSession();
    void endSession();
    // Stores the payload and the state only while `token` is current.
    void applyLoadedPayload(const SlotDragPayload& payload, std::uint64_t token, const DragState& state);
    // Moves the preview of a session whose payload is known.
    void setDragState(const DragState& state);

    // Called after every change of the drag state.
    std::function<void()> onChange;

private:
    void reset();
    DragState dragState_;
    std::optional<SlotDragPayload> cachedPayload_;
    std::uint64_t sessionToken_ = 0;
};

}  // namespace orbel::editor
