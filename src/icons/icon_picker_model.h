#pragma once

// The icon picker's state and rules, without widgets: a private draft of the
// icon (formed from a pack icon, a monogram with a tint or an image file),
// the pack chips, the "All" toggle, the search text and the results the grid
// shows. Nothing here writes the caller's icon; the view hands the draft
// back on "Apply".
//
// Searching a large pack must keep up with typing, so each pack's entries are
// read and folded to lower case once, off the GUI thread, into an
// `IconPackIndex`; a search then only compares prepared text and lists
// positions. GUI thread only, except the index's construction.

#include <QList>
#include <QObject>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/icon_pack.h"
#include "model/icon_pack_records.h"
#include "model/slot_icon.h"

namespace orbel {

class IconCatalog;

enum class IconPickerMode { icon, text, file };
const std::vector<IconPickerMode>& allIconPickerModes();
std::string_view rawValue(IconPickerMode mode);
std::optional<IconPickerMode> iconPickerModeFromRaw(std::string_view raw);
std::string iconPickerModeTitle(IconPickerMode mode);

// A pack's entries, with the text a search looks at folded once.
class IconPackIndex {
public:
    IconPackIndex(IconPack pack, std::vector<IconCatalogEntry> entries);

    const IconPack& pack() const { return pack_; }
    const std::vector<IconCatalogEntry>& entries() const { return entries_; }
    // The catalogue's search rule: the query trimmed of spaces and tabs and
    // lower-cased; empty lists every entry; else the entries whose name or a
    // keyword contains it. Positions into `entries`, in catalogue order.
    std::vector<std::uint32_t> search(std::string_view query) const;

private:
    IconPack pack_;
    std::vector<IconCatalogEntry> entries_;
    std::vector<std::string> folded_;      // per entry: name, then each keyword
    std::vector<std::uint32_t> firstOf_;   // entry i's folded text: [firstOf_[i], firstOf_[i+1])
};

// One cell of the grid: an entry of a pack's index.
struct IconSearchResult {
    const IconPackIndex* index = nullptr;
    std::uint32_t position = 0;

    const IconPack& pack() const { return index->pack(); }
    const IconCatalogEntry& entry() const { return index->entries()[position]; }
    // "<pack id>:<entry name>".
    std::string id() const { return pack().id() + ":" + entry().name; }
    bool operator==(const IconSearchResult& other) const {
        return pack() == other.pack() && entry() == other.entry();
    }
};

class IconPickerModel : public QObject {
    Q_OBJECT
public:
    using Index = std::shared_ptr<const IconPackIndex>;
    // Hands a pack's index to `done` on the GUI thread, later or at once.
    using IndexLoader = std::function<void(const IconPack& pack, std::function<void(Index)> done)>;
    // Pack names for the chips, the footer and the empty state.
    using DisplayName = std::function<std::string(const IconPack& pack)>;

    // `packs`: the usable packs in chip order; "sf" is selected first.
    IconPickerModel(SlotIcon icon, std::vector<IconPack> packs, IndexLoader loader, DisplayName displayName,
                    QObject* parent = nullptr);
    // The usable packs and indices of the shared catalogue, loaded on a
    // worker thread and kept for the rest of the run.
    static std::unique_ptr<IconPickerModel> withCatalog(SlotIcon icon, IconCatalog& catalog);

    // ---- View state.
    IconPickerMode mode() const { return mode_; }
    void setMode(IconPickerMode mode);
    const std::vector<IconPack>& packs() const { return packs_; }
    const IconPack& selectedPack() const { return selectedPack_; }
    // Also empties the search.
    void selectPack(const IconPack& pack);
    bool searchesAllPacks() const { return searchesAllPacks_; }
    void setSearchesAllPacks(bool all);
    const std::string& search() const { return search_; }
    // A query (more than spaces and tabs) searches every pack, the selected
    // one's matches first.
    void setSearch(std::string text);
    bool isQuerying() const;
    std::string displayName(const IconPack& pack) const { return displayName_(pack); }
    // Each time the view comes on screen: a pack icon's pack gets its chip.
    void restorePackOnAppear();

    // ---- The grid.
    const std::vector<IconSearchResult>& results() const { return results_; }
    // Some pack the results need has not been read yet.
    bool isLoading() const { return loading_; }
    bool isChosen(const IconSearchResult& result) const;
    // Shown when there are no results (and nothing is loading): one line, or
    // two with the second in a smaller type.
    std::pair<std::string, std::string> emptyText() const;

    // ---- The draft.
    const SlotIcon& draft() const { return draft_; }
    void choose(const IconSearchResult& result);
    std::string monogram() const;
    void setMonogram(std::string_view text);
    std::optional<std::string> tint() const;
    void setTint(std::optional<std::string> hex);
    void resetToDefault();
    void chooseImageFile(const std::string& path);
    // Dropped URLs: the last local file becomes the draft. Web addresses and
    // other non-file URLs are refused. Returns whether one was taken.
    bool dropUrls(const QList<QUrl>& urls);
    static bool acceptsDrop(const QList<QUrl>& urls);
    // The footer's one line.
    std::string selectionDescription() const;

    // ---- Applying. A custom image is applied only once it has been read
    // and found to hold a picture: the view reports what the read found
    // (still reading; or why the file holds none).
    void setImageCheck(bool reading, std::optional<std::string> problem);
    const std::optional<std::string>& imageProblem() const { return imageProblem_; }
    bool canApply() const;

Q_SIGNALS:
    void resultsChanged();
    void draftChanged();
    // Mode, chips, toggle or search text.
    void stateChanged();

private:
    void recompute();
    void need(const IconPack& pack);
    void setDraft(SlotIcon icon);

    IconPickerMode mode_ = IconPickerMode::icon;
    std::vector<IconPack> packs_;
    IconPack selectedPack_{"sf"};
    bool searchesAllPacks_ = false;
    std::string search_;
    SlotIcon draft_;
    IndexLoader loader_;
    DisplayName displayName_;
    std::unordered_map<IconPack, Index> indices_;
    std::unordered_map<IconPack, bool> requested_;
    std::vector<IconSearchResult> results_;
    bool loading_ = false;
    bool readingImage_ = false;
    std::optional<std::string> imageProblem_;
};

}  // namespace orbel
