#include "model/slot_icon.h"

#include "model/raw_enum.h"
#include "model/text.h"

namespace orbel {

const std::set<std::string, std::less<>>& imageFileExtensions() {
    static const std::set<std::string, std::less<>> extensions = {
        "png", "jpg", "jpeg", "gif", "tiff", "tif", "bmp",
        "heic", "heif", "webp", "svg", "icns", "ico",
    };
    return extensions;
}

namespace {

constexpr raw_enum::Table<SlotIcon::Kind, 4> kKinds{{
    {SlotIcon::Kind::automatic, "auto"},
    {SlotIcon::Kind::symbolPack, "symbolPack"},
    {SlotIcon::Kind::text, "text"},
    {SlotIcon::Kind::customImage, "customImage"},
}};

}  // namespace

std::string_view rawValue(SlotIcon::Kind kind) { return raw_enum::rawValue(kKinds, kind); }

std::optional<SlotIcon::Kind> slotIconKindFromRaw(std::string_view raw) { return raw_enum::fromRaw(kKinds, raw); }

std::optional<Rgb> SlotIcon::Text::tint() const {
    if (!tintHex) return std::nullopt;
    return parseHexColor(*tintHex);
}

SlotIcon::Kind SlotIcon::kind() const {
    struct Visitor {
        Kind operator()(const SymbolPack&) const { return Kind::symbolPack; }
        Kind operator()(const Text&) const { return Kind::text; }
        Kind operator()(const CustomImage&) const { return Kind::customImage; }
        Kind operator()(const Auto&) const { return Kind::automatic; }
    };
    return std::visit(Visitor{}, value);
}

namespace {

enum class ShorthandFailure { unrecognized, packAndName };

// The shorthand rules without the error reporting: the icon, or which of the
// two failures applies.
std::variant<SlotIcon, ShorthandFailure> readShorthand(std::string_view s) {
    if (s == "auto") return SlotIcon::automatic();

    const std::string trimmed = text::trimSpacesAndTabs(s);
    if (!trimmed.empty() && (trimmed.front() == '/' || trimmed.front() == '~')) {
        return SlotIcon::customImage(std::string(s));
    }

    // The last non-empty piece after a "." (the whole text when it has none).
    std::string_view rest = trimmed;
    while (!rest.empty() && rest.back() == '.') rest.remove_suffix(1);
    if (!rest.empty()) {
        const std::size_t dot = rest.rfind('.');
        const std::string_view last = dot == std::string_view::npos ? rest : rest.substr(dot + 1);
        if (imageFileExtensions().contains(text::toLower(last))) {
            return SlotIcon::customImage(std::string(s));
        }
    }

    const std::size_t colon = s.find(':');
    if (colon == std::string_view::npos) {
        const std::size_t count = text::graphemeCount(s);
        if (count >= 1 && count <= 3) return SlotIcon::monogram(std::string(s));
        return ShorthandFailure::unrecognized;
    }
    const std::string_view pack = s.substr(0, colon);
    const std::string_view name = s.substr(colon + 1);
    if (pack.empty() || name.empty()) return ShorthandFailure::packAndName;
    return SlotIcon::symbolPack(IconPack{std::string(pack)}, std::string(name));
}

}  // namespace

SlotIcon SlotIcon::parseShorthand(std::string_view text, const json::Node& node) {
    auto result = readShorthand(text);
    if (auto* icon = std::get_if<SlotIcon>(&result)) return std::move(*icon);
    const std::string quoted = "\"" + std::string(text) + "\"";
    switch (std::get<ShorthandFailure>(result)) {
        case ShorthandFailure::unrecognized:
            node.fail("Unrecognized icon shorthand " + quoted +
                      ". Use \"auto\", \"pack:name\", a 1\u20133 char monogram, or a file path.");
        case ShorthandFailure::packAndName:
            node.fail("Icon shorthand " + quoted + " must be \"pack:name\"");
    }
    node.fail("Unrecognized icon shorthand " + quoted);
}

std::optional<std::string> SlotIcon::shorthand() const {
    std::optional<std::string> candidate;
    if (std::holds_alternative<Auto>(value)) {
        candidate = "auto";
    } else if (auto* p = get<SymbolPack>()) {
        candidate = p->pack.rawValue + ":" + p->name;
    } else if (auto* t = get<Text>()) {
        if (!t->tintHex) candidate = t->text;
    } else if (auto* c = get<CustomImage>()) {
        candidate = c->path;
    }
    if (!candidate) return std::nullopt;
    // Only a text that reads back as this very icon will do.
    auto back = readShorthand(*candidate);
    if (auto* icon = std::get_if<SlotIcon>(&back); icon && *icon == *this) return candidate;
    return std::nullopt;
}

SlotIcon SlotIcon::fromJson(const json::Node& node) {
    if (node.isString()) return parseShorthand(node.asString(), node);

    switch (raw_enum::fromJson(kKinds, node["kind"], "Kind")) {
        case Kind::automatic: return automatic();
        case Kind::symbolPack: return symbolPack(IconPack::fromJson(node["pack"]), node.string("name"));
        case Kind::text: return monogram(node.string("text"), node.optionalString("tintHex"));
        case Kind::customImage: return customImage(node.string("path"));
    }
    return automatic();
}

json::Json SlotIcon::toJson() const {
    json::Json out = json::Json::object();
    out["kind"] = std::string(rawValue(kind()));
    if (auto* p = get<SymbolPack>()) {
        out["pack"] = p->pack.toJson();
        out["name"] = p->name;
    } else if (auto* t = get<Text>()) {
        out["text"] = t->text;
        if (t->tintHex) out["tintHex"] = *t->tintHex;
    } else if (auto* c = get<CustomImage>()) {
        out["path"] = c->path;
    }
    return out;
}

}  // namespace orbel
