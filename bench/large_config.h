#pragma once

// Large configurations for the benchmarks:
// - largeConfig(): about 330 slots of every kind in groups nested three
//   levels deep, plus twenty per-app dials (about 130 KB written);
// - profileConfig(): one of six profiles a heavy user might keep, six slots
//   per level four levels deep and twenty per-app dials of six (1,674 slots,
//   about 600 KB written), as the loader accepts it.

#include <optional>
#include <string>
#include <vector>

#include "model/app_config.h"

namespace orbel::bench {

inline SlotConfig leaf(int i) {
    SlotConfig s;
    switch (i % 11) {
        case 0: s.type = SlotType::app("com.example.app" + std::to_string(i)); break;
        case 1: s.type = SlotType::action(SystemAction::setVolume(0.25)); break;
        case 2:
            s.type = SlotType::keystroke({MacroStep::chord(*KeyCombination::parse("cmd+shift+4")), MacroStep::wait(120),
                                          MacroStep::text("hello / world"), MacroStep::clipboardPush(),
                                          MacroStep::waitForWindow("com.example.x", "Doc", 2000)});
            break;
        case 3: s.type = SlotType::script(ScriptInvocation{ScriptLanguage::shell, "echo $RANDOM | tr 0-9 a-j"}); break;
        case 4: s.type = SlotType::snippet("Kind regards,\nThe Orbel team"); break;
        case 5: {
            DynamicSlotConfig d;
            d.producer = ScriptInvocation{ScriptLanguage::shell, "date +%H:%M"};
            d.refresh = RefreshPolicy::interval(30);
            s.type = SlotType::dynamic(d);
            break;
        }
        case 6: {
            SlotConfig a, b;
            a.type = SlotType::app("com.example.a");
            b.type = SlotType::snippet("b");
            a.title = "A";
            b.title = "B";
            s.type = SlotType::cycling({a, b});
            break;
        }
        case 7: s.type = SlotType::transport(TransportCommand::next); break;
        case 8: s.type = SlotType::modeSwitch(DialMode::music); break;
        case 9: s.type = SlotType::profileTarget("Work " + std::to_string(i)); break;
        default: s.type = SlotType::volumeScrub(); break;
    }
    s.title = "Slot " + std::to_string(i);
    if (i % 3 == 0) s.icon = SlotIcon::monogram("S" + std::to_string(i % 10), "#1E90FF");
    if (i % 5 == 0) s.scope = SlotScope::apps({"com.example.one", "com.example.two"});
    return s;
}

// Twenty per-app dials of six slots, numbered on from `n`.
inline void addPerAppDials(AppConfig& config, int& n, std::optional<double> radius) {
    for (int i = 0; i < 20; ++i) {
        AppOverride o;
        std::vector<SlotConfig> slots;
        for (int k = 0; k < 6; ++k) slots.push_back(leaf(n++));
        o.slots = std::move(slots);
        o.menuTitle = "App " + std::to_string(i);
        o.menuRadius = radius;
        config.appOverrides["com.example.per-app." + std::to_string(i)] = std::move(o);
    }
}

inline AppConfig largeConfig() {
    AppConfig config;
    int n = 0;
    // 6 root groups x 6 groups x 8 leaves + the groups themselves: ~330 slots.
    for (int a = 0; a < 6; ++a) {
        std::vector<SlotConfig> middle;
        for (int b = 0; b < 6; ++b) {
            std::vector<SlotConfig> leaves;
            for (int c = 0; c < 8; ++c) leaves.push_back(leaf(n++));
            middle.push_back(SlotConfig::makeGroup("Level 2." + std::to_string(b), std::move(leaves)));
        }
        config.rootGroup.slots.push_back(SlotConfig::makeGroup("Level 1." + std::to_string(a), std::move(middle)));
    }
    addPerAppDials(config, n, 240);
    return config;
}

// Six slots per level, four levels: 6 + 36 + 216 + 1,296 slots, and 120 in
// per-app dials. `profile`
// (0 to 5) makes each profile's titles its own.
inline AppConfig profileConfig(int profile) {
    AppConfig config;
    int n = profile * 10'000;
    auto level = [&](auto& self, int depth) -> std::vector<SlotConfig> {
        std::vector<SlotConfig> slots;
        for (int i = 0; i < 6; ++i) {
            if (depth == 3) {
                SlotConfig slot = leaf(n++);
                slot.title += " of profile " + std::to_string(profile) + " on level four";
                slots.push_back(std::move(slot));
                continue;
            }
            slots.push_back(SlotConfig::makeGroup("Level " + std::to_string(depth) + "." + std::to_string(n++),
                                                  self(self, depth + 1)));
        }
        return slots;
    };
    config.rootGroup.slots = level(level, 0);
    addPerAppDials(config, n, std::nullopt);
    config.profileIcon = SlotIcon::monogram("P" + std::to_string(profile));
    return config;
}

inline const char* profileName(int profile) {
    static const char* names[] = {"Home", "Work", "Music", "Code", "Games", "Travel"};
    return names[profile % 6];
}

}  // namespace orbel::bench
