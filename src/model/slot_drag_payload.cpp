#include "model/slot_drag_payload.h"

#include <array>
#include <optional>

#include "model/json_writer.h"
#include "model/overloaded.h"

namespace orbel {

namespace {

constexpr std::array<std::string_view, 4> kCaseNames = {"libraryApp", "libraryAction", "libraryKeystroke",
                                                        "existingSlot"};

Uuid uuidFromJson(const json::Node& node) {
    const std::string text = node.asString();
    if (auto id = Uuid::parse(text)) return *id;
    node.fail("Attempted to decode UUID from invalid UUID string.");
}

}  // namespace

SlotDragPayload::Kind SlotDragPayload::kindFromJson(const json::Node& node) {
    node.requireObject();
    std::optional<std::string_view> found;
    int count = 0;
    for (const std::string_view name : kCaseNames) {
        if (node.has(name)) {
            found = name;
            ++count;
        }
    }
    if (count != 1) {
        throw json::DecodingError(json::DecodingError::Kind::typeMismatch, node.path(),
                                  kInvalidCaseKeyCountMessage);
    }
    const json::Node values = node[*found];
    values.requireObject();
    if (*found == "libraryApp") return LibraryApp{values.string("bundleId"), values.string("name")};
    if (*found == "libraryAction") return LibraryAction{values.string("actionId")};
    if (*found == "libraryKeystroke") {
        auto sequence = values["sequence"].map([](const json::Node& n) { return KeyCombination::fromJson(n); });
        return LibraryKeystroke{std::move(sequence), values.string("title")};
    }
    return ExistingSlot{uuidFromJson(values["id"])};
}

json::Json SlotDragPayload::kindToJson(const Kind& kind) {
    json::Json values = json::Json::object();
    const char* name = std::visit(
        Overloaded{
            [&](const LibraryApp& c) {
                values["bundleId"] = c.bundleId;
                values["name"] = c.name;
                return "libraryApp";
            },
            [&](const LibraryAction& c) {
                values["actionId"] = c.actionId;
                return "libraryAction";
            },
            [&](const LibraryKeystroke& c) {
                json::Json sequence = json::Json::array();
                for (const KeyCombination& k : c.sequence) sequence.push_back(k.toJson());
                values["sequence"] = std::move(sequence);
                values["title"] = c.title;
                return "libraryKeystroke";
            },
            [&](const ExistingSlot& c) {
                values["id"] = c.id.toString();
                return "existingSlot";
            },
        },
        kind);
    json::Json out = json::Json::object();
    out[name] = std::move(values);
    return out;
}

SlotDragPayload SlotDragPayload::fromJson(const json::Node& node) { return {kindFromJson(node["kind"])}; }

json::Json SlotDragPayload::toJson() const {
    json::Json out = json::Json::object();
    out["kind"] = kindToJson(kind);
    return out;
}

std::string SlotDragPayload::exportString() const {
    std::string body;
    try {
        body = json::write(toJson());
    } catch (const std::exception&) {
        body.clear();  // the bare prefix, which no reader accepts
    }
    return std::string(kPrefix) + body;
}

SlotDragPayload SlotDragPayload::importString(std::string_view text) {
    if (!text.starts_with(kPrefix)) throw SlotDragPayloadError();
    try {
        const json::Json doc = json::parse(text.substr(kPrefix.size()));
        return fromJson(json::Node(doc));
    } catch (const json::DecodingError&) {
        throw SlotDragPayloadError();
    } catch (const nlohmann::json::exception&) {
        throw SlotDragPayloadError();
    }
}

}  // namespace orbel
