#pragma once

// One wedge of the dial as stored: its kind with payload, title, icon and
// scope; and one level of the dial, the group. The two refer to each other
// (a group slot carries a group, a group holds slots), so both live here.

#include <functional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "model/box.h"
#include "model/dial_mode.h"
#include "model/dynamic_slot_config.h"
#include "model/json.h"
#include "model/macro_step.h"
#include "model/script_invocation.h"
#include "model/slot_icon.h"
#include "model/slot_scope.h"
#include "model/system_action.h"
#include "model/text.h"
#include "model/uuid.h"
#include "model/transport_command.h"

namespace orbel {

struct MenuGroup;
struct SlotConfig;

// The name of a profile; a bare JSON string, trimmed of spaces and tabs when read.
struct ProfileReference {
    std::string name;
    bool operator==(const ProfileReference&) const = default;
    static ProfileReference fromJson(const json::Node& node);
    json::Json toJson() const { return name; }
};

class SlotType {
public:
    struct App {
        std::string bundleId;
        bool operator==(const App&) const = default;
    };
    struct Action {
        SystemAction action;
        bool operator==(const Action&) const = default;
    };
    // Equal when the groups share an id; titles and slots are not compared.
    struct Group {
        Box<MenuGroup> group;
        bool operator==(const Group& other) const;
    };
    struct Keystroke {
        std::vector<MacroStep> steps;
        bool operator==(const Keystroke&) const = default;
    };
    struct Script {
        ScriptInvocation invocation;
        bool operator==(const Script&) const = default;
    };
    struct Snippet {
        std::string text;
        bool operator==(const Snippet&) const = default;
    };
    struct Dynamic {
        DynamicSlotConfig config;
        bool operator==(const Dynamic&) const = default;
    };
    struct Cycling {
        std::vector<SlotConfig> children;
        // Defined below, once SlotConfig is complete.
        Cycling();
        explicit Cycling(std::vector<SlotConfig> c);
        Cycling(const Cycling&);
        Cycling(Cycling&&) noexcept;
        Cycling& operator=(const Cycling&);
        Cycling& operator=(Cycling&&) noexcept;
        ~Cycling();
        bool operator==(const Cycling& other) const;
    };
    struct Transport {
        TransportCommand command = TransportCommand::toggle;
        bool operator==(const Transport&) const = default;
    };
    struct ModeSwitch {
        DialMode mode = DialMode::standard;
        bool operator==(const ModeSwitch&) const = default;
    };
    struct ProfileTarget {
        ProfileReference profile;
        bool operator==(const ProfileTarget&) const = default;
    };
    struct VolumeScrub {
        bool operator==(const VolumeScrub&) const = default;
    };
    struct ProfileSwitch {
        bool operator==(const ProfileSwitch&) const = default;
    };

    using Value = std::variant<App, Action, Group, Keystroke, Script, Snippet, Dynamic, Cycling, Transport,
                               ModeSwitch, ProfileTarget, VolumeScrub, ProfileSwitch>;

    template <class T, class = std::enable_if_t<!std::is_same_v<std::decay_t<T>, SlotType> &&
                                                std::is_constructible_v<Value, T&&>>>
    SlotType(T&& v) : value(std::forward<T>(v)) {}  // NOLINT: implicit on purpose
    SlotType();  // defined below, once SlotConfig is complete

    static SlotType app(std::string bundleId) { return App{std::move(bundleId)}; }
    static SlotType action(SystemAction a) { return Action{a}; }
    static SlotType group(MenuGroup g);
    static SlotType keystroke(std::vector<MacroStep> steps) { return Keystroke{std::move(steps)}; }
    static SlotType script(ScriptInvocation s) { return Script{std::move(s)}; }
    static SlotType snippet(std::string text) { return Snippet{std::move(text)}; }
    static SlotType dynamic(DynamicSlotConfig c) { return Dynamic{std::move(c)}; }
    static SlotType cycling(std::vector<SlotConfig> children);
    static SlotType transport(TransportCommand c) { return Transport{c}; }
    static SlotType modeSwitch(DialMode m) { return ModeSwitch{m}; }
    static SlotType profileTarget(std::string name) { return ProfileTarget{ProfileReference{std::move(name)}}; }
    static SlotType volumeScrub() { return VolumeScrub{}; }
    static SlotType profileSwitch() { return ProfileSwitch{}; }

    template <class T>
    bool is() const { return std::holds_alternative<T>(value); }
    template <class T>
    const T* get() const { return std::get_if<T>(&value); }
    template <class T>
    T* get() { return std::get_if<T>(&value); }

    // The title a slot of this kind takes when none is stored.
    std::string defaultTitle() const;

    bool operator==(const SlotType& other) const { return value == other.value; }
    bool matches(const SlotType& other) const { return *this == other; }

    // The keyed kind object found under "type".
    static SlotType fromJson(const json::Node& node);
    json::Json toJson() const;

    Value value;
};

struct SlotConfig {
    Uuid id = Uuid::random();
    SlotType type;
    std::string title;
    SlotIcon icon = SlotIcon::automatic();
    SlotScope scope = SlotScope::global();

    bool operator==(const SlotConfig&) const = default;

    // A new slot (fresh id, global scope).
    static SlotConfig make(SlotType type, std::string title, SlotIcon icon = SlotIcon::automatic());
    // A new group slot titled like its new group.
    static SlotConfig makeGroup(std::string title, std::vector<SlotConfig> slots, SlotIcon icon = SlotIcon::automatic());
    // A new slot that opens an installed application, titled with its name;
    // an application without a name (a desktop entry with an empty or blank
    // Name) is titled with its desktop entry's id, so the slot stays valid.
    static SlotConfig makeApp(std::string bundleId, const std::string& name);

    // The icon the encoder stores: a group slot shows its group's own icon
    // when that is set.
    SlotIcon effectiveIcon() const;

    static SlotConfig fromJson(const json::Node& node);
    json::Json toJson() const;
    // The kind read from the flat keys, or nothing when none is present.
    static std::optional<SlotType> decodeFlatDiscriminator(const json::Node& node);
};

struct MenuGroup {
    Uuid id = Uuid::random();
    std::string title;
    std::vector<SlotConfig> slots;
    SlotIcon icon = SlotIcon::automatic();

    static MenuGroup fromJson(const json::Node& node);
    json::Json toJson() const;
};

inline SlotType::Cycling::Cycling() = default;
inline SlotType::Cycling::Cycling(std::vector<SlotConfig> c) : children(std::move(c)) {}
inline SlotType::Cycling::Cycling(const Cycling&) = default;
inline SlotType::Cycling::Cycling(Cycling&&) noexcept = default;
inline SlotType::Cycling& SlotType::Cycling::operator=(const Cycling&) = default;
inline SlotType::Cycling& SlotType::Cycling::operator=(Cycling&&) noexcept = default;
inline SlotType::Cycling::~Cycling() = default;

// Slot lists as JSON arrays.
std::vector<SlotConfig> slotsFromJson(const json::Node& node);
json::Json slotsToJson(const std::vector<SlotConfig>& slots);

// Out of line: clang instantiates the variant's constexpr constructor (and
// with it every alternative's destructor) where this is defined, and
// Cycling's children need a complete SlotConfig.
inline SlotType::SlotType() : value(ProfileSwitch{}) {}

inline constexpr const char* kNoDiscriminatorMessage =
    "Slot has no discriminator (expected one of: app, action, group, keystroke, type)";

}  // namespace orbel

// Profile references are keys by name (sets of profile targets, lookups).
template <>
struct std::hash<orbel::ProfileReference> {
    std::size_t operator()(const orbel::ProfileReference& p) const noexcept {
        return std::hash<std::string>()(p.name);
    }
};
