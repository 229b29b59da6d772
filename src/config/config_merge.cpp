#include "config/config_merge.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "model/json.h"

namespace orbel {

namespace {

using json::Json;

struct NoLongerMeant {
    std::string why;
};

std::string quoted(const std::string& text) { return "\u201C" + text + "\u201D"; }

// A setting: the user's value where only the user changed it, the other
// program's where only that program did.
Json mergedValue(const Json& base, const Json& mine, const Json& theirs, const std::string& name) {
    if (mine == base) return theirs;
    if (theirs == base || theirs == mine) return mine;
    if (base.is_object() && mine.is_object() && theirs.is_object()) {
        const auto member = [](const Json& object, const std::string& key) {
            const auto it = object.find(key);
            return it == object.end() ? Json() : *it;
        };
        Json out = Json::object();
        std::vector<std::string> keys;
        for (const Json* object : {&mine, &theirs, &base})
            for (const auto& [key, value] : object->items())
                if (std::find(keys.begin(), keys.end(), key) == keys.end()) keys.push_back(key);
        for (const auto& key : keys) {
            Json value = mergedValue(member(base, key), member(mine, key), member(theirs, key),
                                     name.empty() ? key : name + "." + key);
            if (!value.is_null()) out[key] = std::move(value);
        }
        return out;
    }
    throw NoLongerMeant{"it changed " + quoted(name.empty() ? std::string("the settings") : name) + " too"};
}

// What a slot holds, without its id.
std::string content(const SlotConfig& slot) { return slot.toJson().dump(); }

std::vector<std::string> contents(const std::vector<SlotConfig>& slots) {
    std::vector<std::string> out;
    out.reserve(slots.size());
    for (const auto& slot : slots) out.push_back(content(slot));
    return out;
}

// One level of slots: the user's removals, edits, moves and additions,
// made on the slots they saw, wherever the other save has them.
std::vector<SlotConfig> mergedSlots(const std::vector<SlotConfig>& base, const std::vector<SlotConfig>& mine,
                                    const std::vector<SlotConfig>& theirs, const std::string& level) {
    const auto baseContents = contents(base), theirContents = contents(theirs);
    if (baseContents == theirContents) return mine;
    if (contents(mine) == baseContents) return theirs;
    const auto gone = [&](const SlotConfig& slot) {
        return NoLongerMeant{"the slot " + quoted(slot.title) + " is no longer in " + level + " as it was"};
    };
    const auto alike = [&](const SlotConfig& slot) {
        return NoLongerMeant{"the slot " + quoted(slot.title) + " cannot be told apart from another in " + level};
    };
    // Each slot the user saw, found in the other save by what it holds: only
    // where it holds something no other slot holds, in either save. Equal
    // slots are left unfound (`alike`): which of them is which would be a guess.
    const auto occurrences = [](const std::vector<std::string>& all, const std::string& one) {
        return std::count(all.begin(), all.end(), one);
    };
    std::vector<std::optional<std::size_t>> found(base.size());
    std::vector<bool> ambiguous(base.size(), false);
    for (std::size_t i = 0; i < base.size(); ++i) {
        const auto inTheirs = occurrences(theirContents, baseContents[i]);
        ambiguous[i] = inTheirs > 1 || (inTheirs == 1 && occurrences(baseContents, baseContents[i]) > 1);
        if (inTheirs != 1 || ambiguous[i]) continue;
        found[i] = std::size_t(std::find(theirContents.begin(), theirContents.end(), baseContents[i]) -
                               theirContents.begin());
    }
    // The slot the user acted on, where the other save has it.
    const auto where = [&](std::size_t i) {
        if (ambiguous[i]) throw alike(base[i]);
        if (!found[i]) throw gone(base[i]);
        return *found[i];
    };
    const auto inBase = [&](const Uuid& id) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < base.size(); ++i)
            if (base[i].id == id) return i;
        return std::nullopt;
    };
    const auto inMine = [&](const Uuid& id) {
        return std::any_of(mine.begin(), mine.end(), [&](const SlotConfig& s) { return s.id == id; });
    };
    // The other save's slots, each with the id of the slot the user saw in it.
    struct Entry {
        SlotConfig slot;
        std::optional<Uuid> seen;
        bool removed = false;
    };
    std::vector<Entry> result;
    for (const auto& slot : theirs) result.push_back({slot, std::nullopt});
    for (std::size_t i = 0; i < base.size(); ++i)
        if (found[i]) result[*found[i]].seen = base[i].id;
    // Removed and edited slots.
    for (std::size_t i = 0; i < base.size(); ++i) {
        const auto kept =
            std::find_if(mine.begin(), mine.end(), [&](const SlotConfig& s) { return s.id == base[i].id; });
        const bool edited = kept != mine.end() && content(*kept) != baseContents[i];
        if (kept != mine.end() && !edited) continue;
        if (edited) result[where(i)].slot = *kept;
        else result[where(i)].removed = true;
    }
    // Moves. Where the other save already has the slots the user moved in
    // the user's order (the same move, made on another machine), the move is
    // done. Two slots the user exchanged are exchanged where the other save
    // has them. Any other move puts the slots the user kept, among the places
    // the other save has them in, in the order the user gave them: only
    // where the other save moved none of them, and holds each one once.
    std::vector<Uuid> keptOrder, baseOrder;
    for (const auto& slot : mine)
        if (inBase(slot.id)) keptOrder.push_back(slot.id);
    for (const auto& slot : base)
        if (inMine(slot.id)) baseOrder.push_back(slot.id);
    if (keptOrder != baseOrder) {
        std::vector<std::size_t> differ;
        for (std::size_t k = 0; k < keptOrder.size(); ++k)
            if (keptOrder[k] != baseOrder[k]) differ.push_back(k);
        const auto placesOf = [&](const std::vector<std::size_t>& at, const std::vector<Uuid>& order) {
            std::vector<std::size_t> places;
            for (const std::size_t k : at) places.push_back(where(*inBase(order[k])));
            return places;
        };
        const auto moved = placesOf(differ, keptOrder);
        if (std::is_sorted(moved.begin(), moved.end())) {
            // Already so in the other save.
        } else if (differ.size() == 2) {
            std::swap(result[moved[0]], result[moved[1]]);
        } else {
            std::vector<std::size_t> all(keptOrder.size());
            for (std::size_t k = 0; k < all.size(); ++k) all[k] = k;
            const auto places = placesOf(all, baseOrder);
            if (!std::is_sorted(places.begin(), places.end()))
                throw NoLongerMeant{"it moved slots of " + level + " too"};
            std::vector<Entry> inOrder;
            for (const auto& id : keptOrder) inOrder.push_back(result[where(*inBase(id))]);
            for (std::size_t k = 0; k < places.size(); ++k) result[places[k]] = inOrder[k];
        }
    }
    result.erase(std::remove_if(result.begin(), result.end(), [](const Entry& e) { return e.removed; }), result.end());
    // Added slots: after the slot the user put them after, or first.
    for (std::size_t k = 0; k < mine.size(); ++k) {
        if (inBase(mine[k].id)) continue;
        std::size_t at = 0;
        if (k > 0) {
            const Uuid& before = mine[k - 1].id;
            const auto it =
                std::find_if(result.begin(), result.end(), [&](const Entry& e) { return e.seen == before; });
            if (it == result.end()) {
                if (const auto i = inBase(before)) where(*i);  // equal to another, or gone
                throw gone(mine[k - 1]);
            }
            at = std::size_t(it - result.begin()) + 1;
        }
        result.insert(result.begin() + std::ptrdiff_t(at), Entry{mine[k], mine[k].id});
    }
    if (result.size() > theirs.size() && result.size() > 6)
        throw NoLongerMeant{level + " holds " + std::to_string(theirs.size()) + " slots now"};
    std::vector<SlotConfig> out;
    out.reserve(result.size());
    for (auto& entry : result) out.push_back(std::move(entry.slot));
    return out;
}

}  // namespace

std::variant<AppConfig, std::string> carryOnto(const AppConfig& base, const AppConfig& mine, const AppConfig& theirs) {
    try {
        Json b = base.toJson(), m = mine.toJson(), t = theirs.toJson();
        for (Json* doc : {&b, &m, &t}) doc->erase("menu");
        const Json settings = mergedValue(b, m, t, "");
        AppConfig out = AppConfig::fromJson(json::Node(settings));
        out.rootGroup = mine.rootGroup;
        out.rootGroup.slots = mergedSlots(base.rootGroup.slots, mine.rootGroup.slots, theirs.rootGroup.slots,
                                          "the main dial");
        return out;
    } catch (const NoLongerMeant& reason) {
        return reason.why;
    } catch (const json::DecodingError& e) {
        return std::string(e.what());
    }
}

}  // namespace orbel
