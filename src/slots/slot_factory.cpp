#include "slots/slot_factory.h"

#include "slots/slot_classes.h"

namespace orbel {

MenuSlotPtr SlotFactory::makeSlot(const SlotConfig& config) {
    const SlotType& type = config.type;
    if (type.is<SlotType::App>()) return std::make_shared<AppSlot>(config);
    if (type.is<SlotType::Action>()) return std::make_shared<ActionSlot>(config);
    if (type.is<SlotType::Group>()) return std::make_shared<GroupSlot>(config);
    if (type.is<SlotType::Keystroke>()) return std::make_shared<KeystrokeSlot>(config);
    if (type.is<SlotType::Script>()) return std::make_shared<ScriptSlot>(config);
    if (type.is<SlotType::Snippet>()) return std::make_shared<SnippetSlot>(config);
    if (type.is<SlotType::Dynamic>()) return std::make_shared<DynamicSlot>(config);
    if (type.is<SlotType::Cycling>()) return std::make_shared<CyclingSlot>(config);
    if (type.is<SlotType::ModeSwitch>()) return std::make_shared<ModeSwitchSlot>(config);
    if (type.is<SlotType::ProfileTarget>()) return std::make_shared<ProfileTargetSlot>(config);
    if (type.is<SlotType::ProfileSwitch>()) return std::make_shared<ProfileSwitchSlot>(config);
    return nullptr;  // transport and volumeScrub belong to the music mode
}

std::vector<MenuSlotPtr> SlotFactory::makeSlots(const std::vector<SlotConfig>& configs) {
    std::vector<MenuSlotPtr> slots;
    slots.reserve(configs.size());
    for (const auto& config : configs) {
        if (MenuSlotPtr slot = makeSlot(config)) slots.push_back(std::move(slot));
    }
    return slots;
}

std::string fallbackSymbol(const SlotType& type) {
    if (const auto* action = type.get<SlotType::Action>()) return std::string(action->action.symbolName());
    if (type.is<SlotType::App>()) return "app";
    if (type.is<SlotType::Group>()) return "folder";
    if (type.is<SlotType::Keystroke>()) return "keyboard";
    if (type.is<SlotType::Script>()) return "applescript";
    if (type.is<SlotType::Snippet>()) return "doc.on.clipboard";
    if (type.is<SlotType::Dynamic>()) return "gauge.with.dots.needle.bottom.50percent";
    if (type.is<SlotType::Cycling>()) return "arrow.triangle.2.circlepath";
    if (const auto* mode = type.get<SlotType::ModeSwitch>()) {
        return mode->mode == DialMode::music ? "music.note" : "circle.grid.cross";
    }
    if (type.is<SlotType::ProfileTarget>() || type.is<SlotType::ProfileSwitch>()) return "person.crop.rectangle.stack";
    // The music kinds, as the music dial draws them at rest.
    if (const auto* transport = type.get<SlotType::Transport>()) {
        switch (transport->command) {
            case TransportCommand::next: return "forward.end.fill";
            case TransportCommand::prev: return "backward.end.fill";
            case TransportCommand::toggle: break;
        }
        return "play.fill";
    }
    if (type.is<SlotType::VolumeScrub>()) return "speaker.wave.2.fill";
    return {};
}

std::string fallbackSymbol(const SlotType& type, const SlotIcon& icon) {
    if (type.is<SlotType::ModeSwitch>() && !icon.isAuto()) return "circle";
    return fallbackSymbol(type);
}

SlotImage SlotFactory::imageFor(const SlotConfig& config) {
    const SlotType& type = config.type;
    if (const auto* app = type.get<SlotType::App>()) return AppSlot::imageFor(app->bundleId);
    // Actions and the music kinds never show a configured icon; groups
    // describe themselves as "Group".
    if (type.is<SlotType::Action>() || type.is<SlotType::Transport>() || type.is<SlotType::VolumeScrub>())
        return SlotImage{SlotIcon::automatic(), fallbackSymbol(type), config.title, {}};
    if (type.is<SlotType::Group>()) return SlotImage{config.icon, fallbackSymbol(type), "Group", {}};
    return SlotImage{config.icon, fallbackSymbol(type, config.icon), config.title, {}};
}

std::string SlotFactory::titleFor(const SlotConfig& config) {
    if (const auto* app = config.type.get<SlotType::App>()) return AppSlot::titleFor(app->bundleId, config.title);
    return config.title;
}

}  // namespace orbel
