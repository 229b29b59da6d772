#pragma once

// What a wedge shows besides its title: a pack symbol, a monogram with an
// optional tint, an image file, or nothing chosen (`auto`: the slot's kind
// decides).
//
// Stored as an object with "kind"; hand-written files may use the shorthand
// text instead: "auto", "pack:name", a 1-3 character monogram or a file path.

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>

#include "model/hex_color.h"
#include "model/icon_pack.h"
#include "model/json.h"

namespace orbel {

// File-name extensions (lower case) by which the shorthand recognises an
// image file.
const std::set<std::string, std::less<>>& imageFileExtensions();

struct SlotIcon {
    struct SymbolPack {
        IconPack pack;
        std::string name;
        bool operator==(const SymbolPack&) const = default;
    };
    struct Text {
        std::string text;
        std::optional<std::string> tintHex;  // interpreted where the icon is drawn
        bool operator==(const Text&) const = default;
        // The tint as a colour, when present and readable.
        std::optional<Rgb> tint() const;
    };
    struct CustomImage {
        std::string path;
        bool operator==(const CustomImage&) const = default;
    };
    struct Auto {
        bool operator==(const Auto&) const = default;
    };

    // The JSON "kind" values.
    enum class Kind { automatic, symbolPack, text, customImage };

    std::variant<SymbolPack, Text, CustomImage, Auto> value = Auto{};

    static SlotIcon automatic() { return SlotIcon{Auto{}}; }
    static SlotIcon symbolPack(IconPack pack, std::string name) {
        return SlotIcon{SymbolPack{std::move(pack), std::move(name)}};
    }
    static SlotIcon monogram(std::string text, std::optional<std::string> tintHex = std::nullopt) {
        return SlotIcon{Text{std::move(text), std::move(tintHex)}};
    }
    static SlotIcon customImage(std::string path) { return SlotIcon{CustomImage{std::move(path)}}; }

    Kind kind() const;
    bool isAuto() const { return std::holds_alternative<Auto>(value); }
    template <class T>
    const T* get() const { return std::get_if<T>(&value); }

    bool operator==(const SlotIcon&) const = default;

    // Reads a shorthand text. `node` is the value being decoded; both
    // failures are data-corrupted errors at its path:
    //   Unrecognized icon shorthand "<text>". Use "auto", "pack:name", a 1–3 char monogram, or a file path.
    //   Icon shorthand "<text>" must be "pack:name"
    static SlotIcon parseShorthand(std::string_view text, const json::Node& node);

    // The shorthand text that reads back as this icon, when there is one
    // (a tinted monogram, for one, has none). Encoding never uses it.
    std::optional<std::string> shorthand() const;

    // A shorthand string or a keyed object.
    static SlotIcon fromJson(const json::Node& node);
    // Always the keyed object: "kind" first, then the payload.
    json::Json toJson() const;
};

std::string_view rawValue(SlotIcon::Kind kind);
std::optional<SlotIcon::Kind> slotIconKindFromRaw(std::string_view raw);

}  // namespace orbel
