#pragma once

// A large configuration for the benchmarks: about 330 slots of every kind in
// groups nested three levels deep, plus twenty per-app dials (about 130 KB
// written).

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
    for (int i = 0; i < 20; ++i) {
        AppOverride o;
        std::vector<SlotConfig> slots;
        for (int k = 0; k < 6; ++k) slots.push_back(leaf(n++));
        o.slots = std::move(slots);
        o.menuTitle = "App " + std::to_string(i);
        o.menuRadius = 240;
        config.appOverrides["com.example.per-app." + std::to_string(i)] = std::move(o);
    }
    return config;
}

}  // namespace orbel::bench
