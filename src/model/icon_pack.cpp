#include "model/icon_pack.h"

#include "model/text.h"

namespace orbel {

const std::vector<std::pair<std::string, std::string>>& IconPack::knownPacks() {
    static const std::vector<std::pair<std::string, std::string>> packs = {
        {"sf", "System Symbols"},  // the bundled symbol set standing in for the system's
        {"lucide", "Lucide"},
        {"phosphor", "Phosphor"},
        {"hugeicons", "Hugeicons"},
        {"iconoir", "Iconoir"},
        {"mdi", "Material Design Icons"},
        {"material-symbols", "Material Symbols"},
        {"tabler", "Tabler"},
        {"ri", "Remix Icon"},
        {"heroicons", "Heroicons"},
        {"feather", "Feather"},
        {"bi", "Bootstrap Icons"},
        {"carbon", "Carbon"},
        {"fluent", "Fluent UI"},
        {"radix-icons", "Radix Icons"},
        {"octicon", "Octicons"},
        {"ion", "Ionicons"},
        {"ant-design", "Ant Design Icons"},
        {"bx", "Boxicons"},
        {"cssgg", "CSS.gg"},
        {"simple-icons", "Simple Icons"},
    };
    return packs;
}

std::string IconPack::displayName() const {
    for (const auto& [id, name] : knownPacks()) {
        if (id == rawValue) return name;
    }
    std::string out;
    std::string_view rest = rawValue;
    while (!rest.empty()) {
        const std::size_t dash = rest.find('-');
        const std::string_view piece = rest.substr(0, dash);
        rest = dash == std::string_view::npos ? std::string_view{} : rest.substr(dash + 1);
        if (piece.empty()) continue;
        if (!out.empty()) out += ' ';
        out += text::capitalizeFirst(piece);
    }
    return out;
}

std::optional<std::string> IconPack::fontPostScriptName() const {
    if (rawValue == "phosphor") return std::string("Phosphor-Regular");
    return std::nullopt;
}

IconPack IconPack::fromJson(const json::Node& node) { return IconPack{node.asString()}; }

json::Json IconPack::toJson() const { return rawValue; }

}  // namespace orbel
