#pragma once

// What Orbel kept aside of one config.json and what it still has to tell
// the user: one record in the key-value store, which outlives a quit. An
// entry leaves it only when the user has answered its notice, or when the
// file it names is Orbel's own (its kept name, beside its config.json) and
// was settled. The store is a file in the user's folder that a hand edit, a
// sync tool's merge or a half-written copy may have changed: it is read as
// untrusted input, every entry Orbel would not write is dropped and never
// acted on, and the lists are bounded.

#include <QtGlobal>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orbel {

class KeptRecord {
public:
    explicit KeptRecord(std::string configPath);

    // A file kept aside because it was still changing, while it held bytes
    // Orbel had accounted for: their size and SHA-256 (hex).
    struct Kept {
        std::string path;
        qint64 size = 0;
        std::string digest;
        bool operator==(const Kept&) const = default;
    };
    // A notice not yet answered, as the configuration side made it.
    struct ToTell {
        std::uint64_t id = 0;  // given by keepToTell
        int kind = 0;
        std::string reason;
        std::optional<std::string> keptAt;
        std::string file;
        std::optional<std::string> profileInUse;
        bool keptInUse = false;
        bool operator==(const ToTell&) const = default;
    };
    static constexpr std::size_t kMostKept = 64;
    static constexpr std::size_t kMostToTell = 32;
    static constexpr int kMostKinds = 64;  // a kind at or past it is none
    static constexpr std::size_t kLongestText = 64 * 1024;

    // This config.json's files kept aside, those with Orbel's kept names only.
    std::vector<Kept> kept() const;
    void setKept(const std::vector<Kept>& kept);

    // Keeps a notice until the user answers it; its id.
    std::uint64_t keepToTell(ToTell notice);
    // Notices not answered yet, oldest first (an earlier version's records
    // included, given ids now).
    std::vector<ToTell> untold();
    // The user answered it (or it is nothing the configuration side tells).
    void answered(std::uint64_t id);

private:
    std::vector<ToTell> readToTell(bool& rewrite) const;
    void storeToTell(const std::vector<ToTell>& list) const;
    std::string path_;
};

}  // namespace orbel
